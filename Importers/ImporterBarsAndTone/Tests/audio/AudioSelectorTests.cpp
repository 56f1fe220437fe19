#include "../host/ModuleFixture.h"
#include "ToneExpectations.h"
#include "bthost/SoundRequests.h"
#include "host/ToneSettings.h"

#include <bit>
#include <chrono>
#include <cmath>
#include <limits>

using bthost::SettingsChoice;

namespace {

constexpr float kGuard = 9.0f;

class AudioSelectorTest : public ModuleTest {
protected:
    const void* Store(const bt::ToneSettings& s) { return host->StoreSettings(&s, sizeof s); }
    static bt::ToneSettings Cadence(std::uint8_t format, std::uint32_t channels)
    {
        return {.audioChannelCount = channels, .identifyChannels = 1, .identifierFormat = format};
    }
};

bool AllEqual(const std::vector<float>& v, float expected)
{
    for (float x : v)
        if (std::bit_cast<std::uint32_t>(x) != std::bit_cast<std::uint32_t>(expected))
            return false;
    return true;
}

} // namespace

TEST_F(AudioSelectorTest, SettingsComeFromTheFirstChoiceElseTheSecond)
{
    const void* first = Store({.frequency = 2000.0f});
    const void* second = Store({.frequency = 100.0f});
    const auto expectedHigh = tone_expect::SteppedSine(48000.0, 2000.0f, 0.25f, 7, 64);
    const auto expectedLow = tone_expect::SteppedSine(48000.0, 100.0f, 0.25f, 7, 64);
    EXPECT_EQ(bthost::RequestAudio(*host, {first, second}, 7, 64, 2).channels[0], expectedHigh);
    EXPECT_EQ(bthost::RequestAudio(*host, {nullptr, second}, 7, 64, 2).channels[0], expectedLow);
    EXPECT_EQ(bthost::RequestLevels(*host, {nullptr, second}, 7, 48000.0f, 64, 2).upper[0], expectedLow);
}

TEST_F(AudioSelectorTest, NoSettingsOrNoRecordAnswersFiveAndTouchesNothing)
{
    const auto audio = bthost::RequestAudio(*host, {}, 0, 16, 2, kGuard);
    EXPECT_EQ(audio.result, BT_RESULT_NO_SETTINGS);
    EXPECT_TRUE(AllEqual(audio.channels[0], kGuard) && AllEqual(audio.channels[1], kGuard));
    const auto levels = bthost::RequestLevels(*host, {}, 0, 100.0f, 16, 2, kGuard);
    EXPECT_EQ(levels.result, BT_RESULT_NO_SETTINGS);
    EXPECT_TRUE(AllEqual(levels.upper[1], kGuard) && AllEqual(levels.lower[1], kGuard));
    EXPECT_EQ(host->Call(BT_SEL_GET_AUDIO, nullptr, nullptr), BT_RESULT_NO_SETTINGS);
    EXPECT_EQ(host->Call(BT_SEL_GET_AUDIO_LEVELS, nullptr, nullptr), BT_RESULT_NO_SETTINGS);
}

TEST_F(AudioSelectorTest, SteadyLevelsAreTheAmplitudeWhenACycleFitsIntoEachValueElseTheSineExactlyNegated)
{
    const void* settings = Store(bt::ToneSettings{});
    for (float levelRate : {100.0f, 1000.0f, 0.0f}) { // frequency ≥ rate, equality included; 0.0 has no rate
        const auto r = bthost::RequestLevels(*host, {settings, nullptr}, 0, levelRate, 50, 2, kGuard);
        ASSERT_EQ(r.result, BT_RESULT_SUCCESS);
        for (int ch = 0; ch < 2; ++ch)
            EXPECT_TRUE(AllEqual(r.upper[ch], 0.25f) && AllEqual(r.lower[ch], -0.25f)) << levelRate;
    }
    // 999 Hz against 1000 level values per second: denser than the tone's
    // cycles, so the sine itself.
    const auto dense = bthost::RequestLevels(*host, {Store({.frequency = 999.0f}), nullptr}, 0, 1000.0f, 500, 2);
    EXPECT_EQ(dense.upper[0], tone_expect::SteppedSine(1000.0, 999.0f, 0.25f, 0, 500));
    for (std::size_t i = 0; i < 500; ++i)
        ASSERT_EQ(std::bit_cast<std::uint32_t>(dense.lower[1][i]),
                  std::bit_cast<std::uint32_t>(dense.upper[1][i]) ^ 0x80000000u);
}

