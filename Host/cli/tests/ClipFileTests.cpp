#include "ClipFile.h"
#include "ClipRules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <utility>

using namespace btcli;

namespace {

// The default record, written out from its published layout.
SettingsBytes DefaultRecord()
{
    SettingsBytes b{};
    auto put = [&](std::size_t at, const auto& v) { std::memcpy(b.data() + at, &v, sizeof v); };
    put(0, std::uint32_t{2});
    put(4, 48000.0f);
    put(8, std::uint32_t{2});
    put(12, std::uint32_t{2});
    put(20, 1000.0f);
    put(24, 0.25f);
    put(32, std::int32_t{1920});
    put(36, std::int32_t{1080});
    put(40, std::uint32_t{40});
    put(44, std::uint32_t{33});
    put(48, std::int64_t{8475667200});
    b[64] = 1;
    b[65] = 3;
    return b;
}

std::string WithSettings(const std::string& settings, const std::string& extra = "")
{
    return R"({"format": "barsandtone clip", "formatVersion": 1, "name": "n", "settings": )" + settings + extra + "}";
}

std::string ErrorOf(const std::string& text)
{
    try {
        (void)ParseClipFile(text);
    } catch (const ClipFileError& e) {
        return e.what();
    }
    return "accepted";
}

} // namespace

TEST(ClipFile, RoundTripKeepsEveryByteTheNameAndTheFileType)
{
    ClipFile clip;
    clip.name = "Bars and Tone - Rec 2100 PQ \"test\" \xC3\xA9";
    clip.fileType = 0x48444252; // 'HDBR'
    for (std::size_t i = 0; i < kSettingsSize; ++i)
        clip.settings[i] = static_cast<std::uint8_t>(255 - 3 * i); // padding bytes included
    const ClipFile back = ParseClipFile(FormatClipFile(clip));
    EXPECT_EQ(back.name, clip.name);
    EXPECT_EQ(back.fileType, clip.fileType);
    EXPECT_EQ(back.settings, clip.settings);
}

TEST(ClipFile, DecodedFieldsReadTheRecordAtItsPublishedOffsets)
{
    const SettingsFields f = DecodeSettings(DefaultRecord());
    EXPECT_EQ(f.version, 2u);
    EXPECT_EQ(f.audioFrameRate, 48000.0f);
    EXPECT_EQ(f.audioChannelCount, 2u);
    EXPECT_EQ(f.frequency, 1000.0f);
    EXPECT_EQ(f.amplitude, 0.25f);
    EXPECT_EQ(f.frameWidth, 1920);
    EXPECT_EQ(f.frameHeight, 1080);
    EXPECT_EQ(f.parNumerator, 40u);
    EXPECT_EQ(f.parDenominator, 33u);
    EXPECT_EQ(f.videoFrameRate, 8475667200);
    EXPECT_EQ(f.colorSpaceType, 1);
    EXPECT_EQ(f.preset, 3);
    EXPECT_EQ(SettingsSummary(f), "1920 x 1080, 29.97 fps, Rec. 709; stereo 48000 Hz, steady 1000.0 Hz at -12.04 dB");
    EXPECT_EQ(ColourSpaceName(9), "unknown (9)");

    ClipFile clip;
    clip.name = "Bars and Tone - Rec 709";
    clip.settings = DefaultRecord();
    const std::string text = FormatClipFile(clip);
    EXPECT_NE(text.find("\"02 00 00 00 00 80 3B 47\""), std::string::npos) << text; // version 2, 48000.0f
    EXPECT_NE(text.find("\"frameWidth\": 1920"), std::string::npos);
    EXPECT_NE(text.find("\"fileType\": \"BARS\""), std::string::npos);
}

TEST(ClipFile, AcceptsHandWrittenBytesInAnyLayout)
{
    std::string hex;
    for (std::uint8_t byte : DefaultRecord()) {
        static const char* digits = "0123456789abcdef";
        hex += digits[byte >> 4];
        hex += digits[byte & 15];
        hex += byte % 3 == 0 ? "\\n\\t " : ""; // JSON escapes: a new line and a tab
    }
    const ClipFile clip = ParseClipFile(WithSettings("\"" + hex + "\""));
    EXPECT_EQ(clip.settings, DefaultRecord());
    EXPECT_EQ(clip.fileType, 0x42415253u);
}

