#include "btcheck/SoundFollow.h"

#include "btcheck/SoundMeasure.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace btcheck {

namespace {

// The module's tone keeps its course within this share of its peak when it
// holds one tone; its switchings leave it by far more.
constexpr double kCourse = 1e-3;
// A sample this close to zero is silent (below half a 24-bit step's worth of
// a 20-bit one; decoders give exact zeros for silence).
constexpr float kSilentSample = 1e-6f;
// A drop-out: the block this far below the channel's own level, or this many
// silent samples in a row where the tone should be at least this loud.
constexpr double kDropDb = 20;
constexpr std::size_t kZeroRun = 4;
constexpr double kAudiblePeak = 1e-3;
// Blocks in a row that depart the same way before a level change is one, and
// that are back before it ends: shorter departures are clicks, or noise.
constexpr int kLevelRun = 5;
// Blocks whose courses are summed for one reading of the frequency: 0.1 s.
constexpr int kFrequencyBlocks = 10;
// A frequency off the module's by more than this is read from the file's
// course; closer, from how its phase drifts against the module's, which a
// lossy codec's noise does not bend.
constexpr double kCoarseHz = 20;
// Clicks are held this many blocks, and dropped within a block of an edge.
constexpr std::int64_t kHoldBlocks = kLevelRun + 2;

double Median(std::vector<double> v)
{
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

} // namespace

BlockReading ReadBlock(const float* x, const float* r, std::size_t block)
{
    BlockReading out;
    const auto n = static_cast<std::ptrdiff_t>(block);
    auto R = [r](std::ptrdiff_t i) { return static_cast<double>(r[i]); };
    auto X = [x](std::ptrdiff_t i) { return static_cast<double>(x[i]); };
    for (std::ptrdiff_t i = 0; i < n; ++i) {
        out.moduleLag += R(i - 1) * R(i - 1);
        out.moduleTurn += R(i - 1) * (R(i) + R(i - 2));
        out.modulePeak = std::max(out.modulePeak, std::abs(R(i)));
    }
    const double twice = out.moduleLag > 0 ? out.moduleTurn / out.moduleLag : 0.0; // 2 cos(step)
    const double sine = std::sqrt(std::max(1 - twice * twice / 4, 0.0));             // sin(step)

    // The module's course across the block and half a block either side.
    const std::ptrdiff_t half = n / 2;
    double course = 0, peak = 0;
    std::size_t zeros = 0;
    bool gap = false;
    for (std::ptrdiff_t i = -half; i < n + half; ++i) {
        course = std::max(course, std::abs(R(i) - twice * R(i - 1) + R(i - 2)));
        peak = std::max(peak, std::abs(R(i)));
        zeros = r[i] == 0.0f ? zeros + 1 : 0;
        gap = gap || zeros >= 2;
    }
    out.steady = out.moduleLag > 0 && !gap && course <= kCourse * peak;

    std::size_t run = 0;
    for (std::ptrdiff_t i = 0; i < n; ++i) {
        const double v = X(i), m = R(i), previous = X(i - 1);
        out.fileSquares += v * v;
        out.moduleSquares += m * m;
        out.cross += v * m;
        if (sine > 0) {
            const double q = (R(i + 1) - R(i - 1)) / (2 * sine);
            out.quadrature += v * q;
            out.moduleQuadrature += m * q;
            out.quadratureSquares += q * q;
        }
        out.fileLag += previous * previous;
        out.fileTurn += previous * (v + X(i - 2));
        const double departure = std::abs(v - twice * previous + X(i - 2));
        if (departure > out.departure) {
            out.departure = departure;
            out.departureAt = static_cast<std::size_t>(i);
        }
        if (std::abs(x[i]) <= kSilentSample) {
            if (++run > out.zeroRun) {
                out.zeroRun = run;
                out.zeroRunAt = static_cast<std::size_t>(i) + 1 - run;
            }
        } else {
            run = 0;
        }
    }
    out.trailingZeros = run;
    while (out.leadingZeros < block && std::abs(x[out.leadingZeros]) <= kSilentSample)
        ++out.leadingZeros;
    return out;
}

double PhaseAgainstModule(const BlockReading& r)
{
    const double determinant = r.moduleSquares * r.quadratureSquares - r.moduleQuadrature * r.moduleQuadrature;
    if (determinant <= 0)
        return 0;
    const double a = (r.cross * r.quadratureSquares - r.quadrature * r.moduleQuadrature) / determinant;
    const double b = (r.quadrature * r.moduleSquares - r.cross * r.moduleQuadrature) / determinant;
    return std::atan2(b, a);
}

namespace {

// A phase step into (−π, π].
double Wrapped(double step)
{
    return step - 2 * std::numbers::pi * std::round(step / (2 * std::numbers::pi));
}

} // namespace

Baseline Settle(const std::vector<BlockReading>& readings, double rate, std::size_t block)
{
    Baseline out;
    std::vector<double> gains, ratios;
    double cross = 0, file = 0, module = 0;
    const double blockSeconds = static_cast<double>(block) / rate;
    for (std::size_t b = 0; b < readings.size(); ++b) {
        const BlockReading& r = readings[b];
        if (!r.steady || r.moduleSquares <= 0 || r.fileSquares <= r.moduleSquares * 1e-6)
            continue;
        gains.push_back(std::sqrt(r.fileSquares / r.moduleSquares));
        cross += r.cross;
        file += r.fileSquares;
        module += r.moduleSquares;
        if (b == 0 || !readings[b - 1].steady || readings[b - 1].fileSquares <= readings[b - 1].moduleSquares * 1e-6)
            continue;
        const double due = CourseFrequency(r.moduleLag, r.moduleTurn, rate);
        const double drift = Wrapped(PhaseAgainstModule(r) - PhaseAgainstModule(readings[b - 1])) /
                             (2 * std::numbers::pi * blockSeconds);
        if (due > 0)
            ratios.push_back(1 + drift / due);
    }
    if (gains.empty())
        return out;
    out.known = true;
    out.gain = Median(gains);
    out.frequencyRatio = ratios.empty() ? 1.0 : Median(ratios);
    const double correlation = cross / std::sqrt(file * module);
    out.polarity = correlation > 0.5 ? 1 : correlation < -0.5 ? -1 : 0;
    return out;
}

ChannelTracker::ChannelTracker(int channel, const Baseline& baseline, const SoundOptions& options, double rate,
                               std::size_t block)
    : mChannel(channel), mBaseline(baseline), mOptions(options), mRate(rate), mBlock(static_cast<std::int64_t>(block))
{
}

void ChannelTracker::Add(std::int64_t first, const BlockReading& reading, bool judged, std::vector<SoundEvent>& closed)
{
    Release(first - kHoldBlocks * mBlock, closed);
    const std::int64_t end = first + mBlock;
    if (!judged || !reading.steady) {
        mWindowBlocks = 0;
        mLevelRun = 0;
        mLastTrailingZeros = 0;
        mSteadyBlocks = 0;
        mLastJump = {};
        return;
    }
    ++mSteadyBlocks;
    const double expected = reading.moduleSquares * mBaseline.gain * mBaseline.gain;
    const double amplitude = mBaseline.gain * reading.modulePeak;
    const bool audible = amplitude >= kAudiblePeak;

    // Drop-outs, to the sample where the file is silent at their edges.
    bool quiet = reading.fileSquares < expected * std::pow(10.0, -kDropDb / 10);
    if (quiet) {
        if (!mInDrop) {
            mInDrop = true;
            mDropFirst = first - static_cast<std::int64_t>(mLastTrailingZeros);
            Edge(mDropFirst);
        }
        mDropLastEnd = end;
    } else {
        bool endedHere = false;
        if (mInDrop) {
            // Back where it left off, or, after a stretch not judged, where it was last seen silent.
            const std::int64_t at =
                first == mDropLastEnd ? first + static_cast<std::int64_t>(reading.leadingZeros) : mDropLastEnd;
            closed.push_back({EventKind::Dropout, mChannel, mDropFirst, at, 0, 0});
            Edge(at);
            mInDrop = false;
            endedHere = reading.leadingZeros > 0;
            quiet = true; // the tone comes back here: it settles again
        }
        if (audible && reading.zeroRun >= kZeroRun && !(endedHere && reading.zeroRunAt == 0)) {
            const std::int64_t start = first + static_cast<std::int64_t>(reading.zeroRunAt);
            const std::int64_t stop = start + static_cast<std::int64_t>(reading.zeroRun);
            Edge(start);
            if (stop == end) {
                mInDrop = true;
                mDropFirst = start;
                mDropLastEnd = end;
            } else {
                closed.push_back({EventKind::Dropout, mChannel, start, stop, 0, 0});
                Edge(stop);
            }
            quiet = true;
        }
    }
    mLastTrailingZeros = reading.trailingZeros;
    const Jump before = mLastJump;
    mLastJump = {};
    if (quiet || mInDrop) {
        mWindowBlocks = 0;
        mLevelRun = 0;
        mSteadyBlocks = 0;
        return;
    }

    // Clicks: a sample off the tone's course.
    const Jump jump{first + static_cast<std::int64_t>(reading.departureAt), reading.departure / amplitude};
    const bool jumps = audible && jump.share > mOptions.clickPercent / 100.0;
    if (jumps) {
        mPendingClicks.push_back({EventKind::Click, mChannel, jump.at, jump.at + 1, jump.share, 0});
        mLastJump = jump;
    }
    if (mSteadyBlocks <= kSettleBlocks)
        return;
    // A level change begins or ends where the waveform jumped, in this block
    // or the one before, or else with this block.
    auto edgeAt = [&] {
        const Jump& larger = jumps && jump.share >= before.share ? jump : before;
        return larger.share > 0 ? larger.at : first;
    };

    // Level changes: runs of blocks off the channel's own level.
    const double db = 10 * std::log10(reading.fileSquares / expected);
    const bool departs = std::abs(db) > mOptions.levelDb;
    if (!mInLevel) {
        if (!departs) {
            mLevelRun = 0;
        } else if (mLevelRun > 0 && (db > 0) == (mLevelRunSum > 0)) {
            ++mLevelRun;
            mLevelRunSum += db;
        } else {
            mLevelRun = 1;
            mLevelRunFirst = edgeAt();
            mLevelRunSum = db;
        }
        if (departs)
            mLevelLastEnd = end;
        if (mLevelRun >= kLevelRun) {
            mInLevel = true;
            mLevelFirst = mLevelRunFirst;
            mLevelSum = mLevelRunSum;
            mLevelCount = mLevelRun;
            mLevelBack = 0;
            Edge(mLevelFirst);
        }
    } else if (departs) {
        mLevelLastEnd = end;
        mLevelSum += db;
        ++mLevelCount;
        mLevelBack = 0;
    } else {
        // Back where it left off, or, after a stretch not judged, where it was last seen off.
        if (mLevelBack++ == 0)
            mLevelBackFirst = first == mLevelLastEnd ? edgeAt() : mLevelLastEnd;
        if (mLevelBack >= kLevelRun) {
            closed.push_back({EventKind::LevelChange, mChannel, mLevelFirst, mLevelBackFirst, mLevelSum / mLevelCount, 0});
            Edge(mLevelBackFirst);
            mInLevel = false;
            mLevelRun = 0;
        }
    }

    // Frequency changes: a reading per tenth of a second of steady tone,
    // without jumps, which would bend it.
    if (jumps) {
        mWindowBlocks = 0;
        return;
    }
    if (mWindowBlocks == 0) {
        mWindowFirst = first;
        mWindowLag = mWindowTurn = mWindowModule = 0;
        mWindowPhases.clear();
    }
    mWindowLag += reading.fileLag;
    mWindowTurn += reading.fileTurn;
    mWindowModule += CourseFrequency(reading.moduleLag, reading.moduleTurn, mRate);
    mWindowPhases.push_back(mWindowPhases.empty() ? PhaseAgainstModule(reading)
                                                  : mWindowPhases.back() +
                                                        Wrapped(PhaseAgainstModule(reading) - mWindowPhases.back()));
    if (++mWindowBlocks == kFrequencyBlocks) {
        mWindowBlocks = 0;
        // The drift of the phase, fitted over the window's blocks.
        const double middle = (kFrequencyBlocks - 1) / 2.0;
        double mean = 0;
        for (double phase : mWindowPhases)
            mean += phase / kFrequencyBlocks;
        double slope = 0, spread = 0;
        for (int i = 0; i < kFrequencyBlocks; ++i) {
            slope += (i - middle) * (mWindowPhases[static_cast<std::size_t>(i)] - mean);
            spread += (i - middle) * (i - middle);
        }
        const double module = mWindowModule / kFrequencyBlocks;
        const double course = CourseFrequency(mWindowLag, mWindowTurn, mRate);
        const double heard = std::abs(course - module) > kCoarseHz
                                 ? course
                                 : module + slope / spread / (2 * std::numbers::pi * static_cast<double>(mBlock) / mRate);
        const double due = module * mBaseline.frequencyRatio;
        if (std::abs(heard - due) > mOptions.frequencyHz) {
            if (!mInFrequency) {
                mInFrequency = true;
                mFrequencyFirst = mWindowFirst;
                mFrequencySum = mExpectedSum = 0;
                mFrequencyCount = 0;
            }
            mFrequencyLastEnd = first + mBlock;
            mFrequencySum += heard;
            mExpectedSum += due;
            ++mFrequencyCount;
        } else if (mInFrequency) {
            closed.push_back({EventKind::FrequencyChange, mChannel, mFrequencyFirst, mFrequencyLastEnd,
                              mFrequencySum / mFrequencyCount, mExpectedSum / mFrequencyCount});
            mInFrequency = false;
        }
    }
}

void ChannelTracker::Close(std::int64_t end, std::int64_t dropoutLimit, std::vector<SoundEvent>& closed)
{
    if (mInDrop && mDropFirst < dropoutLimit) {
        closed.push_back({EventKind::Dropout, mChannel, mDropFirst, std::min(end, mDropLastEnd), 0, 0});
        Edge(std::min(end, mDropLastEnd));
    }
    mInDrop = false;
    if (mInLevel)
        closed.push_back({EventKind::LevelChange, mChannel, mLevelFirst, std::min(end, mLevelLastEnd),
                          mLevelSum / mLevelCount, 0});
    mInLevel = false;
    if (mInFrequency)
        closed.push_back({EventKind::FrequencyChange, mChannel, mFrequencyFirst, std::min(end, mFrequencyLastEnd),
                          mFrequencySum / mFrequencyCount,
                          mExpectedSum / mFrequencyCount});
    mInFrequency = false;
    // What follows the limit is a codec's padding, whose edge is no click.
    std::erase_if(mPendingClicks, [&](const SoundEvent& click) { return click.first >= dropoutLimit; });
    Release(std::numeric_limits<std::int64_t>::max(), closed);
}

void ChannelTracker::Release(std::int64_t upTo, std::vector<SoundEvent>& closed)
{
    auto held = mPendingClicks.begin();
    for (const SoundEvent& click : mPendingClicks) {
        if (click.first >= upTo) {
            *held++ = click;
            continue;
        }
        const bool explained = std::any_of(mEdges.begin(), mEdges.end(),
                                           [&](std::int64_t edge) { return std::abs(edge - click.first) <= mBlock; });
        if (!explained)
            closed.push_back(click);
    }
    mPendingClicks.erase(held, mPendingClicks.end());
    // Edges too old to explain any click still to come.
    const std::int64_t oldest = mPendingClicks.empty() ? upTo : std::min(upTo, mPendingClicks.front().first);
    if (oldest != std::numeric_limits<std::int64_t>::max())
        std::erase_if(mEdges, [&](std::int64_t edge) { return edge < oldest - 2 * mBlock; });
}

} // namespace btcheck