TEST_F(AudioSelectorTest, BlitsLevelsGiveOneValuePerSlot)
{
    const void* settings = Store(Cadence(3, 6));
    const auto r = bthost::RequestLevels(*host, {settings, nullptr}, 0, 10.0f, 300, 6);
    ASSERT_EQ(r.result, BT_RESULT_SUCCESS);
    const auto& blits = tone_expect::Cadences()[3]; // slots of 0.1 s: one level value each
    for (std::size_t ch = 0; ch < 6; ++ch)
        for (std::int64_t j = 0; j < 300; ++j) {
            const auto* s = tone_expect::SoundingAt(blits, static_cast<int>(ch), 10.0, j);
            const float expected = s != nullptr ? static_cast<float>(s->level) : 0.0f;
            ASSERT_EQ(r.upper[ch][static_cast<std::size_t>(j)], expected) << ch << " " << j;
            ASSERT_EQ(r.lower[ch][static_cast<std::size_t>(j)], -expected) << ch << " " << j;
        }
}

TEST_F(AudioSelectorTest, IdentifyChannelsOtherThanOneIsASteadyTone)
{
    const auto r = bthost::RequestAudio(*host, {Store({.identifyChannels = 2, .identifierFormat = 3}), nullptr}, 0, 100, 2);
    EXPECT_EQ(r.channels[0], tone_expect::SteppedSine(48000.0, 1000.0f, 0.25f, 0, 100));
}

TEST_F(AudioSelectorTest, UnknownIdentifierFormatsLeaveTheSamplesAndNegateTheLevels)
{
    for (int format : {4, 200, 255}) {
        const void* settings = Store(Cadence(static_cast<std::uint8_t>(format), 2));
        const auto audio = bthost::RequestAudio(*host, {settings, nullptr}, 0, 32, 2, kGuard);
        EXPECT_EQ(audio.result, BT_RESULT_SUCCESS);
        EXPECT_TRUE(AllEqual(audio.channels[0], kGuard) && AllEqual(audio.channels[1], kGuard));
        const auto levels = bthost::RequestLevels(*host, {settings, nullptr}, 0, 100.0f, 32, 2, kGuard);
        EXPECT_EQ(levels.result, BT_RESULT_SUCCESS);
        EXPECT_TRUE(AllEqual(levels.upper[1], kGuard) && AllEqual(levels.lower[1], -kGuard));
    }
}

TEST_F(AudioSelectorTest, CadencesOnClipsWithFewerChannelsWriteOnlyTheClipsBuffers)
{
    // The pointer arrays hold exactly the clip's channels: a write or read
    // beyond them is caught by the sanitizers.
    for (std::uint8_t format : {std::uint8_t{0}, std::uint8_t{2}, std::uint8_t{3}}) {
        for (std::uint32_t channels : {1u, 2u}) {
            const void* settings = Store(Cadence(format, channels));
            const auto audio = bthost::RequestAudio(*host, {settings, nullptr}, 100000, 70000, channels);
            const auto full = bthost::RequestAudio(*host, {Store(Cadence(format, 6)), nullptr}, 100000, 70000, 6);
            EXPECT_EQ(audio.result, BT_RESULT_SUCCESS);
            for (std::uint32_t ch = 0; ch < channels; ++ch)
                EXPECT_EQ(audio.channels[ch], full.channels[ch]) << int{format} << " channel " << ch;
            const auto levels = bthost::RequestLevels(*host, {settings, nullptr}, 0, 100.0f, 1400, channels);
            EXPECT_EQ(levels.result, BT_RESULT_SUCCESS);
        }
    }
    // No channels at all: nothing to write.
    EXPECT_EQ(bthost::RequestAudio(*host, {Store(Cadence(3, 0)), nullptr}, 0, 10, 0).result, BT_RESULT_SUCCESS);
}

