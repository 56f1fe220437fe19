// New clips through the host: selector 38 with the settings dialog driven by
// scripted user actions, on an NTSC and a PAL input locale.

#include "NewClipFixture.h"
#include "ImporterBarsAndTone/ColorSpaces.h"
#include "ImporterBarsAndTone/DialogControls.h"
#include "ImporterBarsAndTone/FrameSizes.h"
#include "LayoutText.h"
#include "dialog/ChoiceTables.h"
#include "zelcore/config/Localizer.h"
#include "zelcore/text/Utf.h"

#include <cmath>
#include <functional>
#include <limits>

using bthost::SequenceProperties;
using A = hc::ScriptedAction;
namespace mt = zelmediatypes;
namespace ids = bt::dialog::ids;

namespace {

/// The text a choice shows with no translation: its key's default.
std::u16string Shown(const char* key) { return zelcore::text::Utf8ToUtf16(zelcore::config::KeyDefault(key)); }

std::u16string PresetText(std::uint8_t value) { return Shown(bt::dialog::PresetChoices()[value].key); }

A ChoosePreset(std::uint8_t value) { return A::Choose(ids::kPresetPopup, PresetText(value)); }

class NewClipTest : public NewClipFixture, public ::testing::WithParamInterface<bool> {
protected:
    NewClipTest() : NewClipFixture(GetParam()) {}

    /// The locale's standard-definition Rec. 709 sequence.
    SequenceProperties StandardDefinition() const
    {
        return ntsc ? SequenceProperties{1, 720, 480, 10, 11, 30000, 1001, 48000.0f}
                    : SequenceProperties{1, 720, 576, 128, 117, 25, 1, 48000.0f};
    }
    static SequenceProperties HighDefinition() { return {}; } // 1920 × 1080 square pixels, 29.97 fps, 48000 Hz

    void SetWorkingSpace(const CvSDKGuid& id, std::int32_t dropFrame = 0) { sequences->SetSequence(1, {dropFrame, id}); }

    /// The stored record of an accepted clip.
    bt::ToneSettings Accepted(const SequenceProperties& sequence, std::vector<A> actions)
    {
        actions.push_back(A::Press(ids::kOkButton));
        const auto clip = Create(sequence, std::move(actions));
        EXPECT_EQ(clip.result, 0) << driver->Failure();
        return bt::LoadToneSettings(clip.stored.data());
    }

    /// What a preset stores: the tone defaults, 48000 Hz, the locale's video
    /// rate and the preset's picture, in DV pixels for Rec. 601.
    bt::ToneSettings PresetRecord(std::uint8_t preset, std::uint8_t colour, std::int32_t width,
                                  std::int32_t height) const
    {
        return {.frameWidth = width,
                .frameHeight = height,
                .par = colour != 0 ? mt::kPixelAspectRatio_Square
                       : ntsc      ? mt::kPixelAspectRatio_DVNTSC
                                   : mt::kPixelAspectRatio_DVPAL,
                .videoFrameRate = ntsc ? 8475667200 : 10160640000,
                .dropFrame = std::uint8_t{ntsc},
                .colorSpaceType = colour,
                .preset = preset};
    }
    bt::ToneSettings HdPreset() const { return PresetRecord(3, 1, 1920, 1080); }
};

} // namespace

TEST_P(NewClipTest, OpeningPresetIsChosenAfterTheRatesAreTaken)
{
    // Ratio, audio rate and video rate are replaced by the locale's before the
    // comparison, so only size and colour space decide.
    SequenceProperties sequence{.width = 720, .height = StandardDefinition().height, .rateNum = 24, .rateDen = 1,
                                .audioRate = 44100.0f};
    EXPECT_EQ(Accepted(sequence, {}), HdPreset());

    sequence.height = ntsc ? 576 : 480; // the other locale's size
    EXPECT_EQ(Accepted(sequence, {}).preset, 1);
    SetWorkingSpace(MB::WorkingSpace::OR2100HLGCvSDKColorSpaceID);
    EXPECT_EQ(Accepted(StandardDefinition(), {}).preset, 1);
}

