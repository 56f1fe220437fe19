#include "btcheck/SoundAnalysis.h"

#include "btcheck/Loudness.h"
#include "btcheck/SoundFollow.h"
#include "btcheck/SoundIdentify.h"
#include "btcheck/SoundJudge.h"
#include "btcheck/SoundLock.h"
#include "btcheck/SoundMeasure.h"
#include "Text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace btcheck {

namespace {

// A drop-out that runs to the end of the sound and begins this close to it
// is a codec's padding of its last frame (AAC's, AC-3's, MP2's frames are
// 1024 to 1536 samples), not the tone dropping out.
constexpr double kPaddingSeconds = 0.05;
// Silence filled in for missing samples, per piece.
constexpr std::size_t kGapPiece = 4096;

// Each kind of event, in EventKind's order: its fault's kind, and its name
// when more are counted than listed.
struct EventRow {
    const char* kind;
    const char* plural;
};
constexpr std::array<EventRow, 4> kEventRows{{{kind::kDropout, "drop-outs"},
                                              {kind::kClick, "clicks"},
                                              {kind::kLevel, "level changes"},
                                              {kind::kFrequency, "frequency changes"}}};

std::string ChannelLabel(const SoundFacts& facts, std::size_t c)
{
    const std::string& name = c < facts.channelNames.size() ? facts.channelNames[c] : std::string();
    return name.empty() ? Printf("ch%zu", c + 1) : name;
}

std::vector<std::string> Labels(const SoundFacts& facts)
{
    std::vector<std::string> names;
    for (std::size_t c = 0; c < static_cast<std::size_t>(std::max(facts.channels, 0)); ++c)
        names.push_back(ChannelLabel(facts, c));
    return names;
}

// A steady tone has no landmark in time: a file that starts half a cycle in
// would look inverted against the module, so each channel is held against
// the first instead.
std::vector<int> PolarityAgainstFirst(const std::vector<std::vector<float>>& samples, const std::vector<ChannelRole>& roles,
                                      std::size_t span)
{
    std::vector<int> out(samples.size(), 0);
    if (samples.empty() || roles[0].carries < 0)
        return out;
    out[0] = 1;
    const auto& first = samples[0];
    for (std::size_t c = 1; c < samples.size(); ++c) {
        if (roles[c].carries < 0)
            continue;
        double xy = 0, xx = 0, yy = 0;
        for (std::size_t i = 0; i < std::min({span, first.size(), samples[c].size()}); ++i) {
            const double x = samples[c][i], y = first[i];
            xy += x * y;
            xx += x * x;
            yy += y * y;
        }
        const double corr = xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : 0.0;
        if (std::abs(corr) > 0.5)
            out[c] = corr > 0 ? 1 : -1;
    }
    return out;
}

} // namespace

struct SoundAnalysis::State {
    State(Reference& r, const ClipExpectation* c, const SoundOptions& o, const SoundFacts& f, const SoundTiming& t)
        : reference(r), clip(c), options(o), facts(f), timing(t), rate(f.rate), channels(static_cast<std::size_t>(std::max(f.channels, 0))),
          block(BlockSamples(f.rate > 0 ? f.rate : 1)), names(Labels(f)), squares(channels, 0.0), peaks(channels, 0.0),
          loudness(f.channelNames.size() == channels ? f.channelNames : std::vector<std::string>(channels), f.rate),
          lowFrequency(LowFrequencyChannels(f.channelNames, channels)), opening(channels),
          work(channels, std::vector<float>(block + 2, 0.0f))
    {
        openingLimit = static_cast<std::int64_t>(std::ceil(std::max(options.openingSeconds, 1.0) * rate));
        if (facts.durationSeconds > 0)
            judgedEnd = static_cast<std::int64_t>(std::ceil(facts.durationSeconds * rate));
        finding.present = true;
        finding.rate = f.rate;
    }

    void Append(const std::vector<const float*>& from, std::size_t count);
    void StartFollowing();
    void FollowSamples(const std::vector<const float*>& from, std::size_t count);
    void ProcessBlock();
    void JudgeOpening();
    void EmitClosed();

    Reference& reference;
    const ClipExpectation* clip;
    SoundOptions options;
    SoundFacts facts;
    SoundTiming timing;
    double rate;
    std::size_t channels;
    std::size_t block;
    std::vector<std::string> names;

