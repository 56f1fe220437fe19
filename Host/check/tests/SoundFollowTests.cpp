// Following one channel block by block against a sine made here, with damage
// made in memory: where each event begins and ends, and each threshold from
// both sides.

#include "btcheck/SoundFollow.h"
#include "btcheck/SoundMeasure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>

using namespace btcheck;

namespace {

constexpr double kRate = 48000;
constexpr std::size_t kBlock = 480;
constexpr std::size_t kLead = kBlock; // samples before sample 0, for the history and the module's margin
constexpr double kAmplitude = 0.125;

/// A sine from sample -kLead to `seconds` (and a block more), whose phase
/// advances by `frequency(n)` at sample n.
std::vector<float> Sine(double seconds, const std::function<double(std::int64_t)>& frequency)
{
    const auto n = static_cast<std::int64_t>(seconds * kRate) + static_cast<std::int64_t>(2 * kBlock);
    std::vector<float> x;
    double phase = 0;
    for (std::int64_t i = -static_cast<std::int64_t>(kLead); i < n; ++i) {
        x.push_back(static_cast<float>(kAmplitude * std::sin(phase)));
        phase += 2 * std::numbers::pi * frequency(i) / kRate;
    }
    return x;
}

std::vector<float> Tone(double seconds)
{
    return Sine(seconds, [](std::int64_t) { return 1000.0; });
}

float& At(std::vector<float>& x, std::int64_t n)
{
    return x[static_cast<std::size_t>(n + static_cast<std::int64_t>(kLead))];
}

/// The events of `file` followed against `module` over `seconds`.
std::vector<SoundEvent> Follow(const std::vector<float>& file, const std::vector<float>& module, double seconds,
                               SoundOptions options = {})
{
    Baseline baseline;
    baseline.known = true;
    ChannelTracker tracker(0, baseline, options, kRate, kBlock);
    std::vector<SoundEvent> events;
    const auto end = static_cast<std::int64_t>(seconds * kRate);
    for (std::int64_t first = 0; first + static_cast<std::int64_t>(kBlock) <= end;
         first += static_cast<std::int64_t>(kBlock)) {
        const auto at = static_cast<std::size_t>(first) + kLead;
        tracker.Add(first, ReadBlock(file.data() + at, module.data() + at, kBlock), true, events);
    }
    tracker.Close(end, end, events);
    return events;
}

} // namespace

TEST(SoundFollow, OnlyBlocksWellInsideOneRunOfTheModulesToneAreSteady)
{
    auto module = Tone(1);
    for (std::int64_t n = 0; n < 2000; ++n)
        At(module, n) = 0; // the tone switches on at sample 2000
    auto steady = [&](std::int64_t first) {
        return ReadBlock(module.data() + kLead + static_cast<std::size_t>(first),
                         module.data() + kLead + static_cast<std::size_t>(first), kBlock)
            .steady;
    };
    EXPECT_FALSE(steady(0));
    EXPECT_FALSE(steady(1920));        // the switching inside the block
    EXPECT_FALSE(steady(2000 - 480 - 200)); // within half a block before it
    EXPECT_TRUE(steady(2000 + 250));   // over half a block after it
    EXPECT_TRUE(steady(4800));
}

TEST(SoundFollow, TheCourseOfASineGivesItsFrequency)
{
    for (double f : {80.0, 997.3, 2000.0}) {
        const auto x = Sine(0.1, [f](std::int64_t) { return f; });
        const BlockReading r = ReadBlock(x.data() + kLead, x.data() + kLead, kBlock);
        EXPECT_NEAR(CourseFrequency(r.fileLag, r.fileTurn, kRate), f, 1e-3 * f / 80) << f;
        EXPECT_LT(r.departure, 1e-5);
    }
}

TEST(SoundFollow, ADropOutIsPlacedToTheSampleAndExplainsTheClicksAtItsEdges)
{
    const auto module = Tone(3);
    auto file = module;
    for (std::int64_t n = 60012; n < 70001; ++n)
        At(file, n) = 0;
    const auto events = Follow(file, module, 3);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, EventKind::Dropout);
    EXPECT_EQ(events[0].first, 60012);
    EXPECT_EQ(events[0].end, 70001);
}

