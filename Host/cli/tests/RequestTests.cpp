// What the program says to what a user asks: one exit status for each kind
// of outcome, messages in the user's own flags, the dialog's adjustments
// told, file names that choose formats, and a clip made on the way.

#include "CliFixture.h"
#include "ClipFile.h"
#include "FileProbe.h"

#include <sndfile.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <regex>

using btcli::test::RunOptions;
using btcli::test::RunTool;

namespace {

using Requests = btcli::test::Cli;

TEST_F(Requests, EachOutcomeHasItsExitStatusAndAPlainMessage)
{
    const std::string clip = New("hd.json", {"--seq-size", "320x180", "--seq-rate", "25"});
    const std::string pq = New("pq.json", {"--seq-size", "320x180", "--seq-rate", "25", "--seq-space", "pq"});
    std::ofstream(Path("short.json")) << R"({"format": "barsandtone clip", "formatVersion": 1, "name": "x",
        "settings": "02 00 00"})";
    const std::string newClip = Path("no.json");
    struct Case {
        std::vector<std::string> args;
        int exitCode; // 2 for a wrong request, 1 when the work itself failed
        const char* says; // in standard output or error
    } cases[] = {
        {{"--version"}, 0, "barsandtone 1.0.0"},
        {{"tone", "--help"}, 0, "Exit status"},
        {{"tone", clip, "-o", Path("t.wav"), "--duration", "0.1", "-q"}, 0, ""}, // -q after the command
        {{"frobnicate"}, 2, "'frobnicate' is not a command; the commands are new describe"},
        {{"describe", Path("missing.json")}, 2, "missing.json"},
        {{"describe", Path("short.json")}, 2, "holds 3 bytes"},
        {{"frame", clip}, 2, "--output is required"},
        {{"tone", clip, "-o", Path("t2.wav"), "--duration", "-1"}, 2, "--duration: takes a number above 0"},
        {{"tone", clip, "-o", Path("t2.wav"), "--start", "1e30"}, 2, "beyond the host's time"},
        {{"tone", clip, "-o", Path("t2.wav"), "--request", "0"}, 2, "from 1 to 16777216"},
        {{"export", clip, "-o", Path("x.mkv"), "--frames", "0"}, 2, "--frames"},
        {{"export", clip, "-o", Path("x.avi")}, 2, "x.avi' names none of them"},
        {{"export", clip, "-f", "prores", "-o", Path("a.mkv")}, 2, "--format prores"},
        {{"export", clip, "-f", "mp4", "-o", "-"}, 2, "standard output carries Matroska, NUT, MPEG-TS or FLV"},
        {{"export", clip, "-f", "null", "-o", Path("n.mov")}, 2, "--format null writes no file"},
        {{"export", clip, "-o", Path("x.mxf"), "--timecode", "01:00:00;00"}, 2, "drop-frame"},
        // Content light levels: 16 bits each, the average within the brightest, for PQ only.
        {{"export", pq, "-o", Path("x.mp4"), "--max-cll", "65536"}, 2, "--max-cll: takes a whole number"},
        {{"export", pq, "-o", Path("x.mp4"), "--max-cll", "400", "--max-fall", "401"}, 2, "cannot pass its brightest"},
        {{"export", clip, "-o", Path("x.mp4"), "--max-cll", "400"}, 2, "describe PQ clips only"},
        {{"export", clip, "-o", Path("no-folder/x.mkv")}, 1, "no-folder"},
        {{"frame", clip, "-o", Path("p.png"), "--preset", "HD Rec.709"}, 2, "leave out one or the other"},
        {{"new", "-o", newClip, "--tone", "identify", "--frequency", "440"}, 2,
         "--frequency 440: the dialog's \"Tone Frequency\" is disabled"},
        {{"new", "-o", newClip, "--preset", "HD Rec.999"}, 2, "HD Rec.999"},
        {{"new", "-o", newClip, "--seq-size", "wide"}, 2, "1920x1080"},
        {{"new", "-o", newClip, "--seq-size", "100000x100000"}, 2, "--seq-size"},
        {{"new", "-o", newClip, "--seq-space", "rec2020"}, 2, "rec2020"},
        {{"new", "-o", newClip, "--tone", "loud"}, 2, "loud"},
        {{"new", "-o", newClip, "--frequency", "0"}, 2, "--frequency"},
        {{"new", "-o", newClip, "--frequency", "nan"}, 2, "--frequency"},
        {{"new", "-o", newClip, "--amplitude", "loud"}, 2, "--amplitude"},
        {{"new", "-o", newClip, "--size", "0x480"}, 2, "--size"},
        {{"new", "-o", newClip, "--interactive"}, 2, "standard input is not a terminal"},
        {{"new", "-o", newClip, "--preset", "HD Rec.709", "--cancel"}, 3, "cancelled: the dialog was cancelled"},
        {{"new", "-o", newClip, "--preset", "HD Rec.709", "--close"}, 3, "cancelled: the dialog was closed"},
        // The sizes a clip may have, from either side (the dialog holds its own to them).
        {{"new", "-o", Path("least.json"), "--seq-size", "24x24"}, 0, ""},
        {{"new", "-o", Path("most.json"), "--seq-size", "16384x8192"}, 0, ""},
        {{"new", "-o", newClip, "--seq-size", "16384x8193"}, 2,
         "--seq-size 16384x8193 makes a clip that cannot be used: its picture is 16384 x 8193 pixels, and a clip's is "
         "from 24 x 24 to 16384 x 8192"},
        {{"new", "-o", newClip, "--seq-size", "23x24"}, 2, "its picture is 23 x 24 pixels"},
        // A file name or --format that names no format the command writes.
        {{"tone", clip, "-o", Path("t.mp3")}, 2, "t.mp3"},
        {{"frame", clip, "-o", Path("f.jpg")}, 2, "f.jpg"},
        {{"tone", clip, "-o", Path("t3.wav"), "-f", "flac"}, 2, "t3.wav"},
        {{"tone", clip, "-o", Path("t.flac"), "--bits", "32f"}, 2, "t.flac"},
        {{"levels", clip, "-o", Path("l.tiff")}, 2, "l.tiff"},
        // What a live link cannot carry.
        {{"export", clip, "-o", "udp://127.0.0.1:9", "-f", "ts"}, 2, "send to it with play"},
        {{"play", clip, "-o", "rtmp://127.0.0.1:9/live/bars", "-f", "ts"}, 2, "which carries FLV only"},
        {{"play", clip, "-o", "udp://127.0.0.1:9", "-f", "mp4"}, 2, "cannot be sent to udp://127.0.0.1:9"},
        {{"play", clip, "-o", "udp://127.0.0.1:9", "--audio-codec", "flac"}, 2, "MPEG-TS carries"},
        {{"play", clip, "-o", "udp://127.0.0.1:9", "--profile", "xdcam"}, 2, "1920 x 1080 and 1280 x 720"},
        {{"--module", Path("nowhere.cvm"), "inspect"}, 1, "no module at"},
    };
    for (const Case& c : cases) {
        const auto o = RunTool(c.args);
        const std::string all = o.out + o.err;
        EXPECT_EQ(o.exitCode, c.exitCode) << c.args[0] << " " << c.args.back() << ": " << all;
        EXPECT_NE(all.find(c.says), std::string::npos) << "expected '" << c.says << "' in: " << all;
        // Never a control's name, never a number of more digits than a person reads.
        EXPECT_EQ(all.find("HotText"), std::string::npos) << all;
        EXPECT_FALSE(std::regex_search(all, std::regex("[0-9]{20}"))) << all;
    }
    EXPECT_EQ(FilesLeft(), 6u); // the clips, the short one and t.wav
}

