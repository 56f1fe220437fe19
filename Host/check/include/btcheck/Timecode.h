#pragma once
// Timecode as files carry it: "HH:MM:SS:FF", ";" (or ".") before the frames
// for drop-frame counting, read into frames since midnight and written back.

#include <cstdint>
#include <string>

namespace btcheck {

struct Timecode {
    int h = 0, m = 0, s = 0, f = 0;
    bool dropFrame = false;
};

/// False when `text` is not a timecode.
bool ParseTimecode(const std::string& text, Timecode& tc);

/// Frames per second as timecode counts them: 25 for 25, 30 for 29.97.
[[nodiscard]] int NominalRate(double fps) noexcept;
/// Whether a rate has a drop-frame count (29.97 and 59.94).
[[nodiscard]] bool HasDropFrame(double fps) noexcept;

/// Frames since midnight of a timecode at `nominal` frames per second,
/// drop-frame numbers skipped where `tc` counts drop-frame.
[[nodiscard]] std::int64_t FramesSinceMidnight(const Timecode& tc, int nominal) noexcept;
/// Frames from one midnight to the next.
[[nodiscard]] std::int64_t FramesPerDay(int nominal, bool dropFrame) noexcept;
/// The timecode of frame `frames` since midnight (wrapping at 24 hours).
[[nodiscard]] std::string TimecodeText(std::int64_t frames, int nominal, bool dropFrame);

/// How pictures are numbered and timed in a report: the rate, and the
/// timecode of the first picture (midnight when the file carries none).
struct FrameClock {
    double fps = 0;
    int nominal = 0;
    bool dropFrame = false;
    std::int64_t firstTimecode = 0; ///< frames since midnight

    [[nodiscard]] double Seconds(std::int64_t frame) const noexcept { return fps > 0 ? static_cast<double>(frame) / fps : 0.0; }
    [[nodiscard]] std::string Text(std::int64_t frame) const
    {
        return nominal > 0 ? TimecodeText(firstTimecode + frame, nominal, dropFrame) : std::string();
    }
};

} // namespace btcheck