    // The whole sound.
    std::int64_t samples = 0; ///< fed so far, missing ones filled in
    std::vector<double> squares, peaks;
    LoudnessMeter loudness;
    std::vector<std::pair<std::int64_t, std::int64_t>> gaps; ///< [first, end) filled in for missing samples
    std::int64_t judgedEnd = std::numeric_limits<std::int64_t>::max();
    std::vector<bool> lowFrequency; ///< channels that may miss the tone above kLowFrequencyTop

    enum class Stage { Opening, Following, Unmatched } stage = Stage::Opening;
    std::vector<std::vector<float>> opening;
    std::int64_t openingLimit = 0;
    std::vector<double> openingFrequency;

    Identification identified;
    std::vector<ChannelRole> roles;
    std::unique_ptr<ModuleSound> module;
    SoundLock lock;
    std::vector<std::optional<ChannelTracker>> trackers;

    // Blocks as they are assembled: two samples of history, then the block.
    std::vector<std::vector<float>> work;
    std::size_t filled = 0;
    std::int64_t blockFirst = 0;
    struct Collected {
        std::int64_t first;
        bool judged;
        std::vector<BlockReading> readings;
    };
    bool collecting = false;
    std::vector<Collected> collected;

    std::vector<SoundEvent> closed;
    std::array<int, kEventRows.size()> listed{};
    std::array<double, kEventRows.size()> lastSeconds{};
    std::vector<Fault> faults;
    std::size_t taken = 0;
    SoundFinding finding;
};

void SoundAnalysis::State::Append(const std::vector<const float*>& from, std::size_t count)
{
    for (std::size_t c = 0; c < channels; ++c)
        for (std::size_t i = 0; i < count; ++i) {
            const double v = from[c][i];
            squares[c] += v * v;
            peaks[c] = std::max(peaks[c], std::abs(v));
        }
    loudness.Add(from, count);
    samples += static_cast<std::int64_t>(count);
    std::size_t done = 0;
    if (stage == Stage::Opening) {
        const auto room = static_cast<std::size_t>(std::max<std::int64_t>(
            openingLimit - static_cast<std::int64_t>(opening.empty() ? 0 : opening[0].size()), 0));
        done = std::min(room, count);
        for (std::size_t c = 0; c < channels; ++c)
            opening[c].insert(opening[c].end(), from[c], from[c] + done);
        if (!opening.empty() && static_cast<std::int64_t>(opening[0].size()) >= openingLimit)
            StartFollowing();
    }
    if (stage == Stage::Following && done < count) {
        std::vector<const float*> rest(channels);
        for (std::size_t c = 0; c < channels; ++c)
            rest[c] = from[c] + done;
        FollowSamples(rest, count - done);
    }
}