TEST(SoundFollow, FourSilentSamplesAreADropOutAndThreeAClick)
{
    const auto module = Tone(1);
    for (int run : {3, 4}) {
        auto file = module;
        const std::int64_t crest = 24000 + 12; // the sine at its peak
        for (std::int64_t n = crest; n < crest + run; ++n)
            At(file, n) = 0;
        const auto events = Follow(file, module, 1);
        ASSERT_EQ(events.size(), 1u) << run;
        EXPECT_EQ(events[0].kind, run == 4 ? EventKind::Dropout : EventKind::Click);
        EXPECT_EQ(events[0].first, crest);
    }
}

TEST(SoundFollow, ClicksFromBothSidesOfTheirShare)
{
    const auto module = Tone(1);
    for (double share : {0.045, 0.055}) {
        // A pulse of ten samples: the waveform steps up by the share, then back.
        auto file = module;
        for (std::int64_t n = 30003; n < 30013; ++n)
            At(file, n) += static_cast<float>(share * kAmplitude);
        const auto events = Follow(file, module, 1);
        if (share < 0.05) {
            EXPECT_TRUE(events.empty());
        } else {
            ASSERT_EQ(events.size(), 1u);
            EXPECT_EQ(events[0].kind, EventKind::Click);
            EXPECT_EQ(events[0].first, 30003);
            EXPECT_NEAR(events[0].value, share, 0.002);
        }
    }
}

TEST(SoundFollow, LevelChangesFromBothSidesOfTheTolerance)
{
    const auto module = Tone(4);
    for (double db : {-0.09, -0.11, 0.11}) {
        auto file = module;
        for (std::int64_t n = 96100; n < 144100; ++n)
            At(file, n) *= static_cast<float>(std::pow(10.0, db / 20));
        const auto events = Follow(file, module, 4);
        if (std::abs(db) < 0.1) {
            EXPECT_TRUE(events.empty()) << db;
            continue;
        }
        ASSERT_EQ(events.size(), 1u) << db;
        EXPECT_EQ(events[0].kind, EventKind::LevelChange);
        EXPECT_NEAR(static_cast<double>(events[0].first), 96100, kBlock);
        EXPECT_NEAR(static_cast<double>(events[0].end), 144100, kBlock);
        EXPECT_NEAR(events[0].value, db, 0.01);
    }
}

TEST(SoundFollow, FrequencyChangesFromBothSidesOfTheTolerance)
{
    const auto module = Tone(4);
    for (double shift : {0.09, 0.11}) {
        // The same sine, without a jump, a little higher from 1.5 s to 2.5 s.
        const auto file = Sine(4, [shift](std::int64_t n) { return n >= 72000 && n < 120000 ? 1000 + shift : 1000.0; });
        const auto events = Follow(file, module, 4);
        if (shift < 0.1) {
            EXPECT_TRUE(events.empty()) << shift;
            continue;
        }
        ASSERT_EQ(events.size(), 1u);
        EXPECT_EQ(events[0].kind, EventKind::FrequencyChange);
        EXPECT_NEAR(static_cast<double>(events[0].first) / kRate, 1.5, 0.1);
        EXPECT_NEAR(static_cast<double>(events[0].end) / kRate, 2.5, 0.1);
        EXPECT_NEAR(events[0].value, 1000.11, 0.01);
        EXPECT_NEAR(events[0].expected, 1000, 0.01);
    }
}

TEST(SoundFollow, TheOpeningSettlesOnTheMedianAndKnowsAnInvertedChannel)
{
    auto module = Tone(2);
    std::vector<BlockReading> readings;
    for (std::size_t b = 0; b < 200; ++b) {
        std::vector<float> file(module.begin(), module.end());
        // Half a decibel down, inverted, with a short burst much louder.
        const float gain = b >= 50 && b < 60 ? -2.0f : -0.944061f;
        for (float& v : file)
            v *= gain;
        const auto at = kLead + b * kBlock;
        readings.push_back(ReadBlock(file.data() + at, module.data() + at, kBlock));
    }
    const Baseline baseline = Settle(readings, kRate, kBlock);
    ASSERT_TRUE(baseline.known);
    EXPECT_NEAR(20 * std::log10(baseline.gain), -0.5, 0.001);
    EXPECT_NEAR(baseline.frequencyRatio, 1, 1e-6);
    EXPECT_EQ(baseline.polarity, -1);
}
