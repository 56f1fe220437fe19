// New clips through the host: selector 38 with the settings dialog driven by
// scripted user actions, on an NTSC and a PAL input locale.

#include "../host/ModuleFixture.h"
#include "ImporterBarsAndTone/ColorSpaces.h"
#include "LayoutText.h"
#include "bthost/DialogControl.h"
#include "bthost/NewClip.h"
#include "bthost/SequenceInfoSuite.h"
#include "dialog/ChoiceTables.h"
#include "dialog/ControlIds.h"
#include "host/ToneSettings.h"
#include "zelcore/config/Localizer.h"
#include "zelcore/text/Utf.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>

using namespace zellyrafactory::hostcontrol;
using bthost::SequenceProperties;
namespace mt = zelmediatypes;
namespace ids = bt::dialog::ids;

namespace {

constexpr std::uint8_t kUntouched = 0xCD;

/// The text a choice shows with no translation: its key's default.
std::u16string Shown(const char* key) { return zelcore::text::Utf8ToUtf16(zelcore::config::KeyDefault(key)); }

std::u16string PresetText(std::uint8_t value) { return Shown(bt::dialog::PresetChoices()[value].key); }

ScriptedAction ChoosePreset(std::uint8_t value) { return ScriptedAction::Choose(ids::kPresetPopup, PresetText(value)); }

class NewClipTest : public ModuleTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        ModuleTest::SetUp();
        locale = std::make_unique<bthost::ScopedInputLocale>(ntsc ? MB::Locale::HostControl::InputLocale::NTSC
                                                                  : MB::Locale::HostControl::InputLocale::PAL);
        sequences = std::make_unique<bthost::SequenceInfoSuite>(*host);
        sequences->SetSequence(1, {});
    }
    void TearDown() override
    {
        sequences.reset();
        locale.reset();
        InstallModalDriver(nullptr);
        SetScriptProvider(nullptr);
        EXPECT_EQ(host->Memory().LiveBlocks(), 0u);
        ModuleTest::TearDown();
    }

    /// The locale's standard-definition Rec. 709 sequence.
    SequenceProperties StandardDefinition() const
    {
        return ntsc ? SequenceProperties{1, 720, 480, 10, 11, 30000, 1001, 48000.0f}
                    : SequenceProperties{1, 720, 576, 128, 117, 25, 1, 48000.0f};
    }
    static SequenceProperties HighDefinition() { return {1, 1920, 1080, 1, 1, 30000, 1001, 48000.0f}; }

    void SetWorkingSpace(const CvSDKGuid& id, std::int32_t dropFrame = 0) { sequences->SetSequence(1, {dropFrame, id}); }

    /// Both calls of selector 38 under a scripted driver.
    bthost::NewClipSettings Create(const SequenceProperties& sequence, std::vector<ScriptedAction> actions)
    {
        driver = std::make_shared<ScriptedDriver>(std::move(actions));
        InstallModalDriver(driver);
        return bthost::AcquireNewClipSettings(*host, sequence);
    }

    /// The stored record of an accepted clip.
    bt::ToneSettings Accepted(const SequenceProperties& sequence, std::vector<ScriptedAction> actions)
    {
        actions.push_back(ScriptedAction::Press(ids::kOkButton));
        const auto clip = Create(sequence, std::move(actions));
        EXPECT_EQ(clip.result, 0) << driver->Failure();
        return bt::LoadToneSettings(clip.stored.data());
    }

    static bool Untouched(const bthost::NewClipSettings& clip)
    {
        for (std::uint8_t b : clip.stored)
            if (b != kUntouched)
                return false;
        return !clip.clipName.has_value();
    }

    std::int64_t LocaleRate() const { return ntsc ? 8475667200 : 10160640000; }
    std::uint8_t LocaleDrop() const { return ntsc ? 1 : 0; }
    mt::PixelAspectRatio LocaleSdPar() const { return ntsc ? mt::kPixelAspectRatio_DVNTSC : mt::kPixelAspectRatio_DVPAL; }
    std::int32_t LocaleSdHeight() const { return ntsc ? 480 : 576; }

    void ExpectToneDefaults(const bt::ToneSettings& s) const
    {
        EXPECT_EQ(s.identifyChannels, 0);
        EXPECT_EQ(s.frequency, 1000.0f);
        EXPECT_EQ(s.amplitude, 0.25f); // bit for bit
        EXPECT_EQ(s.identifierFormat, 0);
        EXPECT_EQ(s.audioChannelType, 2u);
        EXPECT_EQ(s.audioChannelCount, 2u);
        EXPECT_EQ(s.version, 2u);
    }

    const bool ntsc = GetParam();
    std::unique_ptr<bthost::ScopedInputLocale> locale;
    std::unique_ptr<bthost::SequenceInfoSuite> sequences;
    std::shared_ptr<ScriptedDriver> driver;
};

} // namespace