void SoundAnalysis::State::StartFollowing()
{
    const OpeningLevels levels = MeasureOpening(opening, rate);
    const ToneSpec expected = clip != nullptr ? clip->tone : ToneOf(reference.Base());
    identified = Identify(reference, expected, levels, lowFrequency);
    openingFrequency = levels.frequency;
    if (!identified.found) {
        stage = Stage::Unmatched;
        faults.emplace_back(kind::kLevel,
                            identified.silent
                                ? std::string("the sound is silent")
                                : Printf("the sound is not the module's tone: no identification cadence, nor the %s, "
                                         "fits it (at best %.0f%% of its 10 ms blocks; another steady tone is named "
                                         "by its clip, --clip)",
                                         ToneName(expected).c_str(), 100 * identified.alignment.score),
                            Fault::Values{{"fit", identified.alignment.score}});
        opening = {};
        return;
    }
    roles = AssignChannels(identified, levels);
    module = std::make_unique<ModuleSound>(reference, identified.pattern, rate);
    lock = LockToModule(opening, levels, identified, roles, *module);
    const std::vector<int> steadyPolarity =
        identified.pattern.shared ? PolarityAgainstFirst(opening, roles, static_cast<std::size_t>(rate)) : std::vector<int>{};

    // The module's frequency over the stretch each channel's was measured on.
    finding.channels.assign(channels, ChannelReading{});
    for (std::size_t c = 0; c < channels; ++c) {
        ChannelReading& r = finding.channels[c];
        r.name = names[c];
        r.frequency = levels.frequency[c];
        r.carries = roles[c].carries;
        r.expected = roles[c].expected;
        const Run run = LongestRun(levels.on[c]);
        if (roles[c].source < 0 || run.Length() < 3)
            continue;
        const auto first = static_cast<std::int64_t>((run.first + 1) * block);
        const auto n = std::min<std::size_t>((run.Length() - 2) * block, static_cast<std::size_t>(rate));
        const auto& views = module->At(first + lock.offset, n);
        r.moduleFrequency = ToneFrequency(views[static_cast<std::size_t>(roles[c].source)], n, module->Rate());
    }

    // The opening block by block, once to settle each channel's level and
    // frequency, then again to follow it.
    stage = Stage::Following;
    collecting = true;
    std::vector<const float*> from(channels);
    for (std::size_t c = 0; c < channels; ++c)
        from[c] = opening[c].data();
    FollowSamples(from, opening.empty() ? 0 : opening[0].size());
    collecting = false;
    opening = {};

    trackers.assign(channels, std::nullopt);
    for (std::size_t c = 0; c < channels; ++c) {
        if (roles[c].source < 0)
            continue;
        std::vector<BlockReading> readings;
        for (const Collected& k : collected) {
            readings.push_back(k.readings[c]);
            readings.back().steady = readings.back().steady && k.judged;
        }
        const Baseline baseline = Settle(readings, rate, block);
        if (!baseline.known)
            continue;
        ChannelReading& r = finding.channels[c];
        r.gainDb = Decibels(baseline.gain);
        r.polarity = identified.pattern.shared ? steadyPolarity[c] : lock.onsets > 0 ? baseline.polarity : 0;
        trackers[c].emplace(static_cast<int>(c), baseline, options, rate, block);
    }
    JudgeOpening();
    for (const Collected& k : collected) {
        for (std::size_t c = 0; c < channels; ++c)
            if (trackers[c])
                trackers[c]->Add(k.first, k.readings[c], k.judged, closed);
        EmitClosed();
    }
    collected = {};
}

void SoundAnalysis::State::JudgeOpening()
{
    const Pattern& pattern = identified.pattern;
    finding.identified = true;
    finding.tone = ToneName(pattern.tone);
    finding.cadence = pattern.tone.identify ? pattern.tone.cadence : -1;
    finding.rateRatio = pattern.ratio;
    const std::int64_t cycle = static_cast<std::int64_t>(pattern.period * block);
    finding.phaseSeconds =
        cycle > 0 ? static_cast<double>(((lock.offset % cycle) + cycle) % cycle) / module->Rate() : 0.0;
    finding.syncMeasured = true;
    finding.syncSeconds = timing.startSeconds + static_cast<double>(lock.lateSamples) / rate;
    for (std::size_t c = 0; c < channels; ++c)
        finding.channels[c].peakDb = Decibels(peaks[c]); // so far: a channel silent here is missing

    // The tone's level against the line-up it should sit at.
    std::vector<double> gains;
    for (const ChannelReading& r : finding.channels)
        if (r.carries >= 0)
            gains.push_back(r.gainDb);
    std::sort(gains.begin(), gains.end());
    finding.toneDbfs = pattern.levelDbfs + (gains.empty() ? 0.0 : gains[gains.size() / 2]);
    // The clip's tone, or an identification, brings its own level.
    std::optional<LineUp> own;
    if (clip != nullptr)
        own = LineUp{"the clip's level", pattern.levelDbfs, LineUp::Source::Own};
    else if (!pattern.shared)
        own = LineUp{"the identification's own level", pattern.levelDbfs, LineUp::Source::Own};
    const LineUp lineUp =
        ChooseLineUp(options.referenceLevel, own, finding.toneDbfs,
                     UsualLineUps(Decibels(static_cast<double>(ToneOf(reference.Base()).amplitude))), options.levelDb);
    finding.lineUp = lineUp.name;
    finding.lineUpDbfs = lineUp.dbfs;

    auto add = [&](std::vector<Fault> more) { faults.insert(faults.end(), more.begin(), more.end()); };
    add(ChannelFaults(finding.channels, identified, finding.tone));
    add(LevelFaults(finding.channels, pattern.levelDbfs, lineUp, options.levelDb));
    add(FrequencyFaults(finding.channels, pattern, options.frequencyHz));
    if (clip != nullptr && clip->audioRate > 0 && std::abs(clip->audioRate - rate) > 0.5)
        faults.emplace_back(kind::kFrequency, Printf("the sound is at %.0f Hz; the clip's is at %.0f Hz", rate, clip->audioRate),
                            Fault::Values{{"rate", rate}, {"clip_rate", clip->audioRate}});
    if (clip != nullptr && (clip->tone.identify != pattern.tone.identify ||
                            (clip->tone.identify && clip->tone.cadence != pattern.tone.cadence)))
        faults.emplace_back(kind::kFrequency, "the tone is " + finding.tone + "; the clip's is " + ToneName(clip->tone));
    if (auto sync = SyncFault(finding.syncSeconds, timing.frameRate, options.syncMs))
        faults.push_back(std::move(*sync));
}

