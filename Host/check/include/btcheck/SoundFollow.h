#pragma once
// Following the file's sound block by block against the module's sound for
// the same place: what one block of one channel reads, the channel's
// settled level and frequency, and the events that depart from them
// (drop-outs, clicks, changes of level or of frequency), each with its
// samples.

#include "btcheck/SoundAnalysis.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace btcheck {

/// A lossy codec smears the module's switchings, and a drop-out's end, over
/// its frame (AAC's transform spans 43 ms at 48 kHz): level and frequency are
/// judged only this many blocks after one.
inline constexpr int kSettleBlocks = 5;

/// One channel over one block, against the module's sound for it.
struct BlockReading {
    /// The module holds one tone across the block and half a block either
    /// side: only such blocks are judged.
    bool steady = false;
    double fileSquares = 0;   ///< Σ x²
    double moduleSquares = 0; ///< Σ r²
    double cross = 0;         ///< Σ x·r
    /// Σ x·q, Σ r·q and Σ q², q the module's tone a quarter cycle on: the
    /// file's block fitted as a·r + b·q gives its phase against the module's
    /// (a block may hold less than a cycle, where r and q are not orthogonal).
    double quadrature = 0, moduleQuadrature = 0, quadratureSquares = 0;
    double modulePeak = 0;
    /// The course of a sine: Σ x[n−1]² and Σ x[n−1]·(x[n] + x[n−2]), whose
    /// ratio is twice the cosine of its step per sample.
    double fileLag = 0, fileTurn = 0;
    double moduleLag = 0, moduleTurn = 0;
    /// The largest step of a sample off the course the module's tone sets
    /// from the two samples before it, and where in the block.
    double departure = 0;
    std::size_t departureAt = 0;
    /// The longest run of silent samples, where it starts, and the silent
    /// samples at either end of the block.
    std::size_t zeroRun = 0, zeroRunAt = 0;
    std::size_t leadingZeros = 0, trailingZeros = 0;
};

/// Reads one block of `block` samples. `x` is the file's block with the two
/// samples before it readable (x[-2], x[-1]); `r` the module's samples for
/// the same place with half a block and two samples before it, and half a
/// block after it, readable.
[[nodiscard]] BlockReading ReadBlock(const float* x, const float* r, std::size_t block);

/// A channel's own level and frequency, against the module's, from the
/// steady blocks of the opening: the median, so a short damage there does
/// not move it.
struct Baseline {
    bool known = false;
    double gain = 1;           ///< file amplitude ÷ module amplitude
    double frequencyRatio = 1; ///< file frequency ÷ module frequency
    int polarity = 0;          ///< 1 as the module's, -1 inverted, 0 not known
};

/// `readings` are the opening's blocks one after another, those not judged
/// marked not steady; `block` samples each at `rate`.
[[nodiscard]] Baseline Settle(const std::vector<BlockReading>& readings, double rate, std::size_t block);

/// The phase in radians of the file's tone against the module's over a block.
[[nodiscard]] double PhaseAgainstModule(const BlockReading& reading);

enum class EventKind { Dropout, Click, LevelChange, FrequencyChange };

/// A departure on one channel over file samples [first, end).
struct SoundEvent {
    EventKind kind = EventKind::Dropout;
    int channel = 0;
    std::int64_t first = 0;
    std::int64_t end = 0;
    double value = 0;    ///< click: its step as a share of the amplitude; level: dB; frequency: Hz in the file
    double expected = 0; ///< frequency: Hz the module's tone has there
};

/// Follows one channel block by block and closes its events. Clicks are
/// held back a few blocks, for a drop-out or a level change beginning or
/// ending there explains them.
class ChannelTracker {
public:
    ChannelTracker(int channel, const Baseline& baseline, const SoundOptions& options, double rate, std::size_t block);

    /// The block starting at file sample `first`; `judged` false for a block
    /// that follows missing samples. Events closed by it go to `closed`.
    void Add(std::int64_t first, const BlockReading& reading, bool judged, std::vector<SoundEvent>& closed);

    /// The end of the sound at file sample `end`: open events close there, a
    /// drop-out only when it began before `dropoutLimit`, and clicks only
    /// before it (what follows it is a codec's padding, not sound).
    void Close(std::int64_t end, std::int64_t dropoutLimit, std::vector<SoundEvent>& closed);

private:
    void Release(std::int64_t upTo, std::vector<SoundEvent>& closed);
    void Edge(std::int64_t at) { mEdges.push_back(at); }

    int mChannel;
    Baseline mBaseline;
    SoundOptions mOptions;
    double mRate;
    std::int64_t mBlock;

    bool mInDrop = false;
    std::int64_t mDropFirst = 0;
    std::int64_t mDropLastEnd = 0; ///< end of the last block found silent
    std::size_t mLastTrailingZeros = 0;
    int mSteadyBlocks = 0; ///< judged steady blocks in a row
    struct Jump {
        std::int64_t at = 0;
        double share = 0; ///< of the amplitude; 0: none
    };
    Jump mLastJump; ///< in the block before

    int mLevelRun = 0;      ///< blocks departing the same way in a row
    std::int64_t mLevelRunFirst = 0;
    double mLevelRunSum = 0;
    bool mInLevel = false;
    std::int64_t mLevelFirst = 0;
    double mLevelSum = 0;
    int mLevelCount = 0;
    std::int64_t mLevelLastEnd = 0; ///< end of the last block off its level
    int mLevelBack = 0;     ///< blocks back within tolerance in a row
    std::int64_t mLevelBackFirst = 0;

    int mWindowBlocks = 0;
    std::int64_t mWindowFirst = 0;
    double mWindowLag = 0, mWindowTurn = 0; ///< the file's course
    double mWindowModule = 0;               ///< the module's frequency, summed
    std::vector<double> mWindowPhases;
    bool mInFrequency = false;
    std::int64_t mFrequencyFirst = 0;
    std::int64_t mFrequencyLastEnd = 0; ///< end of the last reading off its frequency
    double mFrequencySum = 0, mExpectedSum = 0;
    int mFrequencyCount = 0;

    std::vector<SoundEvent> mPendingClicks;
    std::vector<std::int64_t> mEdges; ///< where drop-outs and level changes begin and end
};

} // namespace btcheck
