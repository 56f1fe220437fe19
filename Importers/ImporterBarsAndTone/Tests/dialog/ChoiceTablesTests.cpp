#include "dialog/ChoiceTables.h"
#include "dialog/Presets.h"
#include "zelcore/config/Localizer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

using namespace bt::dialog;
namespace mt = zelmediatypes;

namespace {
std::u16string Text(const char* s)
{
    return std::u16string(s, s + std::char_traits<char>::length(s)); // ASCII labels
}
} // namespace

TEST(ChoiceTables, AudioRatesConvertBackExactly)
{
    const double rates[] = {32000, 44100, 48000, 88200, 96000};
    const auto& table = GetAudioRates();
    ASSERT_EQ(table.size(), std::size(rates));
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(table[i].sampleDuration, static_cast<std::int64_t>(254016000000.0 / rates[i]));
        EXPECT_EQ(AudioRateOf(table[i]), rates[i]);
        EXPECT_EQ(AudioEntryForRate(static_cast<float>(rates[i])), i);
        EXPECT_EQ(table[i].label, Text((std::to_string(static_cast<int>(rates[i])) + " Hz").c_str()));
    }
    EXPECT_EQ(AudioEntryForRate(22050.0f), 0u);
    EXPECT_EQ(AudioRateOf(AudioRateEntry{std::numeric_limits<std::int64_t>::max(), u""}), 0.0);
}

TEST(ChoiceTables, VideoRatesAreExactDurationsAndOnlyNtscRatesDropFrames)
{
    struct Row {
        double rate;
        std::uint8_t drop;
        const char* label;
    };
    const Row rows[] = {{24000.0 / 1001, 0, "23.976 fps"}, {24, 0, "24.00 fps"}, {25, 0, "25.00 fps"},
                        {30000.0 / 1001, 1, "29.97 fps"}, {30, 0, "30.00 fps"}, {48, 0, "48.00 fps"},
                        {50, 0, "50.00 fps"}, {60000.0 / 1001, 1, "59.94 fps"}, {60, 0, "60.00 fps"}};
    const auto& table = GetVideoRates();
    ASSERT_EQ(table.size(), std::size(rows));
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(table[i].frameDuration, std::llround(254016000000.0 / rows[i].rate)) << i;
        EXPECT_EQ(table[i].dropFrame, rows[i].drop) << i;
        EXPECT_EQ(table[i].label, Text(rows[i].label));
        EXPECT_EQ(VideoEntryForDuration(table[i].frameDuration), i);
    }
    EXPECT_EQ(VideoEntryForDuration(254016000000 / 12), 0u); // 12 fps is not offered
}

TEST(ChoiceTables, PixelAspectRatiosAreTheNamedConstants)
{
    const mt::PixelAspectRatio expected[] = {
        mt::kPixelAspectRatio_Square,     mt::kPixelAspectRatio_DVNTSC,    mt::kPixelAspectRatio_DVNTSCWide,
        mt::kPixelAspectRatio_DVPAL,      mt::kPixelAspectRatio_DVPALWide, mt::kPixelAspectRatio_Anamorphic,
        mt::kPixelAspectRatio_HDAnamorphic1080, mt::kPixelAspectRatio_DVCProHD};
    const auto& table = GetPixelAspectRatios();
    ASSERT_EQ(table.size(), std::size(expected));
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(table[i].par, expected[i]);
        EXPECT_EQ(ParEntryForRatio(expected[i]), i);
    }
    EXPECT_EQ(table[3].label, u"D1/DV PAL(1.0940)");
    EXPECT_EQ(ParEntryForRatio(mt::PixelAspectRatio(20, 22)), 1u); // equal value, other numbers
    EXPECT_EQ(ParEntryForRatio(mt::PixelAspectRatio(7, 5)), 0u);
}

TEST(ChoiceTables, TablesKeepTheLabelsOfTheirFirstUse)
{
    // A translation loaded later does not change a table already built.
    (void)GetVideoRates();
    zelcore::config::Localizer::Get().SetTranslation(
        "$$$/Kestrel/Importers/BarsAndTone/ToneSettingsDialog/FrameRate_Film24", u"24 B/s");
    EXPECT_EQ(GetVideoRates()[1].label, u"24.00 fps");
    zelcore::config::Localizer::Get().ClearCatalogue();
}

TEST(ChoiceTables, IndexInsideTableIsAnUnsigned32BitComparison)
{
    EXPECT_TRUE(IsInsideTable(0, 9));
    EXPECT_TRUE(IsInsideTable(8, 9));
    EXPECT_FALSE(IsInsideTable(9, 9));
    EXPECT_FALSE(IsInsideTable(-1, 9));
    EXPECT_TRUE(IsInsideTable(0x100000002LL, 9)); // the upper half is not looked at
}

TEST(ChoiceTables, FixedListsCarryTheirValues)
{
    ASSERT_EQ(IdentifierFormatChoices(2).size(), 2u);
    EXPECT_EQ(IdentifierFormatChoices(2)[1].value, 1);
    ASSERT_EQ(IdentifierFormatChoices(3).size(), 2u);
    EXPECT_EQ(IdentifierFormatChoices(3)[0].value, 2);
    EXPECT_EQ(zelcore::config::Localizer::Get().Localize(IdentifierFormatChoices(3)[0].key), u"EBU Multichannel (5.1)");
    EXPECT_TRUE(IdentifierFormatChoices(1).empty());
    EXPECT_TRUE(IdentifierFormatChoices(7).empty());
    ASSERT_EQ(PresetChoices().size(), 9u);
    for (std::size_t i = 0; i < PresetChoices().size(); ++i)
        EXPECT_EQ(PresetChoices()[i].value, i);
}

TEST(Presets, LocaleBaseAndReferenceRecord)
{
    for (const bool ntsc : {true, false}) {
        const bt::ToneSettings r = ReferenceRecord(ntsc);
        EXPECT_EQ(r.frameWidth, 720);
        EXPECT_EQ(r.frameHeight, ntsc ? 480 : 576);
        EXPECT_EQ(r.par, ntsc ? mt::kPixelAspectRatio_DVNTSC : mt::kPixelAspectRatio_DVPAL);
        EXPECT_EQ(r.videoFrameRate, ntsc ? 8475667200 : 10160640000);
        EXPECT_EQ(r.dropFrame, 0);
        EXPECT_EQ(r.colorSpaceType, 1);
        EXPECT_TRUE(MatchesReference(r, r));
        bt::ToneSettings other = r;
        other.preset = 7;        // not compared
        other.dropFrame = 1;     // not compared
        EXPECT_TRUE(MatchesReference(other, r));
        other.amplitude = std::nextafter(0.25f, 1.0f);
        EXPECT_FALSE(MatchesReference(other, r));
    }
}

TEST(Presets, AmplitudeConversionsRoundOnceToFloat)
{
    EXPECT_EQ(AmplitudeToDb(0.25f), -12.041199684143066f);
    EXPECT_EQ(kDefaultAmplitudeDb, static_cast<float>(20.0 * std::log10(0.25)));
    EXPECT_EQ(DbToAmplitude(kDefaultAmplitudeDb), 0.25f);
    EXPECT_EQ(DbToAmplitude(-12.0f), static_cast<float>(std::pow(10.0, -0.6)));
    EXPECT_EQ(AmplitudeToDb(0.0f), -300.0f);
    EXPECT_EQ(AmplitudeToDb(-1.0f), -300.0f);
    EXPECT_EQ(AmplitudeToDb(std::numeric_limits<float>::quiet_NaN()), -300.0f);
    EXPECT_EQ(DbToAmplitude(0.0f), 1.0f);
}