void SoundAnalysis::State::FollowSamples(const std::vector<const float*>& from, std::size_t count)
{
    std::size_t done = 0;
    while (done < count) {
        const std::size_t n = std::min(block - filled, count - done);
        for (std::size_t c = 0; c < channels; ++c)
            std::copy_n(from[c] + done, n, work[c].begin() + 2 + static_cast<std::ptrdiff_t>(filled));
        filled += n;
        done += n;
        if (filled == block) {
            ProcessBlock();
            for (auto& w : work) {
                w[0] = w[block];
                w[1] = w[block + 1];
            }
            filled = 0;
            blockFirst += static_cast<std::int64_t>(block);
        }
    }
}

void SoundAnalysis::State::ProcessBlock()
{
    const auto size = static_cast<std::int64_t>(block);
    const std::int64_t half = size / 2;
    std::erase_if(gaps, [&](const auto& g) { return g.second < blockFirst - 2; });
    const bool afterGap = std::any_of(gaps.begin(), gaps.end(),
                                      [&](const auto& g) { return g.first < blockFirst + size && g.second > blockFirst - 2; });
    const bool judged = !afterGap && blockFirst + size <= judgedEnd;
    const auto& views = module->At(blockFirst + lock.offset - half - 2, static_cast<std::size_t>(size + 2 * half + 2));
    Collected k{blockFirst, judged, {}};
    if (collecting)
        k.readings.resize(channels);
    for (std::size_t c = 0; c < channels; ++c) {
        if (roles[c].source < 0 || (!collecting && !trackers[c]))
            continue;
        BlockReading reading =
            ReadBlock(work[c].data() + 2, views[static_cast<std::size_t>(roles[c].source)] + half + 2, block);
        if (lowFrequency[c] && CourseFrequency(reading.moduleLag, reading.moduleTurn, rate) > kLowFrequencyTop)
            reading.steady = false;
        if (collecting)
            k.readings[c] = reading;
        else
            trackers[c]->Add(blockFirst, reading, judged, closed);
    }
    if (collecting)
        collected.push_back(std::move(k));
    else
        EmitClosed();
}

void SoundAnalysis::State::EmitClosed()
{
    if (closed.empty())
        return;
    std::sort(closed.begin(), closed.end(), [](const SoundEvent& a, const SoundEvent& b) { return a.first < b.first; });
    std::vector<SoundEvent> shown;
    for (const SoundEvent& e : closed) {
        const auto k = static_cast<std::size_t>(e.kind);
        lastSeconds[k] = std::max(lastSeconds[k], timing.startSeconds + static_cast<double>(e.end) / rate);
        if (listed[k]++ < kMostListed)
            shown.push_back(e);
    }
    for (Fault& f : EventFaults(shown, names, rate, timing.startSeconds, static_cast<std::int64_t>(block)))
        faults.push_back(std::move(f));
    closed.clear();
}

SoundAnalysis::SoundAnalysis(Reference& reference, const ClipExpectation* clip, const SoundOptions& options,
                             const SoundFacts& facts, const SoundTiming& timing)
    : mState(std::make_unique<State>(reference, clip, options, facts, timing))
{
    if (facts.rate <= 0 || facts.channels <= 0)
        throw std::invalid_argument("sound of " + std::to_string(facts.channels) + " channels at " +
                                    std::to_string(facts.rate) + " Hz cannot be analysed");
}

