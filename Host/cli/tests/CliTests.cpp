// The program as a user runs it, its files read back with FFmpeg and
// libsndfile against values worked out from the published tables and formulas.

#include "CliFixture.h"
#include "ClipFile.h"
#include "FileProbe.h"
#include "MovieProbe.h"
#include "RunProgram.h"
#include "ToolProbe.h"
#include "btmedia/Waveform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace btcli;
using btcli::test::Cli;
using btcli::test::RunTool;

namespace {

constexpr double kTwoPi = 6.283185307179586;

SettingsFields Fields(const std::string& clipPath) { return DecodeSettings(LoadClipFile(clipPath).settings); }

} // namespace

TEST_F(Cli, NewTakesAPresetByItsNameAndTheLocalesSizes)
{
    // The records are the module's; this shows the name and locale reach it.
    // "UHD Rec.709" holds the name of "HD Rec.709".
    struct Case {
        const char* preset;
        const char* locale;
        int value, height;
        const char* clipName;
    } cases[] = {
        {"SD Rec.601", "en_US.UTF-8", 2, 480, "Bars and Tone"},
        {"SD Rec.601", "de_DE.UTF-8", 2, 576, "Bars and Tone"},
        {"UHD Rec.709", "de_DE.UTF-8", 6, 2160, "Bars and Tone - Rec 709"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.preset) + " on " + c.locale);
        const ClipFile clip = LoadClipFile(New("preset.json", {"--preset", c.preset, "--locale", c.locale}));
        const SettingsFields f = DecodeSettings(clip.settings);
        EXPECT_EQ(f.preset, c.value);
        EXPECT_EQ(f.frameHeight, c.height);
        EXPECT_EQ(clip.name, c.clipName);
    }
}

TEST_F(Cli, NewTakesTheSequenceAndActsOnTheDialogLikeAUser)
{
    const SettingsFields uhd =
        Fields(New("uhd.json", {"--seq-size", "3840x2160", "--seq-rate", "50", "--seq-space", "pq"}));
    EXPECT_EQ(uhd.frameWidth, 3840);
    EXPECT_EQ(uhd.videoFrameRate, 5080320000);
    EXPECT_EQ(uhd.colorSpaceType, 3);

    const SettingsFields tone =
        Fields(New("tone.json", {"--tone", "steady", "--frequency", "440", "--amplitude", "-20"}));
    EXPECT_EQ(tone.frequency, 440.0f);
    EXPECT_EQ(tone.amplitude, 0.1f);

    const SettingsFields ident = Fields(New("ident.json", {"--tone", "identify", "--identifier", "ebu400"}));
    EXPECT_EQ(ident.identifyChannels, 1);
    EXPECT_EQ(ident.identifierFormat, 1);

    const SettingsFields sd = Fields(New("sd.json", {"--colour-space", "rec601", "--size", "720x486", "--video-rate",
                                                     "23.976", "--audio-rate", "44100", "--locale", "en_US"}));
    EXPECT_EQ(sd.colorSpaceType, 0);
    EXPECT_EQ(sd.frameHeight, 486);
    EXPECT_EQ(sd.videoFrameRate, 10594584000);
    EXPECT_EQ(sd.audioFrameRate, 44100.0f);
}

TEST_F(Cli, DescribeReportsWhatTheModuleSays)
{
    const std::string clip = New("hlg.json", {"--preset", "HD Rec.2100 HLG", "--locale", "en_US"});
    const auto o = RunTool({"describe", "--json", clip});
    ASSERT_EQ(o.exitCode, 0) << o.err;
    // Plain text search keeps the JSON library out of the tests.
    for (const char* expected : {"\"width\": 1920", "\"height\": 1080", "\"audioSamples\": 240000",
                                 "\"primaries\": 9", "\"transfer\": 18", "\"matrix\": 9", "\"code\": 930633046"})
        EXPECT_NE(o.out.find(expected), std::string::npos) << expected << " in " << o.out;
    // For people: rates, formats and flags by name, no codes.
    const auto text = RunTool({"describe", clip});
    for (const char* expected : {"Frame rate      29.97 fps\n", "Pixel format    32-bit float V, U, Y, A\n",
                                 "BT.2020 primaries, HLG, ARIB STD-B67 transfer",
                                 "Coding          32-bit float, Y'CbCr, narrow range\n"})
        EXPECT_NE(text.out.find(expected), std::string::npos) << expected << " in " << text.out;
    for (const char* code : {"0x", "ticks", "Settings record"})
        EXPECT_EQ(text.out.find(code), std::string::npos) << code << " is for --raw: " << text.out;

    // --raw: the record as stored, version 2 little-endian first, and its
    // fields, HD Rec.2100 HLG being preset 4 in colour space 2.
    const auto raw = RunTool({"describe", "--raw", clip});
    for (const char* expected : {"Settings record 72 bytes", "\n   0  02 00 00 00 ", "\n  48  ",
                                 "frame 1920 x 1080", "colour space type 2, preset 4", "pixel format 0x37785556",
                                 "encoding depth 160, flags 1 1"})
        EXPECT_NE(raw.out.find(expected), std::string::npos) << expected << " in " << raw.out;
    const auto rawJson = RunTool({"describe", "--raw", "--json", clip});
    EXPECT_NE(rawJson.out.find("\"settingsRecord\": [\n    \"02 00 00 00"), std::string::npos) << rawJson.out;
}

