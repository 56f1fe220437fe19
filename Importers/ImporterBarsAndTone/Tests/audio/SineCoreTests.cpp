#include "ToneExpectations.h"
#include "audio/SampleClock.h"
#include "audio/SineCore.h"

#include <gtest/gtest.h>

#include <bit>
#include <limits>
#include <vector>

using namespace bt;
using zelmediatypes::FrameRate;
using zelmediatypes::TickTime;

namespace {

constexpr float kGuard = 9.0f; // in every element a call must not touch
const FrameRate k48k = SampleDuration(48000.0f);

std::uint32_t Bits(float v) { return std::bit_cast<std::uint32_t>(v); }

std::vector<float> Sine(FrameRate rate, std::int64_t first, float frequency, float level, std::int64_t count)
{
    std::vector<float> out(static_cast<std::size_t>(count), kGuard);
    RenderSine(rate, TickTime(first, rate), frequency, level, out.data(), count, false);
    return out;
}

} // namespace

TEST(SampleClock, TimeAxisNeedsAUsableDurationAndTimesInsideTheTickRange)
{
    constexpr auto max = std::numeric_limits<std::int64_t>::max();
    EXPECT_TRUE(HasTimeAxis(k48k, TickTime(0), 1000));
    EXPECT_TRUE(HasTimeAxis(k48k, TickTime(-48000, k48k), 1000));
    EXPECT_FALSE(HasTimeAxis(SampleDuration(0.0f), TickTime(0), 1));
    EXPECT_FALSE(HasTimeAxis(SampleDuration(std::numeric_limits<float>::quiet_NaN()), TickTime(0), 1));
    EXPECT_FALSE(HasTimeAxis(SampleDuration(std::numeric_limits<float>::infinity()), TickTime(0), 1));
    EXPECT_FALSE(HasTimeAxis(k48k, TickTime(max / 5292000 + 1, k48k), 1)); // the start saturated
    EXPECT_FALSE(HasTimeAxis(k48k, TickTime(max - 5292000), 2));          // the end runs past the range
}

TEST(RenderSine, MatchesTheFormulaBitForBitAtTheReferencePoints)
{
    const auto samples = Sine(k48k, 0, 1000.0f, 0.25f, 48);
    EXPECT_EQ(Bits(samples[0]), Bits(0.0f));
    EXPECT_EQ(samples[12], 0.25f);
    EXPECT_EQ(samples[24], -2.1855694e-8f); // half a cycle of the single-precision 2π is not π
    EXPECT_EQ(samples[36], -0.25f);
    EXPECT_EQ(samples, tone_expect::SteppedSine(48000.0, 1000.0f, 0.25f, 0, 48));
}

TEST(RenderSine, ExtremeFrequenciesStayFiniteAndWithinTheLevel)
{
    for (float frequency : {3.0e38f, -3.0e38f, 1.0e20f, 0.0f})
        for (float v : Sine(k48k, 1'000'000'000'000, frequency, 0.5f, 16)) {
            EXPECT_TRUE(std::isfinite(v)) << frequency;
            EXPECT_LE(std::fabs(v), 0.5f) << frequency;
        }
}

TEST(ChannelSets, ToneIsComputedOnceAndCopiedFromTheRunOffsetOn)
{
    std::vector<float> a(12, kGuard), b(12, kGuard), c(12, kGuard);
    float* const channels[] = {nullptr, b.data(), a.data(), c.data()}; // a missing buffer is skipped
    ToneOnChannels(channels, Tone{1000.0f, 0.25f}, k48k, TickTime(100, k48k), 2, 8, false);
    const auto expected = tone_expect::SteppedSine(48000.0, 1000.0f, 0.25f, 100, 8);
    for (const auto* channel : {&a, &b, &c}) {
        EXPECT_EQ((*channel)[0], kGuard);
        EXPECT_EQ((*channel)[1], kGuard);
        EXPECT_EQ(std::vector<float>(channel->begin() + 2, channel->begin() + 10), expected);
        EXPECT_EQ((*channel)[10], kGuard);
    }
    // Empty lists and empty runs write nothing.
    SilenceOnChannels({}, 0, 4);
    ToneOnChannels({}, Tone{1.0f, 1.0f}, k48k, TickTime(0), 0, 4, false);
    RenderSine(k48k, TickTime(0), 1000.0f, 0.25f, nullptr, -5, true);
}

TEST(RunLength, EndsAtTheEarlierLimitAndAlwaysMovesOn)
{
    const FrameRate rate(10);
    EXPECT_EQ(RunLength(rate, TickTime(100), TickTime(1000), TickTime(0)), 10);  // the boundary first
    EXPECT_EQ(RunLength(rate, TickTime(1000), TickTime(55), TickTime(0)), 5);    // the request's end first
    EXPECT_EQ(RunLength(rate, TickTime(105), TickTime(1000), TickTime(0)), 10);  // boundary between samples
    EXPECT_EQ(RunLength(rate, TickTime(105), TickTime(1000), TickTime(100)), 1); // closer than a sample
    EXPECT_EQ(RunLength(rate, TickTime(100), TickTime(1000), TickTime(-30)), 13);
}
