#include "btcheck/SoundCheck.h"

#include "btcheck/SoundMeasure.h"
#include "ImporterBarsAndTone/IdentifierFormats.h"
#include "btmedia/ChannelOrder.h"
#include "btmedia/MovieWriter.h"
#include "Text.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace btcheck {

namespace {

constexpr double kBlockSeconds = 0.01;
// A frequency is measured over at most this much of one run of tone.
constexpr double kFrequencySeconds = 1;
// The module's sound is asked for at least this long (two cycles of its
// longest identification cadence, so that the cycle shows), and for this much
// longer than the file's sound (one cycle, so that every phase of the cycle
// can be laid against the whole file).
constexpr double kReferenceSeconds = 32;
constexpr double kCycleAllowance = 16;
// The rate the module's sound is asked for at while the tone is looked for:
// above twice its highest tone, and a whole number of samples to a block.
constexpr double kPatternRate = 8000;
// A channel carries an identification when its on/off pattern agrees with it
// this well; a tone is the file's tone when its channels agree this well.
constexpr double kCarries = 0.9;
constexpr double kIsTone = 0.8;
// A stretch that sounds in the module's tone but is this much quieter in the
// file, or a few samples of exact silence within it, is a drop-out.
constexpr double kDropDb = 20;
constexpr std::size_t kZeroRun = 4;
// Sample rates between which a chain may have re-labelled the sound.
constexpr double kRates[] = {32000, 44100, 48000, 88200, 96000};
// Frequencies this close to a candidate's are it; a re-labelled rate is
// taken when a frequency ratio is this close to a ratio of two rates.
constexpr double kSameTone = 0.02;
constexpr double kSameRatio = 0.002;

// The host's name of one of its channels.
std::string HostChannelName(int channels, int index)
{
    return btmedia::HostChannelName(static_cast<std::size_t>(channels), static_cast<std::size_t>(index));
}

std::string ToneName(const ToneSpec& t)
{
    if (t.identify) {
        const bt::IdentifierFormatFacts* format =
            t.cadence >= 0 && t.cadence < 256 ? bt::FindIdentifierFormat(static_cast<std::uint8_t>(t.cadence)) : nullptr;
        return format != nullptr ? std::string(bt::DisplayName(*format)) : "unknown identification";
    }
    return Printf("steady %.1f Hz at %.2f dBFS", static_cast<double>(t.frequency),
                  Decibels(static_cast<double>(t.amplitude)));
}

// The module's sound for one tone at one rate, as on/off blocks.
struct Pattern {
    ToneSpec tone;
    ToneSpec asked; ///< as asked of the module (every channel a cadence may write)
    double ratio = 1; ///< file frequency ÷ module frequency
    double ratioFrom = 0, ratioTo = 0; ///< the re-labelling the ratio stands for
    double rate = 0;  ///< the rate it was asked for at
    std::vector<std::vector<float>> samples; ///< channels that sound at all
    std::vector<int> hostChannel;            ///< which host channel each is
    int hostChannels = 0;
    std::vector<std::vector<double>> levels;
    std::vector<std::vector<bool>> on;
    std::size_t period = 0; ///< blocks; 0: not periodic within the rendering
};

Pattern Render(Reference& reference, const ToneSpec& tone, double rate, double ratio, std::size_t block,
               double seconds)
{
    Pattern p;
    p.tone = tone;
    p.ratio = ratio;
    p.rate = rate;
    ToneSpec asked = tone;
    if (tone.identify)
        asked.channels = 6; // every channel any cadence writes; the silent ones are dropped
    p.asked = asked;
    const auto count = static_cast<std::int64_t>(std::ceil(seconds * rate));
    auto all = reference.Sound(asked, rate, 0, count);
    p.hostChannels = asked.channels;
    for (std::size_t c = 0; c < all.size(); ++c) {
        const bool sounds = std::any_of(all[c].begin(), all[c].end(), [](float v) { return v != 0.0f; });
        if (!sounds)
            continue;
        p.levels.push_back(BlockLevels(all[c], block));
        p.on.push_back(Sounding(p.levels.back()));
        p.samples.push_back(std::move(all[c]));
        p.hostChannel.push_back(static_cast<int>(c));
    }
    if (tone.identify && p.samples.size() <= 2)
        p.hostChannels = 2;
    // The cycle: the shortest shift that carries the switchings of every
    // channel onto switchings of the same kind (within a block, for a tone
    // asked for at a rate whose cycle is no whole number of blocks), then the
    // neighbour of it that matches exactly most often.
    const std::size_t blocks = p.on.empty() ? 0 : p.on[0].size();
    std::vector<std::vector<int>> edges(p.on.size());
    for (std::size_t c = 0; c < p.on.size(); ++c)
        for (std::size_t b = 1; b < blocks; ++b)
            if (p.on[c][b] != p.on[c][b - 1])
                edges[c].push_back(p.on[c][b] ? static_cast<int>(b) : -static_cast<int>(b));
    auto matches = [&](std::size_t lag, int slack) {
        std::size_t matched = 0, total = 0;
        for (std::size_t c = 0; c < edges.size(); ++c)
            for (int e : edges[c]) {
                const int at = std::abs(e), sign = e > 0 ? 1 : -1;
                if (static_cast<std::size_t>(at) + lag + 1 >= blocks)
                    continue;
                ++total;
                for (int d = -slack; d <= slack; ++d) {
                    const int want = sign * (at + static_cast<int>(lag) + d);
                    if (std::find(edges[c].begin(), edges[c].end(), want) != edges[c].end()) {
                        ++matched;
                        break;
                    }
                }
            }
        return std::pair{matched, total};
    };
    for (std::size_t lag = 10; lag <= blocks / 2 && p.period == 0; ++lag) {
        const auto [matched, total] = matches(lag, 1);
        if (total > 0 && matched * 10 >= total * 9) {
            std::size_t best = lag, bestMatched = 0;
            for (std::size_t l = lag; l <= lag + 2; ++l)
                if (const auto m = matches(l, 0).first; m > bestMatched) {
                    bestMatched = m;
                    best = l;
                }
            p.period = best;
        }
    }
    return p;
}

std::size_t RefBlock(const Pattern& p, std::size_t b)
{
    return std::min(b, p.on[0].size() - 1);
}

// The file channels against a tone: where in its cycle the file starts and
// which of its channels each file channel follows.
struct Alignment {
    double score = 0;
    std::size_t phase = 0;          ///< blocks
    std::vector<int> follows;       ///< per file channel: index into the pattern's channels, -1 none
    std::vector<double> agreement;  ///< per file channel, with the channel it follows
};

// Phases worth a full look: those whose count of sounding channels per
// block (which no reordering of channels changes) agrees best.
constexpr std::size_t kPhasesTried = 8;
// Beyond this many channels pairings are made one by one, best first.
constexpr std::size_t kMaxPermuted = 8;

Alignment Align(const Pattern& p, const std::vector<std::vector<bool>>& fileOn)
{
    Alignment best;
    const std::size_t files = fileOn.size(), refs = p.on.size();
    const std::size_t blocks = fileOn.empty() ? 0 : fileOn[0].size();
    if (refs == 0 || blocks == 0)
        return best;
    const std::size_t phases = p.period > 0 ? p.period : 1;
    std::vector<int> fileCount(blocks, 0), refCount(p.on[0].size(), 0);
    for (std::size_t b = 0; b < blocks; ++b)
        for (const auto& ch : fileOn)
            fileCount[b] += ch[b];
    for (std::size_t b = 0; b < refCount.size(); ++b)
        for (const auto& ch : p.on)
            refCount[b] += ch[b];
    std::vector<std::pair<std::size_t, std::size_t>> ranked; // (agreeing blocks, phase)
    for (std::size_t phase = 0; phase < phases; ++phase) {
        std::size_t same = 0;
        for (std::size_t b = 0; b < blocks; ++b)
            same += fileCount[b] == refCount[RefBlock(p, b + phase)];
        ranked.emplace_back(same, phase);
    }
    const std::size_t tried = std::min(kPhasesTried, ranked.size());
    std::partial_sort(ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(tried), ranked.end(),
                      [](const auto& x, const auto& y) { return x.first > y.first || (x.first == y.first && x.second < y.second); });

    std::vector<std::vector<double>> a(files, std::vector<double>(refs));
    auto consider = [&](std::size_t phase, const std::vector<int>& slots) {
        double sum = 0;
        for (std::size_t c = 0; c < files; ++c)
            sum += slots[c] >= 0 && slots[c] < static_cast<int>(refs) ? a[c][static_cast<std::size_t>(slots[c])] : 0.0;
        const double score = sum / static_cast<double>(std::max(files, refs));
        if (score <= best.score + 1e-12)
            return;
        best.score = score;
        best.phase = phase;
        best.follows.assign(files, -1);
        best.agreement.assign(files, 0);
        for (std::size_t c = 0; c < files; ++c)
            if (slots[c] >= 0 && slots[c] < static_cast<int>(refs)) {
                best.follows[c] = slots[c];
                best.agreement[c] = a[c][static_cast<std::size_t>(slots[c])];
            }
    };
    for (std::size_t t = 0; t < tried; ++t) {
        const std::size_t phase = ranked[t].second;
        for (std::size_t c = 0; c < files; ++c)
            for (std::size_t j = 0; j < refs; ++j) {
                std::size_t same = 0;
                for (std::size_t b = 0; b < blocks; ++b)
                    same += fileOn[c][b] == p.on[j][RefBlock(p, b + phase)];
                a[c][j] = static_cast<double>(same) / static_cast<double>(blocks);
            }
        std::vector<int> slots(std::max(files, refs));
        if (slots.size() <= kMaxPermuted) {
            // Every one-to-one pairing of file channels with the tone's channels.
            std::iota(slots.begin(), slots.end(), 0);
            do
                consider(phase, slots);
            while (std::next_permutation(slots.begin(), slots.end()));
        } else {
            std::fill(slots.begin(), slots.end(), -1);
            std::vector<bool> taken(refs, false);
            for (std::size_t round = 0; round < std::min(files, refs); ++round) {
                double top = -1;
                std::size_t bc = 0, bj = 0;
                for (std::size_t c = 0; c < files; ++c)
                    for (std::size_t j = 0; j < refs; ++j)
                        if (slots[c] < 0 && !taken[j] && a[c][j] > top) {
                            top = a[c][j];
                            bc = c;
                            bj = j;
                        }
                slots[bc] = static_cast<int>(bj);
                taken[bj] = true;
            }
            consider(phase, slots);
        }
    }
    return best;
}

double LongestRunFrequency(const std::vector<float>& samples, const std::vector<bool>& on, std::size_t block,
                           double rate)
{
    const Run run = LongestRun(on);
    if (run.Length() < 3)
        return 0;
    // One block in from each end, away from the switching.
    const std::size_t first = (run.first + 1) * block;
    const std::size_t last = std::min(samples.size(), (run.last - 1) * block);
    const std::size_t n = std::min<std::size_t>(last - first, static_cast<std::size_t>(kFrequencySeconds * rate));
    return ToneFrequency(samples.data() + first, n, rate);
}

struct Relabel {
    double from = 0, to = 0; ///< 0, 0: none
    [[nodiscard]] double Ratio() const noexcept { return from > 0 ? to / from : 1.0; }
    bool operator==(const Relabel&) const = default;
};

std::vector<Relabel> CandidateRatios(double fileFrequency, double moduleFrequency)
{
    std::vector<Relabel> out;
    if (fileFrequency <= 0 || moduleFrequency <= 0)
        return out;
    const double r = fileFrequency / moduleFrequency;
    if (std::abs(r - 1) < kSameTone)
        out.push_back({});
    for (double from : kRates)
        for (double to : kRates)
            if (from != to && std::abs(r / (to / from) - 1) < kSameRatio)
                out.push_back({from, to});
    return out;
}

std::string ChannelLabel(const SoundFacts& facts, std::size_t c)
{
    const std::string& name = c < facts.channelNames.size() ? facts.channelNames[c] : std::string();
    return name.empty() ? Printf("ch%zu", c + 1) : name;
}

struct Dropout {
    std::size_t channel;
    double start, length; ///< seconds
};

} // namespace

