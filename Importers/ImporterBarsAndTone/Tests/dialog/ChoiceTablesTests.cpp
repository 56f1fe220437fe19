#include "dialog/ChoiceTables.h"
#include "dialog/Presets.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace bt::dialog;

TEST(ChoiceTables, RatesAreExactDurationsAndOnlyNtscRatesDropFrames)
{
    // A second is 254016000000 ticks; every offered rate divides it exactly,
    // so duration × rate gives the second back with nothing left over.
    constexpr std::int64_t kSecond = 254016000000;
    const std::int64_t audioRates[] = {32000, 44100, 48000, 88200, 96000};
    const auto& audio = GetAudioRates();
    ASSERT_EQ(audio.size(), std::size(audioRates));
    for (std::size_t i = 0; i < audio.size(); ++i) {
        EXPECT_EQ(audio[i].sampleDuration * audioRates[i], kSecond) << audioRates[i];
        EXPECT_EQ(AudioRateOf(audio[i]), static_cast<double>(audioRates[i])); // converts back exactly
        EXPECT_EQ(AudioEntryForRate(static_cast<float>(audioRates[i])), i);
    }
    const struct {
        std::int64_t frames, seconds;
        std::uint8_t drop;
    } videoRates[] = {{24000, 1001, 0}, {24, 1, 0}, {25, 1, 0}, {30000, 1001, 1}, {30, 1, 0},
                      {48, 1, 0},       {50, 1, 0}, {60000, 1001, 1}, {60, 1, 0}};
    const auto& video = GetVideoRates();
    ASSERT_EQ(video.size(), std::size(videoRates));
    for (std::size_t i = 0; i < video.size(); ++i) {
        EXPECT_EQ(video[i].frameDuration * videoRates[i].frames, kSecond * videoRates[i].seconds) << i;
        EXPECT_EQ(video[i].dropFrame, videoRates[i].drop) << i;
        EXPECT_EQ(VideoEntryForDuration(video[i].frameDuration), i);
    }
}

TEST(ChoiceTables, ValuesWithoutAnEntryFindTheFirst)
{
    EXPECT_EQ(AudioEntryForRate(22050.0f), 0u);
    EXPECT_EQ(AudioRateOf(AudioRateEntry{std::numeric_limits<std::int64_t>::max(), u""}), 0.0);
    EXPECT_EQ(VideoEntryForDuration(254016000000 / 12), 0u); // 12 fps is not offered
    EXPECT_EQ(ParEntryForRatio(zelmediatypes::PixelAspectRatio(20, 22)), 1u); // DV NTSC's value, other numbers
    EXPECT_EQ(ParEntryForRatio(zelmediatypes::PixelAspectRatio(7, 5)), 0u);
}

TEST(ChoiceTables, IndexInsideTableIsAnUnsigned32BitComparison)
{
    EXPECT_TRUE(IsInsideTable(0, 9));
    EXPECT_TRUE(IsInsideTable(8, 9));
    EXPECT_FALSE(IsInsideTable(9, 9));
    EXPECT_FALSE(IsInsideTable(-1, 9));
    EXPECT_TRUE(IsInsideTable(0x100000002LL, 9)); // the upper half is not looked at
}

TEST(ChoiceTables, IdentifierFormatsFollowTheChannelType)
{
    EXPECT_EQ(IdentifierFormatChoices(2)[1].value, 1); // EBU stereo, 400 Hz
    EXPECT_EQ(IdentifierFormatChoices(3)[0].value, 2); // EBU multichannel
    EXPECT_EQ(IdentifierFormatChoices(3)[1].value, 3); // BLITS
    EXPECT_TRUE(IdentifierFormatChoices(1).empty());
    EXPECT_TRUE(IdentifierFormatChoices(7).empty());
}

TEST(Presets, AmplitudeConversionsRoundOnceToFloat)
{
    EXPECT_EQ(AmplitudeToDb(0.25f), -12.041199684143066f);
    EXPECT_EQ(DbToAmplitude(kDefaultAmplitudeDb), 0.25f);
    EXPECT_EQ(DbToAmplitude(-12.0f), static_cast<float>(std::pow(10.0, -0.6)));
    EXPECT_EQ(AmplitudeToDb(0.0f), -300.0f);
    EXPECT_EQ(AmplitudeToDb(-1.0f), -300.0f);
    EXPECT_EQ(AmplitudeToDb(std::numeric_limits<float>::quiet_NaN()), -300.0f);
    EXPECT_EQ(DbToAmplitude(0.0f), 1.0f);
}