TEST_P(NewClipTest, OtherSequencesOpenOnAutomaticWithTheirOwnValues)
{
    SetWorkingSpace(MB::WorkingSpace::OR709CvSDKColorSpaceID, 0); // the host says non-drop
    bt::ToneSettings automatic = PresetRecord(1, 1, 1920, 1080);
    automatic.videoFrameRate = 8475667200;
    automatic.dropFrame = 1; // from the video table
    EXPECT_EQ(Accepted(HighDefinition(), {}), automatic);

    const SequenceProperties noRate{.parNum = 7, .parDen = 5, .rateNum = 0}; // a ratio not among the eight
    automatic.videoFrameRate = 10594584000; // the table's first entry
    automatic.dropFrame = 0;
    EXPECT_EQ(Accepted(noRate, {}), automatic);
}

TEST_P(NewClipTest, EveryPresetStoresItsRecord)
{
    SetWorkingSpace(MB::WorkingSpace::OR2100HLGCvSDKColorSpaceID);
    const SequenceProperties sequence{.audioRate = 96000.0f};
    const std::int32_t sdHeight = ntsc ? 480 : 576;
    // Custom keeps the opening record's colour space.
    for (const bt::ToneSettings& want :
         {PresetRecord(0, 2, 720, sdHeight), PresetRecord(2, 0, 720, sdHeight), PresetRecord(3, 1, 1920, 1080),
          PresetRecord(4, 2, 1920, 1080), PresetRecord(5, 3, 1920, 1080), PresetRecord(6, 1, 3840, 2160),
          PresetRecord(7, 2, 3840, 2160), PresetRecord(8, 3, 3840, 2160)}) {
        SCOPED_TRACE(zelcore::text::Utf16ToUtf8(PresetText(want.preset)));
        EXPECT_EQ(Accepted(sequence, {A::Type(ids::kFrequencyHotTextNumber, 440), ChoosePreset(want.preset)}),
                  want);
    }
}

TEST_P(NewClipTest, AutomaticRestoresTheOpeningRecord)
{
    SetWorkingSpace(MB::WorkingSpace::OR2100PQCvSDKColorSpaceID);
    const SequenceProperties uhd{1, 3840, 2160, 1, 1, 50, 1, 44100.0f};
    const auto clip = Create(uhd, {ChoosePreset(2), A::Type(ids::kFrequencyHotTextNumber, 440),
                                   A::Select(ids::kIdentifyChannelsBtn), A::Choose(ids::kAudioFrameRatePopup, u"32000 Hz"),
                                   ChoosePreset(1), A::Press(ids::kOkButton)});
    ASSERT_EQ(clip.result, 0) << driver->Failure();
    bt::ToneSettings opening = PresetRecord(1, 3, 3840, 2160);
    opening.audioFrameRate = 44100.0f;
    opening.videoFrameRate = 5080320000;
    opening.dropFrame = 0;
    EXPECT_EQ(bt::LoadToneSettings(clip.stored.data()), opening);
    EXPECT_EQ(clip.clipName, u"Bars and Tone - Rec 2100 PQ");
}