TEST_P(NewClipTest, OpeningPresetIsChosenAfterTheRatesAreTaken)
{
    // Ratio, audio rate and video rate are replaced by the locale's before the
    // comparison, so only size and colour space decide.
    SequenceProperties sequence = StandardDefinition();
    sequence.parNum = 1;
    sequence.parDen = 1;
    sequence.rateNum = 24;
    sequence.rateDen = 1;
    sequence.audioRate = 44100.0f;
    const bt::ToneSettings s = Accepted(sequence, {});
    EXPECT_EQ(s.preset, 3); // and its record, at the locale's rates
    EXPECT_EQ(s.frameWidth, 1920);
    EXPECT_EQ(s.videoFrameRate, LocaleRate());
    EXPECT_EQ(s.audioFrameRate, 48000.0f);

    sequence.height = ntsc ? 576 : 480; // the other locale's size
    EXPECT_EQ(Accepted(sequence, {}).preset, 1);
    SetWorkingSpace(MB::WorkingSpace::OR2100HLGCvSDKColorSpaceID);
    EXPECT_EQ(Accepted(StandardDefinition(), {}).preset, 1);
}

TEST_P(NewClipTest, OtherSequencesOpenOnAutomaticWithTheirOwnValues)
{
    SetWorkingSpace(MB::WorkingSpace::OR709CvSDKColorSpaceID, 0); // the host says non-drop
    const bt::ToneSettings s = Accepted(HighDefinition(), {});
    EXPECT_EQ(s.preset, 1);
    EXPECT_EQ(s.frameWidth, 1920);
    EXPECT_EQ(s.frameHeight, 1080);
    EXPECT_EQ(s.par, mt::kPixelAspectRatio_Square);
    EXPECT_EQ(s.videoFrameRate, 8475667200);
    EXPECT_EQ(s.dropFrame, 1); // from the video table
    ExpectToneDefaults(s);

    SequenceProperties noRate = HighDefinition();
    noRate.rateNum = 0;
    noRate.parNum = 7; // not among the eight ratios
    noRate.parDen = 5;
    const bt::ToneSettings t = Accepted(noRate, {});
    EXPECT_EQ(t.videoFrameRate, 10594584000); // the table's first entry
    EXPECT_EQ(t.dropFrame, 0);
    EXPECT_EQ(t.par, mt::kPixelAspectRatio_Square);
}

TEST_P(NewClipTest, EveryPresetStoresItsRecord)
{
    struct Row {
        std::uint8_t preset;
        std::uint8_t colour; // 255: kept from the opening record
        std::int32_t width, height;
    };
    const Row rows[] = {{0, 255, 720, LocaleSdHeight()}, {2, 0, 720, LocaleSdHeight()}, {3, 1, 1920, 1080},
                        {4, 2, 1920, 1080}, {5, 3, 1920, 1080},  {6, 1, 3840, 2160},
                        {7, 2, 3840, 2160}, {8, 3, 3840, 2160}};
    ASSERT_EQ(std::size(rows) + 1, bt::dialog::PresetChoices().size());
    SetWorkingSpace(MB::WorkingSpace::OR2100HLGCvSDKColorSpaceID);
    SequenceProperties sequence = HighDefinition();
    sequence.audioRate = 96000.0f;
    for (const Row& row : rows) {
        SCOPED_TRACE(zelcore::text::Utf16ToUtf8(PresetText(row.preset)));
        const bt::ToneSettings s = Accepted(sequence, {ScriptedAction::Type(ids::kFrequencyHotTextNumber, 440),
                                                       ChoosePreset(row.preset)});
        const std::uint8_t colour = row.colour == 255 ? 2 : row.colour;
        EXPECT_EQ(s.preset, row.preset);
        EXPECT_EQ(s.colorSpaceType, colour);
        EXPECT_EQ(s.frameWidth, row.width);
        EXPECT_EQ(s.frameHeight, row.height);
        EXPECT_EQ(s.par, colour == 0 ? LocaleSdPar() : mt::kPixelAspectRatio_Square);
        EXPECT_EQ(s.videoFrameRate, LocaleRate());
        EXPECT_EQ(s.dropFrame, LocaleDrop());
        EXPECT_EQ(s.audioFrameRate, 48000.0f);
        ExpectToneDefaults(s);
    }
}

