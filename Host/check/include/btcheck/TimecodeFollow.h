#pragma once
// The timecode the pictures themselves carry (an MPEG-2 group of pictures'
// header, an H.264 or HEVC picture timing message), followed frame by frame:
// from where it starts it must count on one frame a picture. A jump, a
// repeat or a step back is a fault placed between the two frames where it
// happens; so are a start other than the file's declared start timecode and
// a drop-frame count at a rate that has none.

#include "btcheck/Findings.h"
#include "btcheck/Timecode.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace btcheck {

class TimecodeFollow {
public:
    /// `clock` numbers the pictures; `declared` is the container's start
    /// timecode, empty when it has none.
    TimecodeFollow(const FrameClock& clock, std::string declared);

    /// Frame `frame` carries `text`. Frames come in any order within a few
    /// pictures; each is held against the one told before it.
    void Add(std::int64_t frame, const std::string& text);
    /// Frames since midnight of the first picture's timecode, from the first
    /// timecode carried; none before one came (or at no frame rate).
    [[nodiscard]] std::optional<std::int64_t> Start() const noexcept { return mStart; }
    /// Whether the carried timecode counts drop-frame (at a rate that has it).
    [[nodiscard]] bool DropFrame() const noexcept { return mDropFrame; }

    /// Faults found since the last call; each is also in Finish's.
    [[nodiscard]] std::vector<Fault> TakeNewFaults();
    /// Every fault, the last of them a count of those not listed.
    [[nodiscard]] std::vector<Fault> Finish();
    [[nodiscard]] const CarriedTimecode& Carried() const noexcept { return mCarried; }

private:
    void Report(Fault fault);
    [[nodiscard]] std::string Text(std::int64_t count) const;

    FrameClock mClock;
    std::string mDeclared;
    CarriedTimecode mCarried;
    std::optional<std::int64_t> mStart;
    bool mDropFrame = false;           ///< the carried count is drop-frame
    std::int64_t mLastFrame = -1;      ///< the latest picture told, and its count since midnight
    std::int64_t mLastCount = 0;
    bool mDropFault = false;           ///< the drop-frame flag faulted once already
    std::int64_t mBreaks = 0;          ///< breaks found, listed or not
    std::vector<Fault> mFaults, mNew;
};

} // namespace btcheck