TEST_P(NewClipTest, UserChangesMarkCustomByExactComparison)
{
    struct Case {
        const char* what;
        std::vector<ScriptedAction> actions;
        std::uint8_t preset;
        std::function<void(bt::ToneSettings&)> change; ///< of the HD preset's record
    };
    const Case cases[] = {
        {"frequency 1000", {A::Type(ids::kFrequencyHotTextNumber, 1000)}, 3, [](auto&) {}},
        {"frequency 1000.5", {A::Type(ids::kFrequencyHotTextNumber, 1000.5)}, 0, [](auto& s) { s.frequency = 1000.5f; }},
        {"amplitude -12", {A::Type(ids::kAmplitudeHotTextNumber, -12.0)}, 0,
         [](auto& s) { s.amplitude = static_cast<float>(std::pow(10.0, -0.6)); }},
        {"amplitude default", {A::Type(ids::kAmplitudeHotTextNumber, -12.041199684143066)}, 3, [](auto&) {}},
        {"width 1919.7", {A::Type(ids::kFrameWidthNumberEdit, 1919.7)}, 0, [](auto& s) { s.frameWidth = 1919; }},
        {"height 1079", {A::Type(ids::kFrameHeightNumberEdit, 1079)}, 0, [](auto& s) { s.frameHeight = 1079; }},
        {"identify channels", {A::Select(ids::kIdentifyChannelsBtn)}, 3, [](auto& s) { s.identifyChannels = 1; }},
        {"format", {A::Select(ids::kIdentifyChannelsBtn), A::Choose(ids::kIdentifierFormatPopup, u"EBU Stereo (400 Hz)")},
         0, [](auto& s) { s.identifyChannels = 1; s.identifierFormat = 1; }},
        {"colour space, the ratio untouched", {A::Choose(ids::kColorSpaceTypePopup, u"Rec. 601")}, 0,
         [](auto& s) { s.colorSpaceType = 0; }},
        {"video rate", {A::Choose(ids::kVideoFrameRatePopup, u"59.94 fps")}, 0,
         [](auto& s) { s.videoFrameRate = 4237833600; s.dropFrame = 1; }},
        {"ratio", {A::Choose(ids::kParPopup, u"DVCPRO HD (1.5)")}, 0, [](auto& s) { s.par = mt::kPixelAspectRatio_DVCProHD; }},
        {"audio rate", {A::Choose(ids::kAudioFrameRatePopup, u"88200 Hz")}, 0, [](auto& s) { s.audioFrameRate = 88200.0f; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bt::ToneSettings want = HdPreset(); // what the standard-definition sequence opens on
        c.change(want);
        want.preset = c.preset;
        EXPECT_EQ(Accepted(StandardDefinition(), c.actions), want);
    }
}

TEST_P(NewClipTest, ToneControlsFollowTheToneType)
{
    // At opening the format pop-up is disabled.
    auto clip = Create(HighDefinition(), {A::Choose(ids::kIdentifierFormatPopup, u"EBU Stereo (400 Hz)")});
    EXPECT_EQ(clip.result, BT_RESULT_UNSUPPORTED);
    EXPECT_NE(driver->Failure().find("disabled"), std::string::npos) << driver->Failure();
    EXPECT_TRUE(Untouched(clip));

    // Identifying channels disables frequency and amplitude.
    for (const char* id : {ids::kFrequencyHotTextNumber, ids::kAmplitudeHotTextNumber}) {
        clip = Create(HighDefinition(), {A::Select(ids::kIdentifyChannelsBtn), A::Type(id, 1)});
        EXPECT_EQ(clip.result, BT_RESULT_UNSUPPORTED) << id;
        EXPECT_NE(driver->Failure().find("disabled"), std::string::npos) << driver->Failure();
    }

    // Back to steady tone, and a preset resets the tone type.
    const bt::ToneSettings s = Accepted(HighDefinition(), {A::Select(ids::kIdentifyChannelsBtn),
                                                           A::Select(ids::kSteadyTonesBtn),
                                                           A::Type(ids::kFrequencyHotTextNumber, 500)});
    EXPECT_EQ((std::pair{s.identifyChannels, s.frequency}), (std::pair{std::uint8_t{0}, 500.0f}));
    const bt::ToneSettings t = Accepted(HighDefinition(), {A::Select(ids::kIdentifyChannelsBtn), ChoosePreset(6),
                                                           A::Type(ids::kAmplitudeHotTextNumber, -6)});
    EXPECT_EQ((std::pair{t.identifyChannels, t.preset}), (std::pair<std::uint8_t, std::uint8_t>{0, 0}));
}

TEST_P(NewClipTest, CancelClosingTheWindowOrAnUnfinishedRunStoreNothing)
{
    // A driver that stops without closing leaves the dialog to be closed.
    for (const auto& end : {std::vector{A::Press(ids::kCancelButton)}, std::vector{A::Close()}, std::vector<A>{}}) {
        auto actions = end;
        actions.insert(actions.begin(), ChoosePreset(8));
        const auto clip = Create(HighDefinition(), actions);
        EXPECT_EQ(clip.result, BT_RESULT_CANCELLED);
        EXPECT_TRUE(Untouched(clip));
    }
}

TEST_P(NewClipTest, EveryColourSpaceIsOfferedAndNamesTheClip)
{
    SetWorkingSpace(MB::WorkingSpace::OR2100PQCvSDKColorSpaceID);
    for (const bt::ColorSpaceFacts& space : bt::kColorSpaces) {
        const auto clip = Create(HighDefinition(), {A::Choose(ids::kColorSpaceTypePopup, Shown(space.dialogLabelKey)),
                                                    A::Press(ids::kOkButton)});
        ASSERT_EQ(clip.result, 0) << space.token << ": " << driver->Failure();
        EXPECT_EQ(clip.stored[64], bt::RecordValue(space.space));
        EXPECT_EQ(clip.clipName, zelcore::config::Localizer::Get().Localize(space.clipNameKey));
    }
}

TEST_P(NewClipTest, FailedNameAllocationStillStoresTheRecord)
{
    host->Memory().FailAllocations(1);
    const auto clip = Create(HighDefinition(), {A::Press(ids::kOkButton)});
    EXPECT_EQ(clip.result, 0);
    EXPECT_FALSE(clip.clipName.has_value());
    EXPECT_EQ(bt::LoadToneSettings(clip.stored.data()).frameWidth, 1920);
    EXPECT_EQ(host->Memory().FailedAllocationCount(), 1u);
}

TEST_P(NewClipTest, WithoutALayoutScriptTheSequenceMatchedRecordIsStored)
{
    WithoutDialog();
    sequences->SetSequence(7, {1, MB::WorkingSpace::OR2100PQCvSDKColorSpaceID});
    const auto clip = Create({7, 3840, 2160, 40, 33, 0, 1, 44100.0f}, {});
    ASSERT_EQ(clip.result, 0);
    EXPECT_EQ(driver->Runs(), 0);

    // The defaults, then the sequence.
    EXPECT_EQ(bt::LoadToneSettings(clip.stored.data()),
              (bt::ToneSettings{.audioFrameRate = 44100.0f, .frameWidth = 3840, .frameHeight = 2160, .par = {40, 33},
                                .videoFrameRate = std::numeric_limits<std::int64_t>::max(), .dropFrame = 1,
                                .colorSpaceType = 3}));
    EXPECT_EQ(clip.clipName, u"Bars and Tone - Rec 2100 PQ");
    EXPECT_EQ(sequences->AskedIds(), std::vector<std::uint32_t>{7});
}

TEST_P(NewClipTest, AMalformedLayoutOrAControlOfTheWrongClassFailsTheCall)
{
    std::string wrongClass = ReadLayoutText(false);
    const std::string popup = "zel_popup(identifier:'presetPopup'";
    wrongClass.replace(wrongClass.find(popup), popup.size(), "zel_number_edit(identifier:'presetPopup'");
    for (const std::string& text : {wrongClass, std::string("layout X\r\n{\r\n\tview\r\n")}) {
        hc::SetScriptProvider([text](std::string_view) -> std::optional<std::string> { return text; });
        const auto clip = Create(HighDefinition(), {A::Press(ids::kOkButton)});
        EXPECT_EQ(clip.result, BT_RESULT_UNSUPPORTED);
        EXPECT_TRUE(Untouched(clip));
        EXPECT_EQ(driver->Runs(), 0);
    }
}

TEST_P(NewClipTest, FrequencyLimitIsHalfTheOpeningAudioRate)
{
    const SequenceProperties sequence{.audioRate = 44100.0f};
    const bt::ToneSettings s = Accepted(sequence, {A::Type(ids::kFrequencyHotTextNumber, 30000)});
    EXPECT_EQ((std::pair{s.audioFrameRate, s.frequency}), (std::pair{44100.0f, 22050.0f}));
    const bt::ToneSettings t = Accepted(sequence, {A::Choose(ids::kAudioFrameRatePopup, u"48000 Hz"),
                                                   A::Type(ids::kFrequencyHotTextNumber, 23000)});
    EXPECT_EQ((std::pair{t.audioFrameRate, t.frequency}), (std::pair{48000.0f, 22050.0f}));
}

TEST_P(NewClipTest, TypedSizesAreHeldToThePublishedFrameSizes)
{
    // Hosts judge clips by the published range, so the fields must hold to it
    // exactly: a bound itself is kept, a pixel beyond it is held to it.
    const bt::FrameSizeRange& r = bt::kFrameSizes;
    const struct {
        double width, height;
        std::int32_t keptWidth, keptHeight;
    } rows[] = {{1.0 * r.minWidth, 1.0 * r.maxHeight, r.minWidth, r.maxHeight},
                {r.minWidth - 1.0, r.maxHeight + 1.0, r.minWidth, r.maxHeight},
                {r.maxWidth + 1.0, r.minHeight - 1.0, r.maxWidth, r.minHeight}};
    for (const auto& row : rows) {
        const bt::ToneSettings s = Accepted(HighDefinition(), {A::Type(ids::kFrameWidthNumberEdit, row.width),
                                                               A::Type(ids::kFrameHeightNumberEdit, row.height)});
        EXPECT_EQ((std::pair{s.frameWidth, s.frameHeight}), (std::pair{row.keptWidth, row.keptHeight}))
            << row.width << " x " << row.height;
    }
}

INSTANTIATE_TEST_SUITE_P(Locales, NewClipTest, ::testing::Values(true, false),
                         [](const auto& locale) { return locale.param ? std::string("NTSC") : std::string("PAL"); });