TEST_P(NewClipTest, AutomaticRestoresTheOpeningRecord)
{
    SetWorkingSpace(MB::WorkingSpace::OR2100PQCvSDKColorSpaceID);
    const SequenceProperties uhd{1, 3840, 2160, 1, 1, 50, 1, 44100.0f};
    const auto clip = Create(uhd, {ChoosePreset(2), ScriptedAction::Type(ids::kFrequencyHotTextNumber, 440),
                                   ScriptedAction::Select(ids::kIdentifyChannelsBtn),
                                   ScriptedAction::Choose(ids::kAudioFrameRatePopup, u"32000 Hz"), ChoosePreset(1),
                                   ScriptedAction::Press(ids::kOkButton)});
    ASSERT_EQ(clip.result, 0) << driver->Failure();
    const bt::ToneSettings s = bt::LoadToneSettings(clip.stored.data());
    EXPECT_EQ(s.preset, 1);
    EXPECT_EQ(s.colorSpaceType, 3);
    EXPECT_EQ(s.frameWidth, 3840);
    EXPECT_EQ(s.frameHeight, 2160);
    EXPECT_EQ(s.par, mt::kPixelAspectRatio_Square);
    EXPECT_EQ(s.audioFrameRate, 44100.0f);
    EXPECT_EQ(s.videoFrameRate, 5080320000);
    EXPECT_EQ(s.dropFrame, 0);
    ExpectToneDefaults(s);
    EXPECT_EQ(clip.clipName, u"Bars and Tone - Rec 2100 PQ");
}

