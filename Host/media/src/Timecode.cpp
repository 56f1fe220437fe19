#include "btmedia/Timecode.h"

#include "ImporterBarsAndTone/HostRecords.h"

#include <algorithm>
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

/// Frames in a second of timecode: 30 at 29.97.
int NominalRate(std::int64_t frameDuration) noexcept
{
    return static_cast<int>((kTicksPerSecond + frameDuration / 2) / frameDuration);
}

/// Frame numbers drop-frame skips at the start of a minute: 2 at 29.97, 4 at 59.94.
int DroppedPerMinute(int nominal) noexcept { return nominal / 15; }

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
    const int nominal = NominalRate(frameDuration);
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
    if (tc.dropFrame && tc.seconds == 0 && tc.minutes % 10 != 0 && tc.frames < DroppedPerMinute(nominal))
        throw std::invalid_argument("timecode " + text + " does not exist in drop-frame counting");
    return tc;
}

StartTimecode TimecodeAfter(const StartTimecode& start, std::int64_t frames, std::int64_t frameDuration)
{
    const std::int64_t nominal = NominalRate(frameDuration);
    const std::int64_t drop = start.dropFrame ? DroppedPerMinute(static_cast<int>(nominal)) : 0;
    // Labels are counted as frames from midnight, with the skipped ones
    // taken out of every minute but each tenth.
    const std::int64_t minutes = start.hours * 60 + start.minutes;
    std::int64_t n = (minutes * 60 + start.seconds) * nominal + start.frames - drop * (minutes - minutes / 10);
    const std::int64_t perTenMinutes = nominal * 600 - 9 * drop;
    const std::int64_t perDay = 144 * perTenMinutes;
    n = ((n + frames % perDay) % perDay + perDay) % perDay;
    if (drop > 0) {
        const std::int64_t tens = n / perTenMinutes;
        const std::int64_t rest = n % perTenMinutes;
        n += 9 * drop * tens + (rest > drop ? drop * ((rest - drop) / (nominal * 60 - drop)) : 0);
    }
    StartTimecode tc;
    tc.dropFrame = start.dropFrame;
    tc.frames = static_cast<int>(n % nominal);
    tc.seconds = static_cast<int>(n / nominal % 60);
    tc.minutes = static_cast<int>(n / (nominal * 60) % 60);
    tc.hours = static_cast<int>(n / (nominal * 3600) % 24);
    return tc;
}

StartTimecode TimeOfDayTimecode(int hours, int minutes, int seconds, double fraction, std::int64_t frameDuration,
                                bool clipDropFrame)
{
    const int nominal = NominalRate(frameDuration);
    StartTimecode tc;
    tc.hours = hours;
    tc.minutes = minutes;
    tc.seconds = seconds;
    tc.frames = std::clamp(static_cast<int>(fraction * nominal), 0, nominal - 1);
    tc.dropFrame = clipDropFrame && HasDropFrame(frameDuration);
    if (tc.dropFrame && tc.seconds == 0 && tc.minutes % 10 != 0)
        tc.frames = std::max(tc.frames, DroppedPerMinute(nominal));
    return tc;
}

} // namespace btmedia