TEST_F(AudioSelectorTest, NegativeOrEnormousCountsWithoutBuffersAnswerAtOnce)
{
    const auto started = std::chrono::steady_clock::now();
    // A count of −1 on a 6-channel clip: read as unsigned it would be some
    // four billion values per buffer.
    for (const bt::ToneSettings& s : {Cadence(3, 6), bt::ToneSettings{}}) {
        std::vector<float> value(1, kGuard);
        std::vector<float*> buffers(6, value.data());
        const auto record = bthost::MakeLevelRequest({Store(s), nullptr}, 0, 100.0f, -1, buffers.data(), buffers.data());
        EXPECT_EQ(host->Call(BT_SEL_GET_AUDIO_LEVELS, nullptr, record.data()), BT_RESULT_SUCCESS);
        EXPECT_EQ(value[0], kGuard);
    }
    // Some two billion level values and four billion samples of every cadence,
    // with no buffers to write: nothing to compute.
    for (std::uint8_t format = 0; format < 4; ++format) {
        const void* settings = Store(Cadence(format, 6));
        const auto levels = bthost::MakeLevelRequest({settings, nullptr}, 0, 100.0f,
                                                     std::numeric_limits<std::int32_t>::max(), nullptr, nullptr);
        EXPECT_EQ(host->Call(BT_SEL_GET_AUDIO_LEVELS, nullptr, levels.data()), BT_RESULT_SUCCESS);
        const auto samples = bthost::MakeAudioRequest({settings, nullptr}, 0, 0xFFFFFFFFu, nullptr);
        EXPECT_EQ(host->Call(BT_SEL_GET_AUDIO, nullptr, samples.data()), BT_RESULT_SUCCESS);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
}

TEST_F(AudioSelectorTest, RatesWithoutATimeAxisAndPositionsBeyondTheTickRangeAreSilent)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (const bt::ToneSettings& base : {bt::ToneSettings{}, Cadence(0, 2), Cadence(2, 6), Cadence(3, 6)}) {
        for (float rate : {0.0f, nan, inf, -48000.0f, 1.0e12f, 48000.0f}) {
            bt::ToneSettings s = base;
            s.audioFrameRate = rate;
            // At a usable rate, a position past the last tick.
            const std::int64_t position = rate == 48000.0f ? std::numeric_limits<std::int64_t>::max() : 100;
            const auto r = bthost::RequestAudio(*host, {Store(s), nullptr}, position, 64, s.audioChannelCount, kGuard);
            EXPECT_EQ(r.result, BT_RESULT_SUCCESS);
            for (const auto& channel : r.channels)
                EXPECT_TRUE(AllEqual(channel, 0.0f)) << rate;
        }
    }
}

TEST_F(AudioSelectorTest, NegativePositionsContinueTheToneBackwards)
{
    const void* settings = Store(bt::ToneSettings{});
    const auto across = bthost::RequestAudio(*host, {settings, nullptr}, -48, 96, 2);
    EXPECT_EQ(across.channels[0], tone_expect::SteppedSine(48000.0, 1000.0f, 0.25f, -48, 96));
    // The EBU stereo drop-out of the cycle before clip time 0.
    const auto ebu = bthost::RequestAudio(*host, {Store(Cadence(0, 2)), nullptr}, -12000, 12001, 2);
    EXPECT_TRUE(AllEqual(std::vector<float>(ebu.channels[0].begin(), ebu.channels[0].end() - 1), 0.0f));
}