TEST_P(NewClipTest, UserChangesMarkCustomByExactComparison)
{
    struct Case {
        const char* what;
        std::vector<ScriptedAction> actions;
        std::uint8_t preset;
        std::function<void(const bt::ToneSettings&)> check;
    };
    const float minus12 = static_cast<float>(std::pow(10.0, -0.6));
    const Case cases[] = {
        {"frequency 1000", {ScriptedAction::Type(ids::kFrequencyHotTextNumber, 1000)}, 3,
         [](const auto& s) { EXPECT_EQ(s.frequency, 1000.0f); }},
        {"frequency 1000.5", {ScriptedAction::Type(ids::kFrequencyHotTextNumber, 1000.5)}, 0,
         [](const auto& s) { EXPECT_EQ(s.frequency, 1000.5f); }},
        {"amplitude -12", {ScriptedAction::Type(ids::kAmplitudeHotTextNumber, -12.0)}, 0,
         [&](const auto& s) { EXPECT_EQ(s.amplitude, minus12); }},
        {"amplitude default", {ScriptedAction::Type(ids::kAmplitudeHotTextNumber, -12.041199684143066)}, 3,
         [](const auto& s) { EXPECT_EQ(s.amplitude, 0.25f); }},
        {"width 1919.7", {ScriptedAction::Type(ids::kFrameWidthNumberEdit, 1919.7)}, 0,
         [](const auto& s) { EXPECT_EQ(s.frameWidth, 1919); }},
        {"height beyond the maximum", {ScriptedAction::Type(ids::kFrameHeightNumberEdit, 1e9)}, 0,
         [](const auto& s) { EXPECT_EQ(s.frameHeight, 8192); }},
        {"width below the minimum", {ScriptedAction::Type(ids::kFrameWidthNumberEdit, -3)}, 0,
         [](const auto& s) { EXPECT_EQ(s.frameWidth, 24); }},
        {"identify channels", {ScriptedAction::Select(ids::kIdentifyChannelsBtn)}, 3,
         [](const auto& s) { EXPECT_EQ(s.identifyChannels, 1); }},
        {"format", {ScriptedAction::Select(ids::kIdentifyChannelsBtn),
                    ScriptedAction::Choose(ids::kIdentifierFormatPopup, u"EBU Stereo (400 Hz)")}, 0,
         [](const auto& s) { EXPECT_EQ(s.identifierFormat, 1); }},
        {"colour space", {ScriptedAction::Choose(ids::kColorSpaceTypePopup, u"Rec. 2100 HLG")}, 0,
         [](const auto& s) {
             EXPECT_EQ(s.colorSpaceType, 2);
             EXPECT_EQ(s.par, mt::kPixelAspectRatio_Square); // the ratio is not touched
         }},
        {"video rate", {ScriptedAction::Choose(ids::kVideoFrameRatePopup, u"59.94 fps")}, 0,
         [](const auto& s) {
             EXPECT_EQ(s.videoFrameRate, 4237833600);
             EXPECT_EQ(s.dropFrame, 1);
         }},
        {"ratio", {ScriptedAction::Choose(ids::kParPopup, u"DVCPRO HD (1.5)")}, 0,
         [](const auto& s) { EXPECT_EQ(s.par, mt::kPixelAspectRatio_DVCProHD); }},
        {"audio rate", {ScriptedAction::Choose(ids::kAudioFrameRatePopup, u"88200 Hz")}, 0,
         [](const auto& s) { EXPECT_EQ(s.audioFrameRate, 88200.0f); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const bt::ToneSettings s = Accepted(StandardDefinition(), c.actions); // opens on "HD Rec.709"
        EXPECT_EQ(s.preset, c.preset);
        c.check(s);
    }
}

TEST_P(NewClipTest, ToneControlsFollowTheToneType)
{
    // At opening the format pop-up is disabled.
    auto clip = Create(HighDefinition(), {ScriptedAction::Choose(ids::kIdentifierFormatPopup, u"EBU Stereo (400 Hz)")});
    EXPECT_EQ(clip.result, BT_RESULT_UNSUPPORTED);
    EXPECT_NE(driver->Failure().find("disabled"), std::string::npos) << driver->Failure();
    EXPECT_TRUE(Untouched(clip));

    // Identifying channels disables frequency and amplitude.
    for (const char* id : {ids::kFrequencyHotTextNumber, ids::kAmplitudeHotTextNumber}) {
        clip = Create(HighDefinition(), {ScriptedAction::Select(ids::kIdentifyChannelsBtn), ScriptedAction::Type(id, 1)});
        EXPECT_EQ(clip.result, BT_RESULT_UNSUPPORTED) << id;
        EXPECT_NE(driver->Failure().find("disabled"), std::string::npos) << driver->Failure();
    }

    // Back to steady tone, and a preset resets the tone type.
    const bt::ToneSettings s = Accepted(HighDefinition(), {ScriptedAction::Select(ids::kIdentifyChannelsBtn),
                                                           ScriptedAction::Select(ids::kSteadyTonesBtn),
                                                           ScriptedAction::Type(ids::kFrequencyHotTextNumber, 500)});
    EXPECT_EQ(s.identifyChannels, 0);
    EXPECT_EQ(s.frequency, 500.0f);
    const bt::ToneSettings t = Accepted(HighDefinition(), {ScriptedAction::Select(ids::kIdentifyChannelsBtn),
                                                           ChoosePreset(6),
                                                           ScriptedAction::Type(ids::kAmplitudeHotTextNumber, -6)});
    EXPECT_EQ(t.identifyChannels, 0);
    EXPECT_EQ(t.preset, 0);
}

TEST_P(NewClipTest, CancelAndClosingTheWindowStoreNothing)
{
    for (const ScriptedAction& end : {ScriptedAction::Press(ids::kCancelButton), ScriptedAction::Close()}) {
        const auto clip = Create(HighDefinition(), {ChoosePreset(8), end});
        EXPECT_EQ(clip.result, BT_RESULT_CANCELLED);
        EXPECT_TRUE(Untouched(clip));
    }
    // A driver that stops without closing leaves the dialog to be closed.
    const auto clip = Create(HighDefinition(), {ChoosePreset(8)});
    EXPECT_EQ(clip.result, BT_RESULT_CANCELLED);
    EXPECT_TRUE(Untouched(clip));
}

TEST_P(NewClipTest, EveryColourSpaceIsOfferedAndNamesTheClip)
{
    SetWorkingSpace(MB::WorkingSpace::OR2100PQCvSDKColorSpaceID);
    for (const bt::ColorSpaceFacts& space : bt::kColorSpaces) {
        const auto clip = Create(HighDefinition(), {ScriptedAction::Choose(ids::kColorSpaceTypePopup,
                                                                           Shown(space.dialogLabelKey)),
                                                    ScriptedAction::Press(ids::kOkButton)});
        ASSERT_EQ(clip.result, 0) << space.token << ": " << driver->Failure();
        EXPECT_EQ(clip.stored[64], bt::RecordValue(space.space));
        EXPECT_EQ(clip.clipName, zelcore::config::Localizer::Get().Localize(space.clipNameKey));
    }
}

TEST_P(NewClipTest, FailedNameAllocationStillStoresTheRecord)
{
    host->Memory().FailAllocations(1);
    const auto clip = Create(HighDefinition(), {ScriptedAction::Press(ids::kOkButton)});
    EXPECT_EQ(clip.result, 0);
    EXPECT_FALSE(clip.clipName.has_value());
    EXPECT_EQ(bt::LoadToneSettings(clip.stored.data()).frameWidth, 1920);
    EXPECT_EQ(host->Memory().FailedAllocationCount(), 1u);
}

TEST_P(NewClipTest, WithoutALayoutScriptTheSequenceMatchedRecordIsStored)
{
    SetScriptProvider([](std::string_view) -> std::optional<std::string> { return std::nullopt; });
    sequences->SetSequence(7, {1, MB::WorkingSpace::OR2100PQCvSDKColorSpaceID});
    const SequenceProperties sequence{7, 3840, 2160, 40, 33, 0, 1, 44100.0f};
    const auto clip = Create(sequence, {});
    ASSERT_EQ(clip.result, 0);
    EXPECT_EQ(driver->Runs(), 0);

    bt::ToneSettings expected; // the defaults, then the sequence
    expected.audioFrameRate = 44100.0f;
    expected.frameWidth = 3840;
    expected.frameHeight = 2160;
    expected.par = mt::PixelAspectRatio(40, 33);
    expected.videoFrameRate = std::numeric_limits<std::int64_t>::max();
    expected.dropFrame = 1;
    expected.colorSpaceType = 3;
    ASSERT_EQ(clip.stored.size(), 72u);
    EXPECT_EQ(std::memcmp(clip.stored.data(), &expected, 72), 0);
    EXPECT_EQ(clip.clipName, u"Bars and Tone - Rec 2100 PQ");
    EXPECT_EQ(sequences->AskedIds(), std::vector<std::uint32_t>{7});
}

TEST_P(NewClipTest, AMalformedLayoutOrAControlOfTheWrongClassFailsTheCall)
{
    std::string wrongClass = ReadLayoutText(false);
    const std::string popup = "zel_popup(identifier:'presetPopup'";
    wrongClass.replace(wrongClass.find(popup), popup.size(), "zel_number_edit(identifier:'presetPopup'");
    for (const std::string& text : {wrongClass, std::string("layout X\r\n{\r\n\tview\r\n")}) {
        SetScriptProvider([text](std::string_view) -> std::optional<std::string> { return text; });
        const auto clip = Create(HighDefinition(), {ScriptedAction::Press(ids::kOkButton)});
        EXPECT_EQ(clip.result, BT_RESULT_UNSUPPORTED);
        EXPECT_TRUE(Untouched(clip));
        EXPECT_EQ(driver->Runs(), 0);
    }
}

TEST_P(NewClipTest, FrequencyLimitIsHalfTheOpeningAudioRate)
{
    SequenceProperties sequence = HighDefinition();
    sequence.audioRate = 44100.0f;
    const bt::ToneSettings s = Accepted(sequence, {ScriptedAction::Type(ids::kFrequencyHotTextNumber, 30000)});
    EXPECT_EQ(s.audioFrameRate, 44100.0f);
    EXPECT_EQ(s.frequency, 22050.0f);
    const bt::ToneSettings t = Accepted(sequence, {ScriptedAction::Choose(ids::kAudioFrameRatePopup, u"48000 Hz"),
                                                   ScriptedAction::Type(ids::kFrequencyHotTextNumber, 23000)});
    EXPECT_EQ(t.audioFrameRate, 48000.0f);
    EXPECT_EQ(t.frequency, 22050.0f);
}

INSTANTIATE_TEST_SUITE_P(Locales, NewClipTest, ::testing::Values(true, false),
                         [](const auto& locale) { return locale.param ? std::string("NTSC") : std::string("PAL"); });
