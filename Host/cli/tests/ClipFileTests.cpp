#include "ClipFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

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

    EXPECT_NE(ErrorOf("{not json").find("not JSON"), std::string::npos);
    EXPECT_NE(ErrorOf("[]").find("not a clip file"), std::string::npos);
    EXPECT_NE(ErrorOf(R"({"format": "something else"})").find("not a clip file"), std::string::npos);
    EXPECT_NE(ErrorOf(R"({"format": "barsandtone clip", "formatVersion": 9, "name": "n", "settings": ""})")
                  .find("version 9"),
              std::string::npos);
    EXPECT_NE(ErrorOf(R"({"format": "barsandtone clip", "formatVersion": 1, "settings": ""})").find("\"name\""),
              std::string::npos);
    EXPECT_NE(ErrorOf(WithSettings("\"02 00\"")).find("holds 2 bytes"), std::string::npos);
    EXPECT_NE(ErrorOf(WithSettings("\"02 0\"")).find("odd number"), std::string::npos);
    EXPECT_NE(ErrorOf(WithSettings("\"0g\"")).find("'g'"), std::string::npos);
    EXPECT_NE(ErrorOf(WithSettings("42")).find("hexadecimal"), std::string::npos);
    EXPECT_NE(ErrorOf(WithSettings(ok, R"(, "fileType": "MPEG")")).find("\"MPEG\""), std::string::npos);
    EXPECT_NE(ErrorOf(WithSettings(ok, R"(, "decoded": {"frameWidth": 1280})")).find("frameWidth says 1280"),
              std::string::npos);
    EXPECT_NE(ErrorOf(WithSettings(ok, R"(, "decoded": {"par": [1, 1]})")).find("par"), std::string::npos);
    EXPECT_NE(ErrorOf(WithSettings(ok, R"(, "decoded": {"colour": 1})")).find("\"colour\""), std::string::npos);
    EXPECT_EQ(ErrorOf(WithSettings(ok, R"(, "decoded": {"frameWidth": 1920, "amplitude": 0.25, "par": [40, 33]})")),
              "accepted");
}

TEST(ClipFile, NumbersBeyondADoubleAreRefusedAsNotJson)
{
    EXPECT_NE(ErrorOf(R"({"format": "barsandtone clip", "formatVersion": 1E888})").find("not JSON"), std::string::npos);
    EXPECT_NE(ErrorOf(WithSettings("\"02\"", R"(, "decoded": {"frameWidth": -1e400})")).find("not JSON"),
              std::string::npos);
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