TEST(ClipFile, RejectsMalformedFilesSayingWhatIsWrong)
{
    const std::string ok = R"(["02 00 00 00 00 80 3B 47", "02 00 00 00 02 00 00 00", "00 00 00 00 00 00 7A 44",
        "00 00 80 3E 00 00 00 00", "80 07 00 00 38 04 00 00", "28 00 00 00 21 00 00 00",
        "00 6B 30 F9 01 00 00 00", "00 00 00 00 00 00 00 00", "01 03 00 00 00 00 00 00"])";
    EXPECT_EQ(ErrorOf(WithSettings(ok)), "accepted");
    EXPECT_EQ(ParseClipFile(WithSettings(ok)).settings, DefaultRecord());

    const std::pair<std::string, const char*> refusals[] = {
        {"{not json", "not JSON"},
        {"[]", "not a clip file"},
        {R"({"format": "something else"})", "not a clip file"},
        {R"({"format": "barsandtone clip", "formatVersion": 9, "name": "n", "settings": ""})", "version 9"},
        {R"({"format": "barsandtone clip", "formatVersion": 1, "settings": ""})", "\"name\""},
        {R"({"format": "barsandtone clip", "formatVersion": 1E888})", "not JSON"}, // beyond a double
        {WithSettings("\"02 00\""), "holds 2 bytes"},
        {WithSettings("\"02 0\""), "odd number"},
        {WithSettings("\"0g\""), "'g'"},
        {WithSettings("42"), "hexadecimal"},
        {WithSettings(ok, R"(, "fileType": "MPEG")"), "\"MPEG\""},
        {WithSettings(ok, R"(, "decoded": {"frameWidth": 1280})"), "frameWidth says 1280"},
        {WithSettings(ok, R"(, "decoded": {"par": [1, 1]})"), "par"},
        {WithSettings(ok, R"(, "decoded": {"colour": 1})"), "\"colour\""},
        {WithSettings("\"02\"", R"(, "decoded": {"frameWidth": -1e400})"), "not JSON"},
    };
    for (const auto& [text, says] : refusals)
        EXPECT_NE(ErrorOf(text).find(says), std::string::npos) << text << ": " << ErrorOf(text);
    EXPECT_EQ(ErrorOf(WithSettings(ok, R"(, "decoded": {"frameWidth": 1920, "amplitude": 0.25, "par": [40, 33]})")),
              "accepted");
}

TEST(ClipFile, LoadNamesThePath)
{
    try {
        (void)LoadClipFile("/nonexistent/clip.json");
        FAIL() << "accepted a missing file";
    } catch (const ClipFileError& e) {
        EXPECT_NE(std::string(e.what()).find("/nonexistent/clip.json"), std::string::npos);
    }
}

namespace {

/// The default record with one field changed, as a hand edit would.
template <class Value>
SettingsBytes With(std::size_t offset, Value value)
{
    SettingsBytes b = DefaultRecord();
    std::memcpy(b.data() + offset, &value, sizeof value);
    return b;
}

} // namespace

TEST(ClipRules, EachFieldIsJudgedAtItsBounds)
{
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        const char* what;
        SettingsBytes record;
        std::optional<ClipPart> fault; // none: the clip can be used
    } cases[] = {
        {"the default", DefaultRecord(), std::nullopt},
        {"version 1", With(0, std::uint32_t{1}), ClipPart::Record},
        {"version 3", With(0, std::uint32_t{3}), ClipPart::Record},
        {"width 24", With(32, std::int32_t{24}), std::nullopt},
        {"width 23", With(32, std::int32_t{23}), ClipPart::Picture},
        {"width 16384", With(32, std::int32_t{16384}), std::nullopt},
        {"width 16385", With(32, std::int32_t{16385}), ClipPart::Picture},
        {"height 24", With(36, std::int32_t{24}), std::nullopt},
        {"height 23", With(36, std::int32_t{23}), ClipPart::Picture},
        {"height 8192", With(36, std::int32_t{8192}), std::nullopt},
        {"height 8193", With(36, std::int32_t{8193}), ClipPart::Picture},
        {"height -16776136", With(36, std::int32_t{-16776136}), ClipPart::Picture},
        {"pixel aspect 0/33", With(40, std::uint32_t{0}), ClipPart::PixelAspect},
        {"pixel aspect 40/0", With(44, std::uint32_t{0}), ClipPart::PixelAspect},
        {"a frame of 1 tick", With(48, std::int64_t{1}), std::nullopt},
        {"a frame of 0 ticks", With(48, std::int64_t{0}), ClipPart::FrameRate},
        {"no frame rate", With(48, std::numeric_limits<std::int64_t>::max()), ClipPart::FrameRate},
        {"colour space 3", With(64, std::uint8_t{3}), std::nullopt},
        {"colour space 4", With(64, std::uint8_t{4}), ClipPart::ColourSpace},
        {"sound at 0 Hz", With(4, 0.0f), ClipPart::Sound},
        {"sound at NaN Hz", With(4, kNaN), ClipPart::Sound},
        {"6 channels", With(12, std::uint32_t{6}), std::nullopt},
        {"7 channels", With(12, std::uint32_t{7}), ClipPart::Sound},
        {"0 channels", With(12, std::uint32_t{0}), ClipPart::Sound},
        {"a tone of 0 Hz", With(20, 0.0f), ClipPart::Tone},
        {"a tone at a gain of NaN", With(24, kNaN), ClipPart::Tone},
        {"a tone at a gain of 0", With(24, 0.0f), std::nullopt},
    };
    for (const Case& c : cases) {
        const auto fault = FaultOf(c.record);
        EXPECT_EQ(fault.has_value(), c.fault.has_value()) << c.what << ": " << (fault ? fault->text : "");
        if (fault && c.fault) {
            EXPECT_EQ(fault->part, *c.fault) << c.what << ": " << fault->text;
        }
    }

    // An identifying clip is judged by its cadence, not by the steady tone it does not play.
    SettingsBytes identifying = With(20, 0.0f);
    identifying[16] = 1;
    identifying[28] = 3;
    EXPECT_FALSE(FaultOf(identifying).has_value());
    identifying[28] = 4;
    ASSERT_TRUE(FaultOf(identifying).has_value());
    EXPECT_EQ(FaultOf(identifying)->part, ClipPart::Tone);
}
