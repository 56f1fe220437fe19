#include "zelmediatypes/TickTime.h"

#include <cmath>
#include <limits>

namespace zelmediatypes {

namespace {
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

std::int64_t Saturate(bool overflowed, std::int64_t value, bool towardMax) noexcept
{
    return overflowed ? (towardMax ? kMax : kMin) : value;
}
} // namespace

FrameRate FrameRate::FromFramesPerSecond(double rate) noexcept
{
    if (rate == 0.0 || std::isnan(rate))
        return FrameRate(kNoRateDuration);
    const double ticks = static_cast<double>(kTicksPerSecond) / rate;
    // 2^63 is the first double past the range; -2^63 is still inside it.
    if (ticks >= 9223372036854775808.0)
        return FrameRate(kMax);
    if (ticks < -9223372036854775808.0)
        return FrameRate(kMin);
    return FrameRate(static_cast<std::int64_t>(ticks));
}

FrameRate FrameRate::FromRatio(std::int32_t value, std::int32_t scale) noexcept
{
    return FromFramesPerSecond(static_cast<double>(value) / static_cast<double>(scale));
}

double FrameRate::GetFramesPerSecond() const noexcept
{
    if (mTicks == kNoRateDuration || mTicks == 0)
        return 0.0;
    return static_cast<double>(kTicksPerSecond) / static_cast<double>(mTicks);
}

TickTime::TickTime(std::int64_t frames, FrameRate rate) noexcept
{
    std::int64_t product = 0;
    const bool overflowed = __builtin_mul_overflow(frames, rate.GetTicks(), &product);
    mTicks = Saturate(overflowed, product, (frames < 0) == (rate.GetTicks() < 0));
}

TickTime operator+(TickTime a, TickTime b) noexcept
{
    std::int64_t sum = 0;
    const bool overflowed = __builtin_add_overflow(a.mTicks, b.mTicks, &sum);
    return TickTime(Saturate(overflowed, sum, b.mTicks > 0));
}

TickTime operator-(TickTime a, TickTime b) noexcept
{
    std::int64_t difference = 0;
    const bool overflowed = __builtin_sub_overflow(a.mTicks, b.mTicks, &difference);
    return TickTime(Saturate(overflowed, difference, b.mTicks < 0));
}

std::int64_t ToFrame64(TickTime time, FrameRate rate) noexcept
{
    const std::int64_t d = rate.GetTicks();
    if (d <= 0)
        return 0;
    const std::int64_t t = time.GetTicks();
    std::int64_t q = t / d;
    if (t % d != 0 && t < 0)
        --q;
    return q;
}

} // namespace zelmediatypes