SoundFinding CheckSound(const Sound& sound, const SoundFacts& facts, Reference& reference,
                        const ClipExpectation* clip, const Tolerances& tolerances)
{
    SoundFinding out;
    if (sound.channels.empty() || sound.channels[0].empty())
        return out;
    out.present = true;
    out.rate = sound.rate;
    out.truncated = sound.truncated;
    const std::size_t samples = sound.channels[0].size();
    out.seconds = static_cast<double>(samples) / sound.rate;
    const double rate = sound.rate;
    const auto block = static_cast<std::size_t>(std::max(1L, std::lround(kBlockSeconds * rate)));
    const std::size_t files = sound.channels.size();

    // Each channel on its own.
    std::vector<std::vector<double>> levels;
    std::vector<std::vector<bool>> on;
    for (std::size_t c = 0; c < files; ++c) {
        const auto& x = sound.channels[c];
        ChannelReading reading;
        reading.name = ChannelLabel(facts, c);
        double sum = 0, peak = 0;
        for (float v : x) {
            sum += static_cast<double>(v) * static_cast<double>(v);
            peak = std::max(peak, std::abs(static_cast<double>(v)));
        }
        reading.rmsDb = Decibels(std::sqrt(sum / static_cast<double>(x.size())));
        reading.peakDb = Decibels(peak);
        levels.push_back(BlockLevels(x, block));
        on.push_back(Sounding(levels.back()));
        reading.frequency = LongestRunFrequency(x, on.back(), block, rate);
        out.channels.push_back(reading);
    }
    std::size_t loudest = 0;
    for (std::size_t c = 1; c < files; ++c)
        if (out.channels[c].rmsDb > out.channels[loudest].rmsDb)
            loudest = c;
    const double fileFrequency = out.channels[loudest].frequency;

    // The candidates: the clip's (or the module's default) tone and every
    // identification cadence, each at the rates its frequencies allow.
    std::vector<ToneSpec> tones;
    ToneSpec expected = clip != nullptr ? clip->tone : ToneOf(reference.Base());
    if (!expected.identify)
        tones.push_back(expected);
    for (int cadence = 0; cadence < 4; ++cadence) {
        ToneSpec t;
        t.identify = true;
        t.cadence = cadence;
        t.channels = 6;
        tones.push_back(t);
    }
    // Which tone, where in its cycle and which channel is which are found on
    // the module's sound asked for at a low rate (the 10 ms blocks and the
    // tones' frequencies are the same at any rate); the tone found is then
    // asked for at the file's own rate, sample for sample, over the file.
    const double renderSeconds = std::max(kReferenceSeconds, out.seconds + kCycleAllowance);
    const auto patternBlock = static_cast<std::size_t>(std::lround(kBlockSeconds * kPatternRate));
    Pattern chosen;
    Alignment alignment;
    for (const ToneSpec& tone : tones) {
        ToneSpec asked = tone;
        if (!tone.identify)
            asked.channels = static_cast<int>(files);
        const Pattern module = Render(reference, asked, kPatternRate, 1.0, patternBlock, renderSeconds);
        std::vector<Relabel> ratios;
        for (std::size_t j = 0; j < module.samples.size(); ++j)
            for (Relabel r : CandidateRatios(fileFrequency, LongestRunFrequency(module.samples[j], module.on[j],
                                                                                patternBlock, kPatternRate)))
                if (std::find(ratios.begin(), ratios.end(), r) == ratios.end())
                    ratios.push_back(r);
        for (Relabel r : ratios) {
            Pattern p = r.from == 0 ? module
                                    : Render(reference, asked, kPatternRate / r.Ratio(), r.Ratio(), patternBlock,
                                             renderSeconds);
            p.ratioFrom = r.from;
            p.ratioTo = r.to;
            Alignment a = Align(p, on);
            if (a.score > alignment.score + 1e-9) {
                alignment = std::move(a);
                chosen = std::move(p);
            }
        }
    }
    if (!chosen.samples.empty()) {
        // File sample n lies against the module's sample n + phase × block.
        const double moduleRate = rate / chosen.ratio;
        const double seconds =
            static_cast<double>(samples + (alignment.phase + 2) * block) / moduleRate;
        Pattern full = Render(reference, chosen.asked, moduleRate, chosen.ratio, block, seconds);
        full.ratioFrom = chosen.ratioFrom;
        full.ratioTo = chosen.ratioTo;
        full.period = chosen.period;
        chosen = std::move(full);
    }

    const bool silent = std::all_of(out.channels.begin(), out.channels.end(),
                                    [](const ChannelReading& c) { return c.peakDb < -80; });
    if (silent || chosen.samples.empty() || alignment.score < kIsTone) {
        out.faults.emplace_back(kind::kLevel,
                                silent ? std::string("the sound is silent")
                                       : Printf("the sound is not the module's tone: no identification cadence, nor "
                                                "the %s, fits it (at best %.0f%% of its 10 ms blocks; another steady "
                                                "tone is named by its clip, --clip)",
                                                ToneName(expected).c_str(), 100 * alignment.score),
                                Fault::Values{{"fit", alignment.score}});
        return out;
    }
    out.identified = true;
    out.tone = ToneName(chosen.tone);
    out.cadence = chosen.tone.identify ? chosen.tone.cadence : -1;
    out.rateRatio = chosen.ratio;
    // The file's first sample lies this far into the tone's cycle (module time).
    out.phaseSeconds = static_cast<double>(alignment.phase * block) / chosen.rate;

    // Who carries what, against the channel order a file of this many
    // channels should have.
    const int hostChannels = chosen.tone.identify ? chosen.hostChannels : static_cast<int>(files);
    std::vector<bool> carried(chosen.samples.size(), false);
    for (std::size_t c = 0; c < files; ++c) {
        ChannelReading& r = out.channels[c];
        const int j = alignment.follows[c];
        const bool sounds = r.peakDb > -80;
        if (j >= 0 && sounds && alignment.agreement[c] >= kCarries) {
            r.carries = chosen.hostChannel[static_cast<std::size_t>(j)];
            carried[static_cast<std::size_t>(j)] = true;
        }
        if (static_cast<int>(files) == hostChannels)
            r.expected = static_cast<int>(btmedia::FileChannelSource(static_cast<std::size_t>(hostChannels), c));
        else if (static_cast<int>(c) < hostChannels)
            r.expected = static_cast<int>(c);
    }
    if (!chosen.tone.identify)
        for (ChannelReading& r : out.channels)
            if (r.carries >= 0)
                r.carries = r.expected; // a steady tone names no channel

    // Levels, frequencies, drop-outs and polarity, each channel against the
    // module's channel it carries.
    std::vector<Dropout> dropouts;
    const double dropFactor = std::pow(10.0, -kDropDb / 20);
    std::vector<double> gains;
    for (std::size_t c = 0; c < files; ++c) {
        ChannelReading& r = out.channels[c];
        const int j = alignment.follows[c];
        if (j < 0 || r.carries < 0)
            continue;
        const auto& refOn = chosen.on[static_cast<std::size_t>(j)];
        const auto& refLevels = chosen.levels[static_cast<std::size_t>(j)];
        const auto& x = sound.channels[c];
        double fileEnergy = 0, refEnergy = 0;
        std::size_t dropStart = 0;
        bool inDrop = false;
        for (std::size_t b = 0; b < levels[c].size(); ++b) {
            const std::size_t rb = RefBlock(chosen, b + alignment.phase);
            // The file's first and last blocks are not judged: a codec's
            // start-up and end padding live there (AAC's priming frame).
            const bool steady = refOn[rb] && b > 0 && refOn[RefBlock(chosen, b + alignment.phase - 1)] &&
                                refOn[RefBlock(chosen, b + alignment.phase + 1)] && b + 1 < levels[c].size();
            bool dropped = false;
            if (steady) {
                dropped = levels[c][b] < refLevels[rb] * dropFactor;
                std::size_t zeros = 0;
                for (std::size_t i = b * block; i < std::min(x.size(), (b + 1) * block) && !dropped; ++i) {
                    zeros = std::abs(x[i]) < 1e-6f ? zeros + 1 : 0;
                    dropped = zeros >= kZeroRun;
                }
                if (!dropped) {
                    fileEnergy += levels[c][b] * levels[c][b];
                    refEnergy += refLevels[rb] * refLevels[rb];
                }
            }
            if (dropped && !inDrop) {
                inDrop = true;
                dropStart = b;
            } else if (!dropped && inDrop && steady) {
                inDrop = false;
                dropouts.push_back({c, static_cast<double>(dropStart * block) / rate,
                                    static_cast<double>((b - dropStart) * block) / rate});
            }
        }
        if (inDrop)
            dropouts.push_back({c, static_cast<double>(dropStart * block) / rate,
                                static_cast<double>((levels[c].size() - dropStart) * block) / rate});
        r.gainDb = refEnergy > 0 && fileEnergy > 0 ? 10 * std::log10(fileEnergy / refEnergy) : 0.0;
        gains.push_back(r.gainDb);
        // The module's frequency over the same stretch, at the module's rate.
        const Run run = LongestRun(on[c]);
        double moduleFrequency = 0;
        if (run.Length() >= 3) {
            const std::size_t first = RefBlock(chosen, run.first + 1 + alignment.phase);
            std::size_t length = std::min<std::size_t>(run.Length() - 2, static_cast<std::size_t>(kFrequencySeconds / kBlockSeconds));
            const auto& ref = chosen.samples[static_cast<std::size_t>(j)];
            length = std::min(length, (ref.size() / block) - first);
            moduleFrequency = ToneFrequency(ref.data() + first * block, length * block, chosen.rate);
        }
        // A re-labelled rate is one fault for all channels, below.
        const bool relabelled = chosen.ratio != 1.0 && std::abs(r.frequency / std::max(moduleFrequency, 1e-9) / chosen.ratio - 1) < kSameRatio;
        if (moduleFrequency > 0 && !relabelled && std::abs(r.frequency - moduleFrequency) > tolerances.frequencyHz)
            out.faults.emplace_back(kind::kFrequency,
                                    Printf("%s sounds at %.2f Hz where the module's tone is %.2f Hz (%+.2f Hz, x%.5f)",
                                           r.name.c_str(), r.frequency, moduleFrequency, r.frequency - moduleFrequency,
                                           r.frequency / moduleFrequency),
                                    Fault::Values{{"frequency", r.frequency},
                                                  {"expected", moduleFrequency},
                                                  {"ratio", r.frequency / moduleFrequency}},
                                    Fault::Texts{{"channel", r.name}});
    }

    // Polarity: with the file in step with the module's samples, the sign of
    // their correlation over each channel's longest run of tone. One shift
    // within a block serves all channels (the cadence's switching tells the
    // true one from a whole period off). A steady tone has no such landmark:
    // a file that starts half a cycle in would look inverted, so there each
    // channel is held against the first instead.
    if (!chosen.tone.identify && files > 1) {
        const auto& first = sound.channels[0];
        out.channels[0].polarity = out.channels[0].carries >= 0 ? 1 : 0;
        for (std::size_t c = 1; c < files; ++c) {
            const auto& x = sound.channels[c];
            double xy = 0, xx = 0, yy = 0;
            for (std::size_t i = 0; i < std::min(samples, static_cast<std::size_t>(kFrequencySeconds * rate)); ++i) {
                xy += static_cast<double>(x[i]) * static_cast<double>(first[i]);
                xx += static_cast<double>(x[i]) * static_cast<double>(x[i]);
                yy += static_cast<double>(first[i]) * static_cast<double>(first[i]);
            }
            const double corr = xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : 0.0;
            if (std::abs(corr) > 0.5 && out.channels[c].carries >= 0)
                out.channels[c].polarity = corr > 0 ? 1 : -1;
        }
    } else if (chosen.tone.identify && chosen.ratio == 1.0) {
        const long offset = static_cast<long>(alignment.phase * block);
        const long reach = static_cast<long>(block);
        std::vector<std::pair<std::size_t, std::size_t>> windows(files);
        for (std::size_t c = 0; c < files; ++c) {
            const Run run = LongestRun(on[c]);
            const std::size_t first = (run.first + 1) * block;
            const std::size_t last = run.Length() >= 3 ? (run.last - 1) * block : first;
            windows[c] = {first, std::min(last, first + static_cast<std::size_t>(kFrequencySeconds * rate))};
        }
        double bestSum = -1;
        std::vector<double> bestCorr(files, 0);
        for (long lag = -reach; lag <= reach; ++lag) {
            double sum = 0;
            std::vector<double> corr(files, 0);
            for (std::size_t c = 0; c < files; ++c) {
                const int j = alignment.follows[c];
                if (j < 0 || out.channels[c].carries < 0)
                    continue;
                const auto& ref = chosen.samples[static_cast<std::size_t>(j)];
                const auto& x = sound.channels[c];
                double xy = 0, xx = 0, yy = 0;
                for (std::size_t i = windows[c].first; i < windows[c].second; ++i) {
                    const long k = static_cast<long>(i) + offset + lag;
                    if (k < 0 || k >= static_cast<long>(ref.size()))
                        continue;
                    const double a = x[i], b = ref[static_cast<std::size_t>(k)];
                    xy += a * b;
                    xx += a * a;
                    yy += b * b;
                }
                corr[c] = xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : 0.0;
                sum += std::abs(corr[c]);
            }
            if (sum > bestSum) {
                bestSum = sum;
                bestCorr = corr;
            }
        }
        for (std::size_t c = 0; c < files; ++c)
            if (std::abs(bestCorr[c]) > 0.5)
                out.channels[c].polarity = bestCorr[c] > 0 ? 1 : -1;
    }

    // Faults, a sentence each.
    bool reordered = false;
    std::string order;
    for (const ChannelReading& r : out.channels)
        if (r.carries >= 0 && r.expected >= 0 && r.carries != r.expected) {
            reordered = true;
            order += Printf("%s%s carries %s", order.empty() ? "" : ", ", r.name.c_str(),
                            HostChannelName(hostChannels, r.carries).c_str());
        }
    if (reordered)
        out.faults.emplace_back(kind::kChannelOrder,
                                "the channels are out of order: " + order + Printf(" (%s)", out.tone.c_str()));
    std::vector<int> silentFor;
    for (const ChannelReading& r : out.channels)
        if (r.peakDb <= -80 && r.expected >= 0) {
            silentFor.push_back(r.expected);
            out.faults.emplace_back(kind::kMissingChannel,
                                    Printf("%s is silent where it should carry %s", r.name.c_str(),
                                           HostChannelName(hostChannels, r.expected).c_str()),
                                    Fault::Values{{"peak_dbfs", r.peakDb}}, Fault::Texts{{"channel", r.name}});
        }
    // A channel nobody carries, unless its own channel was found silent.
    if (chosen.tone.identify)
        for (std::size_t j = 0; j < chosen.samples.size(); ++j)
            if (!carried[j] && static_cast<int>(files) >= hostChannels &&
                std::find(silentFor.begin(), silentFor.end(), chosen.hostChannel[j]) == silentFor.end())
                out.faults.emplace_back(kind::kMissingChannel,
                                        Printf("no channel carries %s's identification",
                                               HostChannelName(hostChannels, chosen.hostChannel[j]).c_str()),
                                        Fault::Values{}, Fault::Texts{{"channel", HostChannelName(hostChannels, chosen.hostChannel[j])}});
    if (!gains.empty()) {
        const auto [low, high] = std::minmax_element(gains.begin(), gains.end());
        const double mean = std::accumulate(gains.begin(), gains.end(), 0.0) / static_cast<double>(gains.size());
        if (*high - *low <= tolerances.levelDb && std::abs(mean) > tolerances.levelDb && gains.size() > 1)
            out.faults.emplace_back(kind::kLevel,
                                    Printf("every channel is %+.2f dB from the module's line-up level", mean),
                                    Fault::Values{{"gain_db", mean}});
        else
            for (const ChannelReading& r : out.channels)
                if (r.carries >= 0 && std::abs(r.gainDb) > tolerances.levelDb)
                    out.faults.emplace_back(kind::kLevel,
                                            Printf("%s is %+.2f dB from the module's line-up level", r.name.c_str(),
                                                   r.gainDb),
                                            Fault::Values{{"gain_db", r.gainDb}}, Fault::Texts{{"channel", r.name}});
    }
    for (const ChannelReading& r : out.channels)
        if (r.polarity < 0)
            out.faults.emplace_back(kind::kPolarity, r.name + " is inverted",
                                    Fault::Values{}, Fault::Texts{{"channel", r.name}});
    for (std::size_t i = 0; i < dropouts.size() && i < 8; ++i) {
        const Dropout& d = dropouts[i];
        out.faults.emplace_back(kind::kDropout,
                                Printf("%s drops out at %.3f s for %.3f s", out.channels[d.channel].name.c_str(),
                                       d.start, d.length),
                                Fault::Values{{"start", d.start}, {"length", d.length}},
                                Fault::Texts{{"channel", out.channels[d.channel].name}});
    }
    if (chosen.ratio != 1.0)
        out.faults.emplace_back(kind::kFrequency,
                                Printf("every tone is x%.5f of the module's: the sound was re-labelled from %.0f to "
                                       "%.0f Hz without resampling",
                                       chosen.ratio, chosen.ratioFrom, chosen.ratioTo),
                                Fault::Values{{"ratio", chosen.ratio}});
    if (clip != nullptr && clip->audioRate > 0 && std::abs(clip->audioRate - rate) > 0.5)
        out.faults.emplace_back(kind::kFrequency,
                                Printf("the sound is at %.0f Hz; the clip's is at %.0f Hz", rate, clip->audioRate),
                                Fault::Values{{"rate", rate}, {"clip_rate", clip->audioRate}});
    if (clip != nullptr && (clip->tone.identify != chosen.tone.identify ||
                            (clip->tone.identify && clip->tone.cadence != chosen.tone.cadence)))
        out.faults.emplace_back(kind::kFrequency,
                                "the tone is " + out.tone + "; the clip's is " + ToneName(clip->tone));
    return out;
}

} // namespace btcheck