SoundAnalysis::~SoundAnalysis() = default;

void SoundAnalysis::SetTiming(const SoundTiming& timing)
{
    mState->timing = timing;
}

void SoundAnalysis::Feed(const SoundBlock& block)
{
    State& s = *mState;
    if (block.channels.size() != s.channels)
        throw std::invalid_argument("a block of " + std::to_string(block.channels.size()) + " channels for sound of " +
                                    std::to_string(s.channels));
    if (block.firstSample > s.samples) {
        // Missing samples: said once, filled with silence so that the blocks
        // keep their places, and not judged.
        const std::int64_t missing = block.firstSample - s.samples;
        const auto dropouts = static_cast<std::size_t>(EventKind::Dropout);
        s.lastSeconds[dropouts] = s.timing.startSeconds + static_cast<double>(block.firstSample) / s.rate;
        if (s.listed[dropouts]++ < kMostListed)
            s.faults.push_back(MissingSamplesFault(s.samples, missing, s.rate, s.timing.startSeconds));
        s.gaps.emplace_back(s.samples, block.firstSample);
        const std::vector<float> silence(kGapPiece, 0.0f);
        const std::vector<const float*> from(s.channels, silence.data());
        for (std::int64_t left = missing; left > 0;) {
            const auto n = static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(kGapPiece)));
            s.Append(from, n);
            left -= static_cast<std::int64_t>(n);
        }
    }
    // Samples already had (a stream that overlaps itself) are skipped.
    const auto skip = static_cast<std::size_t>(std::max<std::int64_t>(s.samples - block.firstSample, 0));
    if (skip >= block.count)
        return;
    std::vector<const float*> from(s.channels);
    for (std::size_t c = 0; c < s.channels; ++c)
        from[c] = block.channels[c] + skip;
    s.Append(from, block.count - skip);
}

std::vector<Fault> SoundAnalysis::TakeNewFaults()
{
    State& s = *mState;
    std::vector<Fault> out(s.faults.begin() + static_cast<std::ptrdiff_t>(s.taken), s.faults.end());
    s.taken = s.faults.size();
    return out;
}

SoundFinding SoundAnalysis::Finish()
{
    State& s = *mState;
    if (s.stage == State::Stage::Opening)
        s.StartFollowing();
    if (s.stage == State::Stage::Following) {
        const std::int64_t padding = static_cast<std::int64_t>(std::ceil(kPaddingSeconds * s.rate));
        const std::int64_t limit = std::min(s.judgedEnd, s.samples - padding);
        for (auto& tracker : s.trackers)
            if (tracker)
                tracker->Close(s.blockFirst, limit, s.closed);
        s.EmitClosed();
    }
    for (std::size_t k = 0; k < kEventRows.size(); ++k)
        if (s.listed[k] > kMostListed)
            s.faults.emplace_back(kEventRows[k].kind,
                                  Printf("and %d more %s, the last ending at %.3f s", s.listed[k] - kMostListed,
                                         kEventRows[k].plural, s.lastSeconds[k]),
                                  Fault::Values{{"more", s.listed[k] - kMostListed}});
    SoundFinding out = std::move(s.finding);
    out.seconds = static_cast<double>(s.samples) / s.rate;
    if (out.channels.size() != s.channels) {
        out.channels.assign(s.channels, ChannelReading{});
        for (std::size_t c = 0; c < s.channels; ++c) {
            out.channels[c].name = s.names[c];
            out.channels[c].frequency = c < s.openingFrequency.size() ? s.openingFrequency[c] : 0.0;
        }
    }
    for (std::size_t c = 0; c < s.channels; ++c) {
        out.channels[c].rmsDb = Decibels(s.samples > 0 ? std::sqrt(s.squares[c] / static_cast<double>(s.samples)) : 0.0);
        out.channels[c].peakDb = Decibels(s.peaks[c]);
    }
    const Loudness loudness = s.loudness.Result();
    out.loudnessMeasured = loudness.measured;
    out.loudnessLufs = loudness.integratedLufs;
    out.truePeakDbtp = loudness.truePeakDbtp;
    out.faults = s.faults;
    return out;
}

} // namespace btcheck