TEST_F(Cli, ToneWritesAnyStretchOfTheSound)
{
    const std::string clip = New("hd.json", {});
    const auto o = RunTool({"tone", clip, "-o", Path("t.wav"), "--start", "1", "--duration", "0.5", "--request", "333"});
    ASSERT_EQ(o.exitCode, 0) << o.err;
    const auto sound = btmedia::probe::ReadSound(Path("t.wav"));
    const std::vector<float>& s = sound.interleaved;
    ASSERT_EQ(sound.channels, 2);
    ASSERT_EQ(sound.rate, 48000);
    ASSERT_EQ(s.size(), 2u * 24000u);
    for (std::size_t i : {0u, 1u, 332u, 333u, 12345u, 23999u}) {
        const double expected = 0.25 * std::sin(kTwoPi * 1000.0 * static_cast<double>(48000 + i) / 48000.0);
        EXPECT_NEAR(s[2 * i], expected, 1e-5) << i;
        EXPECT_NEAR(s[2 * i + 1], expected, 1e-5) << i;
    }
}

TEST_F(Cli, LevelsShowTheToneOnTheAbsoluteScale)
{
    // A -60 dB tone: 12 pixels either side of each lane's centre line.
    ASSERT_EQ(RunTool({"levels", "-o", Path("l.png"), "--amplitude", "-60", "--duration", "2", "--rate", "50"}).exitCode,
              0);
    const btcheck::CodePicture png = btmedia::probe::ReadMovie(Path("l.png")).frames.at(0);
    EXPECT_EQ(png.width, btmedia::kWaveformLeft + 100 + btmedia::kWaveformRight);
    const int centre = btmedia::kWaveformTop + btmedia::kWaveformLaneHalf;
    auto at = [&](int y) {
        const int x = btmedia::kWaveformLeft + 10;
        return std::array<int, 3>{png.At(0, x, y), png.At(1, x, y), png.At(2, x, y)};
    };
    EXPECT_EQ(at(centre - 12), at(centre));
    EXPECT_EQ(at(centre + 12), at(centre));
    EXPECT_NE(at(centre - 13), at(centre));
}

TEST_F(Cli, ExportFfv1KeepsTheHdrSignalExactWithItsColourTags)
{
    const std::string clip = New("pq.json", {"--seq-size", "320x180", "--seq-rate", "25", "--seq-space", "pq"});
    const btmedia::probe::Movie m = Export(clip, "pq.mkv", {"--duration", "2", "--threads", "2"});
    EXPECT_EQ(m.ColourTags(), (std::array{9, 16, 9, 1}));
    EXPECT_NEAR(m.durationSeconds, 2.0, 0.05);
    ASSERT_EQ(m.frames.size(), 1u);
    const auto& p = m.frames[0];
    // Stair steps of band C (rows 105 to 119): below black, 1.0 and 1.09.
    EXPECT_EQ(p.At(0, 50, 110), 4);    // 64 + 876 × -0.06849342
    EXPECT_EQ(p.At(0, 250, 110), 940); // 1.0
    EXPECT_EQ(p.At(0, 270, 110), 1019); // 64 + 876 × 1.0901852
    EXPECT_EQ(p.At(1, 250, 110), 512);
    EXPECT_EQ(m.layout, "stereo");
    ASSERT_EQ(m.samples.size(), 2u);
    ASSERT_EQ(m.samples[0].size(), 96000u);
    for (std::size_t k : {0u, 4607u, 4608u, 95999u})
        EXPECT_NEAR(m.samples[1][k], 0.25 * std::sin(kTwoPi * 1000.0 * static_cast<double>(k) / 48000.0), 1e-5);
    // Both tracks are default tracks, which players pick without asking.
    const auto probe = btmedia::probe::Ffprobe(Path("pq.mkv"));
    for (const auto& stream : probe.at("streams"))
        EXPECT_EQ(stream.at("disposition").value("default", 0), 1) << stream.value("codec_type", "");
}

