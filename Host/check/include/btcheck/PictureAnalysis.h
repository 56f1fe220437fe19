#pragma once
// Every picture of a file held to the bars, in named phases with plain data
// between them:
//   establish  which bars and coding the first picture carries (PictureCheck.h);
//   measure    each distinct picture's regions where the bars put them;
//   classify   what the picture is: the bars, black, another picture, or the
//              bars with some regions damaged;
//   align      pictures in frame order, runs of one class made stretches, a
//              picture seen before in another stretch named frozen, frame
//              numbers the stream skips named missing;
//   judge      each stretch that departs a fault with its frames and times.
// A picture identical to one measured (the same packet or the same planes)
// takes that one's class without being measured again.

#include "btcheck/Findings.h"
#include "btcheck/PictureCheck.h"
#include "btcheck/Timecode.h"

#include <cstdint>
#include <future>
#include <map>
#include <optional>
#include <unordered_map>
#include <vector>

namespace btcheck {

// --- measure ---------------------------------------------------------------

/// One picture's regions against the baseline's coding.
struct PictureReading {
    std::vector<Measurement> measurements; ///< per region of the baseline's layout
    std::vector<double> errors;            ///< codes off the established coding; negative: not measured
};

[[nodiscard]] PictureReading MeasurePicture(const Baseline& base, const CodePicture& picture);

// --- classify --------------------------------------------------------------

enum class PictureClass { Bars, Black, Other, Damaged, Frozen, Missing };
[[nodiscard]] const char* PictureClassName(PictureClass c) noexcept;

struct PictureState {
    PictureClass kind = PictureClass::Bars;
    std::vector<int> regionsOff; ///< damaged: the regions beyond tolerance
    double worst = 0;            ///< codes off, the worst region
    int worstRegion = -1;
    std::array<double, 3> worstReads{};
    std::array<double, 3> worstExpected{};
    double share = 1;            ///< regions within the loose bound
    std::int64_t frozenFrom = -1; ///< frozen: the frame first seen with this picture

    /// Pictures of one stretch agree on these.
    [[nodiscard]] bool SameAs(const PictureState& o) const noexcept
    {
        return kind == o.kind && regionsOff == o.regionsOff && frozenFrom == o.frozenFrom;
    }
};

[[nodiscard]] PictureState ClassifyPicture(const Baseline& base, const PictureReading& reading);

// --- align -----------------------------------------------------------------

struct Stretch {
    std::int64_t first = 0, last = 0; ///< frames, inclusive
    PictureState state;
};

/// Puts pictures that arrive a few frames out of order back in order and
/// runs frames of one state together.
class StretchBuilder {
public:
    /// `gapsAreMissing` false: frame numbers not given are not looked for (a
    /// sampled check).
    explicit StretchBuilder(bool gapsAreMissing) : mGapsAreMissing(gapsAreMissing) {}
    void Add(std::int64_t frame, const PictureState& state);
    /// Stretches no later picture can extend.
    [[nodiscard]] std::vector<Stretch> TakeClosed();
    /// Every stretch still open, after the last picture.
    [[nodiscard]] std::vector<Stretch> Finish();

private:
    void Place(std::int64_t frame, const PictureState& state);

    static constexpr std::size_t kReorderWindow = 16; // frames a threaded decoder may run ahead, and more
    bool mGapsAreMissing;
    std::map<std::int64_t, PictureState> mWaiting;
    std::optional<Stretch> mOpen;
    std::vector<Stretch> mClosed;
};

// --- judge -----------------------------------------------------------------

/// The fault a stretch that departs from the bars is, with its frames,
/// times and timecodes; none for a stretch of bars.
[[nodiscard]] std::optional<Fault> JudgeStretch(const Stretch& stretch, const Baseline& base, const FrameClock& clock);

// --- the phases run over a file ---------------------------------------------

class PictureAnalysis {
public:
    /// `sampled` empty: every frame is measured; otherwise only these frames.
    PictureAnalysis(Reference& reference, const PictureFacts& facts, const ClipExpectation* clip,
                    const Tolerances& tolerances, const FrameClock& clock, std::vector<std::int64_t> sampled);
    ~PictureAnalysis();
    PictureAnalysis(const PictureAnalysis&) = delete;
    PictureAnalysis& operator=(const PictureAnalysis&) = delete;

    [[nodiscard]] bool Wants(std::int64_t frame) const;
    /// How frames are timed from now on: the first picture's timecode known
    /// only once the pictures tell it.
    void SetClock(const FrameClock& clock) { mClock = clock; }
    /// Whether a picture whose packet or planes hash to `hash` was measured.
    [[nodiscard]] bool Knows(std::uint64_t hash) const { return mKnown.contains(hash); }
    /// Frame `frame` takes the class of the picture known by `hash`.
    void Repeat(std::int64_t frame, std::uint64_t hash);
    void Feed(const CodePicture& picture, std::uint64_t packetHash, std::uint64_t pictureHash);
    /// Faults of stretches closed since the last call, for reports as a live input goes.
    [[nodiscard]] std::vector<Fault> TakeNewFaults();
    /// After the last picture; `met`: how many frames the file gave.
    [[nodiscard]] PictureFinding Finish(std::int64_t met);

private:
    void Record(std::int64_t frame, const PictureState& state);
    void Judge(const std::vector<Stretch>& stretches);

    Reference& mReference;
    const PictureFacts& mFacts;
    const ClipExpectation* mClip;
    Tolerances mTolerances;
    FrameClock mClock;
    std::vector<std::int64_t> mSampled;
    PictureFinding mFinding;
    std::vector<Candidate> mCandidates;
    std::future<std::vector<Candidate>> mPendingCandidates; ///< painted at the declared size, not yet taken
    std::optional<Baseline> mBase;
    int mAttempts = 0;
    std::int64_t mLastAttempt = -1;
    std::unordered_map<std::uint64_t, PictureState> mKnown; ///< by packet and by picture hash
    std::unordered_map<std::uint64_t, std::int64_t> mFirstSeen; ///< departing pictures: frame first seen
    std::unordered_map<std::uint64_t, std::pair<std::int64_t, PictureState>> mLastShown; ///< and last, as what
    std::optional<std::pair<std::int64_t, PictureState>> mPrevious; ///< the latest frame recorded
    StretchBuilder mStretches;
    std::vector<Fault> mNew;
    std::int64_t mDeparting = 0;     ///< stretches that depart, listed or not
    std::int64_t mLastDeparting = -1; ///< the last frame of the latest
};

} // namespace btcheck
