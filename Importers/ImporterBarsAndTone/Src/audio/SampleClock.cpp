#include "audio/SampleClock.h"

#include <limits>

namespace bt {

namespace {
constexpr std::int64_t kTickMin = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kTickMax = std::numeric_limits<std::int64_t>::max();

/// TickTime saturates instead of wrapping, so a time at either end of the
/// range may be a clipped one.
bool IsAtRangeEnd(zelmediatypes::TickTime t) noexcept
{
    return t.GetTicks() == kTickMin || t.GetTicks() == kTickMax;
}
} // namespace

zelmediatypes::FrameRate SampleDuration(float samplesPerSecond) noexcept
{
    return zelmediatypes::FrameRate::FromFramesPerSecond(static_cast<double>(samplesPerSecond));
}

double ElementsPerSecond(zelmediatypes::FrameRate duration) noexcept
{
    if (duration.GetTicks() == zelmediatypes::kNoRateDuration)
        return 0.0;
    return static_cast<double>(zelmediatypes::kTicksPerSecond) / static_cast<double>(duration.GetTicks());
}

bool HasTimeAxis(zelmediatypes::FrameRate duration, zelmediatypes::TickTime start, std::int64_t count) noexcept
{
    const std::int64_t ticks = duration.GetTicks();
    if (ticks <= 0 || ticks == zelmediatypes::kNoRateDuration || IsAtRangeEnd(start))
        return false;
    return !IsAtRangeEnd(start + zelmediatypes::TickTime(count, duration));
}

} // namespace bt