TEST_F(Cli, ExportDeclaresFiveOneInTheFileOrder)
{
    // The dialog makes stereo clips; --channels stores six channels after it.
    // BLITS sounds the host's centre (channel 4) from 1.6 s: the file's third.
    const std::string clip =
        New("blits.json", {"--seq-size", "320x180", "--seq-rate", "25", "--channels", "5.1", "--identifier", "blits"});
    const btmedia::probe::Movie m = Export(clip, "blits.mov", {"--duration", "2"});
    EXPECT_EQ(m.layout, "5.1");
    ASSERT_EQ(m.samples.size(), 6u);
    const auto peak = [&](std::size_t channel, double from, double to) {
        const auto at = [&](double seconds) { return m.samples[channel].begin() + std::lround(seconds * 48000); };
        return *std::max_element(at(from), at(to));
    };
    EXPECT_NEAR(peak(2, 1.65, 1.95), 0.125, 0.005);
    EXPECT_EQ(peak(2, 0.0, 1.55), 0.0f);
}

TEST_F(Cli, ExportTakesTheFormatFromTheExtensionInAnyCase)
{
    // (A --format that contradicts the name is one of the refusals in RequestTests.)
    const std::string clip = New("hd.json", {"--seq-size", "320x180", "--seq-rate", "25"});
    // A picture-only export says so.
    const auto o = RunTool({"export", clip, "-o", Path("A.MOV"), "--frames", "2", "--no-sound"});
    ASSERT_EQ(o.exitCode, 0) << o.err;
    EXPECT_NE(o.out.find("no sound"), std::string::npos) << o.out;
    EXPECT_EQ(o.out.find("PCM"), std::string::npos) << o.out;
    const auto probe = btmedia::probe::Ffprobe(Path("A.MOV"));
    EXPECT_EQ(probe.at("streams").size(), 2u); // the picture and its timecode
    EXPECT_EQ(probe.at("streams").at(0).value("codec_name", ""), "prores");
}

TEST_F(Cli, ExportMxfCarriesRec709BarsAndTheTimecodeAsked)
{
    const std::string clip = New("hd.json", {"--seq-size", "320x180", "--seq-rate", "25"});
    const btmedia::probe::Movie m = Export(clip, "hd.mxf", {"--frames", "5", "--timecode", "01:00:00:00"});
    EXPECT_EQ(m.videoCodec, "dnxhd");
    EXPECT_EQ(m.ColourTags(), (std::array{1, 1, 1, 1}));
    EXPECT_NEAR(m.frames.at(0).At(0, 10, 50), 416, 2); // 40% grey, studio 104
    EXPECT_NEAR(m.frames.at(0).At(0, 55, 50), 720, 2); // 75% white, studio 180
    EXPECT_EQ(btmedia::probe::Ffprobe(Path("hd.mxf")).at("format").at("tags").value("timecode", ""), "01:00:00:00");
}

TEST_F(Cli, ExportToStandardOutputIsNutForPipes)
{
    // What the NUT stream holds is the movie writer's (its delivery tests).
    const std::string clip = New("hd.json", {"--seq-size", "320x180", "--seq-rate", "25"});
    const auto o = RunTool({"export", clip, "-o", "-", "--frames", "5"});
    ASSERT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.out.rfind("nut/multimedia container", 0), 0u) << "nothing before the movie";
    EXPECT_NE(o.err.find("standard output"), std::string::npos) << "the report goes beside the movie";
}

TEST_F(Cli, NullSinkTimesWithoutWriting)
{
    const std::string clip = New("hd.json", {"--seq-size", "320x180"});
    const auto o = RunTool({"export", clip, "--null", "--frames", "30"});
    ASSERT_EQ(o.exitCode, 0) << o.err;
    EXPECT_NE(o.out.find("frames per second"), std::string::npos);
    const auto t = RunTool({"tone", clip, "--null", "--duration", "10"});
    ASSERT_EQ(t.exitCode, 0) << t.err;
    EXPECT_NE(t.out.find("samples per second per channel"), std::string::npos);
    EXPECT_EQ(FilesLeft(), 1u);
}
