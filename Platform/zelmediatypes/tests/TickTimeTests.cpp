#include "zelmediatypes/TickTime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace zelmediatypes;

TEST(FrameRate, ConvertsRatesToWholeTicksTruncatedTowardZero)
{
    EXPECT_EQ(FrameRate::FromRatio(30000, 1001).GetTicks(), 8475667200);
    EXPECT_EQ(FrameRate::FromFramesPerSecond(7.0).GetTicks(), 36288000000);
    // 254016000000 / 29.97 = 8475675675.67...
    EXPECT_EQ(FrameRate::FromFramesPerSecond(29.97).GetTicks(), 8475675675);
    // A negative rate is a negative duration, truncated toward zero too.
    EXPECT_EQ(FrameRate::FromFramesPerSecond(-25.0).GetTicks(), -10160640000);
    EXPECT_EQ(FrameRate::FromFramesPerSecond(-29.97).GetTicks(), -8475675675);
    EXPECT_EQ(FrameRate::FromRatio(30000, -1001).GetTicks(), -8475667200);
}

TEST(FrameRate, OnlyARateOfZeroIsTheNoRateDurationAndQuotientsSaturate)
{
    constexpr auto max = std::numeric_limits<std::int64_t>::max();
    constexpr auto min = std::numeric_limits<std::int64_t>::min();
    EXPECT_EQ(FrameRate::FromFramesPerSecond(0.0).GetTicks(), kNoRateDuration);
    EXPECT_EQ(FrameRate::FromFramesPerSecond(-0.0).GetTicks(), kNoRateDuration);
    EXPECT_EQ(FrameRate::FromRatio(0, 1).GetTicks(), kNoRateDuration);
    EXPECT_EQ(FrameRate::FromRatio(0, -7).GetTicks(), kNoRateDuration);
    // Not a number (0 / 0 among them) has no quotient: taken as no rate.
    EXPECT_EQ(FrameRate::FromFramesPerSecond(std::nan("")).GetTicks(), kNoRateDuration);
    EXPECT_EQ(FrameRate::FromRatio(0, 0).GetTicks(), kNoRateDuration);
    // Infinite rates: zero-length frames, whatever the sign.
    EXPECT_EQ(FrameRate::FromRatio(1, 0).GetTicks(), 0);
    EXPECT_EQ(FrameRate::FromRatio(-1, 0).GetTicks(), 0);
    // Quotients beyond the 64-bit range take its nearest end.
    EXPECT_EQ(FrameRate::FromFramesPerSecond(1e-12).GetTicks(), max);
    EXPECT_EQ(FrameRate::FromFramesPerSecond(-1e-12).GetTicks(), min);
    EXPECT_EQ(FrameRate::FromFramesPerSecond(-254016000000.0 / 9223372036854775808.0).GetTicks(), min);
    EXPECT_EQ(FrameRate(kNoRateDuration).GetFramesPerSecond(), 0.0);
    EXPECT_EQ(FrameRate(5292000).GetFramesPerSecond(), 48000.0);
}

TEST(TickTime, ArithmeticIsExactAndSaturatesAtTheRangeEnds)
{
    const FrameRate sample(5292000);
    EXPECT_EQ(TickTime(48000, sample).GetTicks(), kTicksPerSecond);
    EXPECT_EQ((TickTime(7) + TickTime(-10)).GetTicks(), -3);
    EXPECT_EQ((TickTime(7) - TickTime(10)).GetTicks(), -3);
    constexpr auto max = std::numeric_limits<std::int64_t>::max();
    constexpr auto min = std::numeric_limits<std::int64_t>::min();
    EXPECT_EQ(TickTime(max, sample).GetTicks(), max);
    EXPECT_EQ(TickTime(-max, sample).GetTicks(), min);
    EXPECT_EQ((TickTime(max) + TickTime(1)).GetTicks(), max);
    EXPECT_EQ((TickTime(min) - TickTime(1)).GetTicks(), min);
}

TEST(TickTime, ToFrame64FloorsForEverySign)
{
    const FrameRate slot(25401600000);
    EXPECT_EQ(ToFrame64(TickTime(0), slot), 0);
    EXPECT_EQ(ToFrame64(TickTime(25401599999), slot), 0);
    EXPECT_EQ(ToFrame64(TickTime(25401600000), slot), 1);
    EXPECT_EQ(ToFrame64(TickTime(-1), slot), -1);
    EXPECT_EQ(ToFrame64(TickTime(-25401600000), slot), -1);
    EXPECT_EQ(ToFrame64(TickTime(100), FrameRate(0)), 0);
}
