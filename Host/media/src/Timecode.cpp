#include "btmedia/Timecode.h"

#include "ImporterBarsAndTone/HostRecords.h"

#include <cstdio>
#include <stdexcept>

namespace btmedia {

using bt::records::kTicksPerSecond;

namespace {

/// Whether a frame duration is 30000/1001 or 60000/1001 frames per second,
/// the rates drop-frame counting exists for.
bool HasDropFrame(std::int64_t frameDuration) noexcept
{
    return frameDuration * 30000 == kTicksPerSecond * 1001 || frameDuration * 60000 == kTicksPerSecond * 1001;
}

} // namespace

std::string StartTimecode::Text() const
{
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d%c%02d", hours, minutes, seconds, dropFrame ? ';' : ':', frames);
    return text;
}

StartTimecode ParseTimecode(const std::string& text, std::int64_t frameDuration, bool clipDropFrame)
{
    StartTimecode tc;
    char separator = 0;
    int used = 0;
    if (std::sscanf(text.c_str(), "%2d:%2d:%2d%c%2d%n", &tc.hours, &tc.minutes, &tc.seconds, &separator, &tc.frames,
                    &used) != 5 ||
        static_cast<std::size_t>(used) != text.size() || (separator != ':' && separator != ';') ||
        text.size() != 11)
        throw std::invalid_argument("a timecode is HH:MM:SS:FF (or HH:MM:SS;FF for drop-frame), not \"" + text + "\"");
    if (frameDuration <= 0)
        throw std::invalid_argument("the clip has no frame rate to count timecode in");
    const auto nominal = static_cast<int>((kTicksPerSecond + frameDuration / 2) / frameDuration);
    if (tc.hours > 23 || tc.minutes > 59 || tc.seconds > 59 || tc.frames >= nominal)
        throw std::invalid_argument("timecode " + text + " is out of range: hours to 23, minutes and seconds to 59, "
                                    "frames to " + std::to_string(nominal - 1));
    const bool rateDrops = HasDropFrame(frameDuration);
    if (separator == ';' && !rateDrops)
        throw std::invalid_argument("timecode " + text + " asks for drop-frame, which only 29.97 and 59.94 fps count");
    if (separator == ';' && !clipDropFrame)
        throw std::invalid_argument("timecode " + text + " asks for drop-frame, but the clip counts non-drop-frame; "
                                    "write HH:MM:SS:FF");
    tc.dropFrame = rateDrops && clipDropFrame;
    // Drop-frame skips the first two frame numbers (four at 59.94) of every
    // minute but each tenth.
    if (tc.dropFrame && tc.seconds == 0 && tc.minutes % 10 != 0 && tc.frames < nominal / 15)
        throw std::invalid_argument("timecode " + text + " does not exist in drop-frame counting");
    return tc;
}

} // namespace btmedia
