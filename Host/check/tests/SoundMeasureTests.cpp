// The sound measures on sines made here.

#include "btcheck/SoundMeasure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace btcheck;

namespace {
std::vector<float> Sine(double frequency, double level, double rate, std::size_t n)
{
    std::vector<float> x(n);
    for (std::size_t i = 0; i < n; ++i)
        x[i] = static_cast<float>(level * std::sin(2 * std::numbers::pi * frequency * static_cast<double>(i) / rate));
    return x;
}
} // namespace

TEST(SoundMeasure, FrequencyWithinAHundredthOfAHertz)
{
    for (double f : {88.5, 400.0, 997.3, 1000.0, 2000.0}) {
        const auto x = Sine(f, 0.125, 48000, 24000);
        EXPECT_NEAR(ToneFrequency(x.data(), x.size(), 48000), f, 0.01) << f;
    }
    const std::vector<float> silence(4800, 0.0f);
    EXPECT_EQ(ToneFrequency(silence.data(), silence.size(), 48000), 0.0);
}

TEST(SoundMeasure, BlocksThatSoundAndTheLongestRun)
{
    auto x = Sine(1000, 0.125, 48000, 4800);
    std::fill(x.begin() + 960, x.begin() + 1920, 0.0f); // blocks 2 and 3 silent
    const auto levels = BlockLevels(x, 480);
    ASSERT_EQ(levels.size(), 10u);
    EXPECT_NEAR(Decibels(levels[0]), -21.07, 0.01); // a sine's RMS is 3.01 dB below its peak
    const auto on = Sounding(levels);
    EXPECT_FALSE(on[2]);
    EXPECT_TRUE(on[4]);
    const btcheck::Run run = LongestRun(on);
    EXPECT_EQ(run.first, 4u);
    EXPECT_EQ(run.last, 10u);
}