TEST_F(Requests, AClipThatCannotBeUsedIsRefusedAlikeByEveryCommand)
{
    // A hand edit that leaves the file well formed: a height no picture has.
    btcli::ClipFile clip = btcli::LoadClipFile(New("hd.json", {}));
    const std::int32_t height = -16776136;
    std::memcpy(clip.settings.data() + 36, &height, sizeof height);
    const std::string bad = Path("bad.json");
    std::ofstream(bad) << btcli::FormatClipFile(clip);

    const std::vector<std::vector<std::string>> commands = {
        {"describe", bad},
        {"frame", bad, "-o", Path("p.png")},
        {"tone", bad, "-o", Path("t.wav")},
        {"levels", bad, "-o", Path("l.png")},
        {"export", bad, "-o", Path("m.mkv")},
        {"check", Path("hd.json"), "--clip", bad},
    };
    for (const auto& args : commands) {
        const auto o = RunTool(args);
        EXPECT_EQ(o.exitCode, 2) << args[0];
        EXPECT_EQ(o.err, "barsandtone: " + bad +
                             ": the clip cannot be used: its picture is 1920 x -16776136 pixels, and a clip's is "
                             "from 24 x 24 to 16384 x 8192\n")
            << args[0];
    }
    EXPECT_EQ(FilesLeft(), 2u);
}

TEST_F(Requests, TheDialogsAdjustmentsAreTold)
{
    const auto o = RunTool({"new", "-o", Path("held.json"), "--frequency", "1000000000", "--size", "99999x99999",
                            "--amplitude", "20"});
    ASSERT_EQ(o.exitCode, 0) << o.err;
    for (const char* told : {"--frequency 1000000000 was held to 24000 Hz, the highest the dialog allows at 48000 Hz",
                             "--size 99999x99999: the width was held to 16384",
                             "--size 99999x99999: the height was held to 8192", "--amplitude 20 was held to 0 dB"})
        EXPECT_NE(o.err.find(told), std::string::npos) << told << " in " << o.err;
    const auto f = btcli::DecodeSettings(btcli::LoadClipFile(Path("held.json")).settings);
    EXPECT_EQ(f.frequency, 24000.0f);
    EXPECT_EQ(f.frameWidth, 16384);
}

