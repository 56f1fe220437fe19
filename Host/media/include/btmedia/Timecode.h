#pragma once
// The timecode of a movie's first frame, as a delivery asks for it.

#include <cstdint>
#include <string>

namespace btmedia {

struct StartTimecode {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    int frames = 0;
    bool dropFrame = false; ///< counts drop-frame (29.97 and 59.94 only)

    /// "HH:MM:SS:FF", or "HH:MM:SS;FF" when drop-frame, as the containers'
    /// muxers read it.
    [[nodiscard]] std::string Text() const;
};

/// Reads "HH:MM:SS:FF" (or ";" before the frames for drop-frame) for a clip
/// of `frameDuration` ticks whose record counts drop-frame or not.
///
/// Rationale: the clip's record says how its time is counted, so a 29.97 or
/// 59.94 clip marked drop-frame gets drop-frame timecode whichever separator
/// is typed; a ";" is refused where it would contradict the clip (a clip
/// counting non-drop-frame) or cannot apply (any other rate). Throws
/// std::invalid_argument naming what is wrong.
[[nodiscard]] StartTimecode ParseTimecode(const std::string& text, std::int64_t frameDuration, bool clipDropFrame);

/// The timecode `frames` frames after `start` at `frameDuration`, counted
/// as `start` counts (drop-frame or not), round the clock after 24 hours.
[[nodiscard]] StartTimecode TimecodeAfter(const StartTimecode& start, std::int64_t frames, std::int64_t frameDuration);

/// The time of day as timecode: hours, minutes and seconds of the clock,
/// frames from the part of a second gone. Drop-frame where the clip counts
/// it (at 29.97 and 59.94), a label drop-frame skips taking the next one.
[[nodiscard]] StartTimecode TimeOfDayTimecode(int hours, int minutes, int seconds, double fraction,
                                              std::int64_t frameDuration, bool clipDropFrame);

} // namespace btmedia
