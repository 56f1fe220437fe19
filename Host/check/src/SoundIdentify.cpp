#include "btcheck/SoundIdentify.h"

#include "btcheck/SoundMeasure.h"
#include "ImporterBarsAndTone/IdentifierFormats.h"
#include "btmedia/ChannelOrder.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace btcheck {

namespace {

// A frequency is measured over at most this much of one run of tone.
constexpr double kFrequencySeconds = 1;
// The module's sound is asked for at least this long (two cycles of its
// longest identification cadence, so that the cycle shows), and for this much
// longer than the opening (one cycle, so that every phase of the cycle can be
// laid against the whole opening).
constexpr double kPatternSeconds = 32;
constexpr double kCycleAllowance = 16;
// The rate the module's sound is asked for at while the tone is looked for:
// above twice its highest tone, and a whole number of samples to a block.
constexpr double kPatternRate = 8000;
// A channel carries an identification when its on/off pattern agrees with it
// this well; a tone is the file's tone when its channels agree this well.
constexpr double kCarries = 0.9;
constexpr double kIsTone = 0.8;
// Below this a channel is silent.
constexpr double kSilentDb = -80;
// Sample rates between which a chain may have re-labelled the sound.
constexpr double kRates[] = {32000, 44100, 48000, 88200, 96000};
// Frequencies this close to a candidate's are it; a re-labelled rate is
// taken when a frequency ratio is this close to a ratio of two rates.
constexpr double kSameTone = 0.02;
constexpr double kSameRatio = 0.002;
// Phases worth a full look: those whose count of sounding channels per
// block (which no reordering of channels changes) agrees best.
constexpr std::size_t kPhasesTried = 8;
// Beyond this many channels pairings are made one by one, best first.
constexpr std::size_t kMaxPermuted = 8;

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

// The cycle of a pattern: the shortest shift that carries the switchings of
// every channel onto switchings of the same kind (within a block, for a tone
// asked for at a rate whose cycle is no whole number of blocks), then the
// neighbour of it that matches exactly most often.
std::size_t Period(const std::vector<std::vector<bool>>& on)
{
    const std::size_t blocks = on.empty() ? 0 : on[0].size();
    std::vector<std::vector<int>> edges(on.size());
    for (std::size_t c = 0; c < on.size(); ++c)
        for (std::size_t b = 1; b < blocks; ++b)
            if (on[c][b] != on[c][b - 1])
                edges[c].push_back(on[c][b] ? static_cast<int>(b) : -static_cast<int>(b));
    auto matches = [&](std::size_t lag, int slack) {
        std::size_t matched = 0, total = 0;
        for (const auto& channel : edges)
            for (int e : channel) {
                const int at = std::abs(e), sign = e > 0 ? 1 : -1;
                if (static_cast<std::size_t>(at) + lag + 1 >= blocks)
                    continue;
                ++total;
                for (int d = -slack; d <= slack; ++d)
                    if (std::find(channel.begin(), channel.end(), sign * (at + static_cast<int>(lag) + d)) !=
                        channel.end()) {
                        ++matched;
                        break;
                    }
            }
        return std::pair{matched, total};
    };
    for (std::size_t lag = 10; lag <= blocks / 2; ++lag) {
        const auto [matched, total] = matches(lag, 1);
        if (total > 0 && matched * 10 >= total * 9) {
            std::size_t best = lag, bestMatched = 0;
            for (std::size_t l = lag; l <= lag + 2; ++l)
                if (const auto m = matches(l, 0).first; m > bestMatched) {
                    bestMatched = m;
                    best = l;
                }
            return best;
        }
    }
    return 0;
}

std::size_t PatternBlock(const Pattern& p, std::size_t b)
{
    return std::min(b, p.on[0].size() - 1);
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

} // namespace

std::size_t BlockSamples(double rate)
{
    return static_cast<std::size_t>(std::max(1L, std::lround(kBlockSeconds * rate)));
}

std::vector<bool> LowFrequencyChannels(const std::vector<std::string>& names, std::size_t channels)
{
    std::vector<bool> out(channels, false);
    for (std::size_t c = 0; c < channels; ++c) {
        const std::string name = c < names.size() ? names[c] : std::string();
        out[c] = name.rfind("LFE", 0) == 0 ||
                 (name.empty() && channels == bt::kMostChannels &&
                  btmedia::HostChannelName(channels, btmedia::FileChannelSource(channels, c)) == "LFE");
    }
    return out;
}

OpeningLevels MeasureOpening(const std::vector<std::vector<float>>& channels, double rate)
{
    OpeningLevels out;
    out.rate = rate;
    out.block = BlockSamples(rate);
    for (const auto& x : channels) {
        out.levels.push_back(BlockLevels(x, out.block));
        out.on.push_back(Sounding(out.levels.back()));
        out.frequency.push_back(LongestRunFrequency(x, out.on.back(), out.block, rate));
        const auto& levels = out.levels.back();
        out.loudestDb.push_back(Decibels(levels.empty() ? 0.0 : *std::max_element(levels.begin(), levels.end())));
    }
    return out;
}

Pattern RenderPattern(Reference& reference, const ToneSpec& asked, double rate, double ratio, std::size_t block,
                      double seconds)
{
    Pattern p;
    p.tone = asked;
    p.asked = asked;
    p.shared = !asked.identify;
    p.ratio = ratio;
    p.rate = rate;
    const auto count = static_cast<std::int64_t>(std::ceil(seconds * rate));
    auto all = reference.Sound(asked, rate, 0, count);
    p.hostChannels = asked.channels;
    double loudest = 0;
    for (std::size_t c = 0; c < all.size(); ++c) {
        if (std::none_of(all[c].begin(), all[c].end(), [](float v) { return v != 0.0f; }))
            continue;
        p.levels.push_back(BlockLevels(all[c], block));
        p.on.push_back(Sounding(p.levels.back()));
        std::vector<bool> high(p.on.back().size(), false);
        for (std::size_t b = 0; b < high.size() && (b + 1) * block <= all[c].size(); ++b) {
            double lag = 0, turn = 0;
            for (std::size_t i = std::max<std::size_t>(b * block, 2); i < (b + 1) * block; ++i) {
                lag += static_cast<double>(all[c][i - 1]) * static_cast<double>(all[c][i - 1]);
                turn += static_cast<double>(all[c][i - 1]) * (static_cast<double>(all[c][i]) + static_cast<double>(all[c][i - 2]));
            }
            high[b] = p.on.back()[b] && CourseFrequency(lag, turn, rate) > kLowFrequencyTop;
        }
        p.high.push_back(std::move(high));
        // The level of the channel's longest run of tone, which spans many of
        // its cycles where a block may not.
        const Run run = LongestRun(p.on.back());
        double sum = 0;
        for (std::size_t i = run.first * block; i < std::min(all[c].size(), run.last * block); ++i)
            sum += static_cast<double>(all[c][i]) * static_cast<double>(all[c][i]);
        if (run.Length() > 0)
            loudest = std::max(loudest, std::sqrt(2 * sum / static_cast<double>(run.Length() * block)));
        p.samples.push_back(std::move(all[c]));
        p.hostChannel.push_back(static_cast<int>(c));
    }
    p.levelDbfs = Decibels(loudest);
    if (asked.identify) {
        const bt::IdentifierFormatFacts* format =
            bt::FindIdentifierFormat(static_cast<std::uint8_t>(std::clamp(asked.cadence, 0, 255)));
        p.hostChannels = format != nullptr ? static_cast<int>(bt::ChannelCountOf(*format)) : asked.channels;
    }
    p.period = Period(p.on);
    return p;
}

Alignment Align(const Pattern& p, const std::vector<std::vector<bool>>& fileOn, const std::vector<bool>& lowFrequency)
{
    auto limited = [&](std::size_t c) { return c < lowFrequency.size() && lowFrequency[c]; };
    const auto limitedCount = static_cast<int>(std::count(lowFrequency.begin(), lowFrequency.end(), true));
    Alignment best;
    const std::size_t files = fileOn.size(), refs = p.on.size();
    const std::size_t blocks = fileOn.empty() ? 0 : fileOn[0].size();
    if (refs == 0 || blocks == 0)
        return best;
    const std::size_t phases = p.period > 0 ? p.period : 1;
    std::vector<int> fileCount(blocks, 0), refCount(p.on[0].size(), 0), highCount(p.on[0].size(), 0);
    for (std::size_t b = 0; b < blocks; ++b)
        for (const auto& ch : fileOn)
            fileCount[b] += ch[b];
    for (std::size_t b = 0; b < refCount.size(); ++b)
        for (std::size_t j = 0; j < refs; ++j) {
            refCount[b] += p.on[j][b];
            highCount[b] += p.high[j][b];
        }
    if (p.shared)
        for (std::size_t b = 0; b < refCount.size(); ++b) {
            refCount[b] *= static_cast<int>(files);
            highCount[b] *= static_cast<int>(files);
        }
    std::vector<std::pair<std::size_t, std::size_t>> ranked; // (agreeing blocks, phase)
    for (std::size_t phase = 0; phase < phases; ++phase) {
        std::size_t same = 0;
        for (std::size_t b = 0; b < blocks; ++b) {
            const std::size_t k = PatternBlock(p, b + phase);
            same += fileCount[b] <= refCount[k] && fileCount[b] >= refCount[k] - std::min(limitedCount, highCount[k]);
        }
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
        const double score = sum / static_cast<double>(p.shared ? files : std::max(files, refs));
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
                for (std::size_t b = 0; b < blocks; ++b) {
                    const std::size_t k = PatternBlock(p, b + phase);
                    // A low-frequency channel may be silent where the tone is higher.
                    same += fileOn[c][b] == p.on[j][k] || (limited(c) && !fileOn[c][b] && p.high[j][k]);
                }
                a[c][j] = static_cast<double>(same) / static_cast<double>(blocks);
            }
        if (p.shared) {
            consider(phase, std::vector<int>(files, 0)); // every channel carries the one tone
            continue;
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

Identification Identify(Reference& reference, const ToneSpec& expected, const OpeningLevels& opening,
                        const std::vector<bool>& lowFrequency)
{
    Identification out;
    const std::size_t files = opening.levels.size();
    out.silent = std::all_of(opening.loudestDb.begin(), opening.loudestDb.end(), [](double db) { return db <= kSilentDb; });
    if (files == 0 || out.silent)
        return out;
    // The file's frequency is taken from the channel that sounds most: its
    // longest run is the cadence's longest, as the module's is.
    auto energy = [&](std::size_t c) {
        double sum = 0;
        for (double level : opening.levels[c])
            sum += level * level;
        return sum;
    };
    std::size_t loudest = 0;
    for (std::size_t c = 1; c < files; ++c)
        if (energy(c) > energy(loudest))
            loudest = c;
    const double fileFrequency = opening.frequency[loudest];

    // The candidates: the expected steady tone and every identification
    // cadence. Which tone, where in its cycle and which channel is which are
    // found on the module's sound asked for at a low rate: the 10 ms blocks
    // and the tones' frequencies are the same at any rate.
    std::vector<ToneSpec> tones;
    if (!expected.identify) {
        ToneSpec steady = expected;
        steady.channels = 1;
        tones.push_back(steady);
    }
    for (const bt::IdentifierFormatFacts& format : bt::kIdentifierFormats) {
        ToneSpec t;
        t.identify = true;
        t.cadence = bt::RecordValue(format.format);
        t.channels = static_cast<int>(bt::kMostChannels); // every channel any cadence writes
        tones.push_back(t);
    }
    const double openingSeconds = static_cast<double>(opening.levels[0].size()) * kBlockSeconds;
    const double seconds = std::max(kPatternSeconds, openingSeconds + kCycleAllowance);
    const auto block = static_cast<std::size_t>(std::lround(kBlockSeconds * kPatternRate));
    for (const ToneSpec& tone : tones) {
        const Pattern module = RenderPattern(reference, tone, kPatternRate, 1.0, block, seconds);
        std::vector<Relabel> ratios;
        for (std::size_t j = 0; j < module.samples.size(); ++j)
            for (Relabel r : CandidateRatios(fileFrequency,
                                             LongestRunFrequency(module.samples[j], module.on[j], block, kPatternRate)))
                if (std::find(ratios.begin(), ratios.end(), r) == ratios.end())
                    ratios.push_back(r);
        for (Relabel r : ratios) {
            Pattern p = r.from == 0 ? module : RenderPattern(reference, tone, kPatternRate / r.Ratio(), r.Ratio(), block, seconds);
            p.ratioFrom = r.from;
            p.ratioTo = r.to;
            Alignment a = Align(p, opening.on, lowFrequency);
            if (a.score > out.alignment.score + 1e-9) {
                out.alignment = std::move(a);
                out.pattern = std::move(p);
            }
        }
    }
    out.found = !out.pattern.samples.empty() && out.alignment.score >= kIsTone;
    return out;
}

std::vector<ChannelRole> AssignChannels(const Identification& identified, const OpeningLevels& opening)
{
    const std::size_t files = opening.levels.size();
    std::vector<ChannelRole> roles(files);
    const Pattern& p = identified.pattern;
    const int hostChannels = p.shared ? static_cast<int>(files) : p.hostChannels;
    for (std::size_t c = 0; c < files; ++c) {
        ChannelRole& r = roles[c];
        if (static_cast<int>(files) == hostChannels)
            r.expected = static_cast<int>(btmedia::FileChannelSource(static_cast<std::size_t>(hostChannels), c));
        else if (static_cast<int>(c) < hostChannels)
            r.expected = static_cast<int>(c);
        if (!identified.found)
            continue;
        const int j = identified.alignment.follows[c];
        if (j >= 0 && opening.loudestDb[c] > kSilentDb && identified.alignment.agreement[c] >= kCarries) {
            r.source = j;
            // A steady tone names no channel: each carries what its place asks.
            r.carries = p.shared ? r.expected : p.hostChannel[static_cast<std::size_t>(j)];
        }
    }
    return roles;
}

} // namespace btcheck