TEST_F(Requests, FileNamesChooseTheFormat)
{
    const std::string clip = New("hd.json", {"--seq-size", "320x180"});
    struct Sound {
        const char* name;
        std::vector<std::string> extra;
        int format; // as libsndfile reads it back, container and samples
    } sounds[] = {
        {"t.wav", {}, SF_FORMAT_WAVEX | SF_FORMAT_FLOAT}, // small: RF64's own switch keeps it WAV
        {"t.flac", {}, SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
        {"t.Aiff", {"--bits", "16"}, SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
    };
    for (const Sound& s : sounds) {
        std::vector<std::string> args{"tone", clip, "-o", Path(s.name), "--duration", "0.5"};
        args.insert(args.end(), s.extra.begin(), s.extra.end());
        const auto o = RunTool(args);
        ASSERT_EQ(o.exitCode, 0) << o.err;
        const auto back = btmedia::probe::ReadSound(Path(s.name));
        EXPECT_EQ(back.format, s.format) << s.name;
        // 1000 Hz at 0.25 from sample 0.
        EXPECT_NEAR(back.interleaved[2 * 12], 0.25 * std::sin(6.283185307179586 * 1000.0 * 12 / 48000), 1e-4);
    }

    // The 75% white bar (studio 180): 0.749 of full scale in a preview, 180
    // scaled from 8 bits in the narrow-range signal.
    struct Picture {
        const char* name;
        bool signal;
        const char* codec;
        int white; // any of the three components
    } pictures[] = {
        {"p.png", false, "png", 191},
        {"s.png", true, "png", 46080},
        {"f.TIF", false, "tiff", 49077},
        {"s.dpx", true, "dpx", 720},
    };
    for (const Picture& p : pictures) {
        std::vector<std::string> args{"frame", clip, "-o", Path(p.name)};
        if (p.signal)
            args.push_back("--signal");
        const auto o = RunTool(args);
        ASSERT_EQ(o.exitCode, 0) << o.err;
        const auto image = btmedia::probe::ReadMovie(Path(p.name));
        EXPECT_EQ(image.videoCodec, p.codec);
        ASSERT_EQ(image.frames.size(), 1u);
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(image.frames[0].At(c, 55, 50), p.white, 1) << p.name << " component " << c;
    }
    // The signal says its coding in a cICP chunk; a preview, shown as it is, has none.
    EXPECT_EQ(btmedia::probe::ReadPngChunks(Path("s.png")).at(1).data, (std::vector<std::uint8_t>{1, 1, 0, 0}));
    EXPECT_EQ(btmedia::probe::ReadPngChunks(Path("p.png")).at(1).type, "IDAT");
}

TEST_F(Requests, ACommandMakesItsClipOnTheWay)
{
    auto o = RunTool({"frame", "-o", Path("pq.png"), "--signal", "--preset", "HD Rec.2100 PQ", "--size", "320x180"});
    ASSERT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(btmedia::probe::ReadPngChunks(Path("pq.png")).at(1).data, (std::vector<std::uint8_t>{9, 16, 0, 0}));

    o = RunTool({"tone", "-o", Path("a.wav"), "--frequency", "440", "--amplitude", "-6", "--duration", "0.25"});
    ASSERT_EQ(o.exitCode, 0) << o.err;
    const auto sound = btmedia::probe::ReadSound(Path("a.wav"));
    const double gain = std::pow(10.0, -6.0 / 20.0);
    EXPECT_NEAR(sound.interleaved[2 * 30], gain * std::sin(6.283185307179586 * 440.0 * 30 / 48000), 1e-5);

    o = RunTool({"tone", "-o", Path("b.wav"), "--cancel"});
    EXPECT_EQ(o.exitCode, 3);
    EXPECT_EQ(FilesLeft(), 2u);
}

TEST_F(Requests, TheProgressBarShowsOnATerminalOnly)
{
    const std::string clip = New("hd.json", {"--seq-size", "320x180"});
    RunOptions terminal;
    terminal.terminal = true;
    auto o = RunTool({"tone", clip, "-o", Path("t.wav"), "--duration", "60"}, terminal);
    ASSERT_EQ(o.exitCode, 0) << o.out;
    EXPECT_NE(o.out.find("] 100%"), std::string::npos) << o.out;
    o = RunTool({"tone", clip, "-o", Path("t.wav"), "--duration", "60", "-y"});
    ASSERT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.err.find("%"), std::string::npos) << o.err;
    o = RunTool({"export", clip, "-o", Path("e.mkv"), "--frames", "3", "--progress"});
    ASSERT_EQ(o.exitCode, 0) << o.err;
    EXPECT_NE(o.err.find("] 100%"), std::string::npos) << o.err;
}

} // namespace
