// `barsandtone check` end to end: files made with `export`, damaged with
// FFmpeg's own filters as chains damage them, each damage named by its kind
// and each clean file passing.

#include "RunProgram.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <cstdlib>
#include <stdexcept>

#include <unistd.h>

using btcli::test::Outcome;
using btcli::test::RunCommand;
using btcli::test::RunTool;
using nlohmann::json;

namespace {

namespace fs = std::filesystem;

// The clips the tests start from, all at 25 fps: their size and what else
// `new` is told.
const std::map<std::string, std::vector<std::string>> kClips = {
    {"hd.json", {"320x180"}},
    {"pq.json", {"320x180", "--seq-space", "pq"}},
    {"ebu.json", {"320x180", "--tone", "identify", "--identifier", "ebu1000"}},
    {"blits.json", {"320x180", "--channels", "5.1", "--identifier", "blits"}},
    {"ebu640.json", {"640x360", "--tone", "identify", "--identifier", "ebu1000"}},
    {"pq640.json", {"640x360", "--seq-space", "pq", "--tone", "identify", "--identifier", "ebu1000"}},
    {"sd.json", {"720x576", "--seq-space", "rec601", "--tone", "identify", "--identifier", "ebu1000"}},
    {"hd1080.json", {"1920x1080"}},
};
// The files exported from them (as FFV1 or ProRes): the clip and the seconds.
const std::map<std::string, std::pair<std::string, std::string>> kExports = {
    {"hd.mkv", {"hd.json", "1"}},       {"long.mkv", {"hd.json", "4"}},   {"pq.mov", {"pq.json", "1"}},
    {"ebu.mov", {"ebu.json", "4"}},     {"ebu-minute.mov", {"ebu.json", "60"}},
    {"blits.mkv", {"blits.json", "6"}}, {"hd1080.mov", {"hd1080.json", "1"}},
};

// Each file made when a test first asks for it (ctest runs every test in a
// process of its own).
class CheckCommand : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        sDir = fs::temp_directory_path() / ("bt-check-command-" + std::to_string(getpid()));
        fs::remove_all(sDir);
        fs::create_directories(sDir);
    }
    static void TearDownTestSuite() { fs::remove_all(sDir); }

    /// The path of one of the starting clips or files, made if need be.
    static std::string Made(const std::string& name)
    {
        if (fs::exists(Path(name)))
            return Path(name);
        if (const auto clip = kClips.find(name); clip != kClips.end()) {
            std::vector<std::string> args{"-q", "new", "-o", Path(name), "--seq-rate", "25", "--seq-size"};
            args.insert(args.end(), clip->second.begin(), clip->second.end());
            const Outcome o = RunTool(args);
            if (o.exitCode != 0)
                throw std::runtime_error("new failed: " + o.err);
        } else {
            Export(kExports.at(name).first, name, kExports.at(name).second);
        }
        return Path(name);
    }

    static std::string Path(const std::string& name) { return (sDir / name).string(); }

    static void Export(const std::string& clip, const std::string& name, const std::string& seconds,
                       std::vector<std::string> extra = {})
    {
        std::vector<std::string> args{"-q", "export", Made(clip), "-o", Path(name), "--duration", seconds};
        args.insert(args.end(), extra.begin(), extra.end());
        const Outcome o = RunTool(args);
        if (o.exitCode != 0)
            throw std::runtime_error("export failed: " + o.err);
    }

    /// ffmpeg -i `from` with these arguments, then `coding`'s, into `to`.
    static std::string Damage(const std::string& from, const std::string& to, std::vector<std::string> args,
                              const std::vector<std::string>& coding = {})
    {
        args.insert(args.begin(), {"ffmpeg", "-v", "error", "-y", "-i", Made(from)});
        args.insert(args.end(), coding.begin(), coding.end());
        args.push_back(Path(to));
        const Outcome o = RunCommand(args);
        if (o.exitCode != 0)
            throw std::runtime_error("ffmpeg failed: " + o.err);
        return to;
    }

    struct Verdict {
        int exitCode = -1;
        json report;
        std::string err;
    };
    static Verdict Check(const std::string& name, std::vector<std::string> extra = {})
    {
        const bool address = name.find("://") != std::string::npos;
        std::vector<std::string> args{"check", "--json",
                                      address || fs::exists(Path(name)) ? (address ? name : Path(name)) : Made(name)};
        args.insert(args.end(), extra.begin(), extra.end());
        const Outcome o = RunTool(args);
        Verdict v{o.exitCode, json(), o.err};
        if (!o.out.empty())
            v.report = json::parse(o.out);
        return v;
    }

    /// The kinds of every fault of a section.
    static std::set<std::string> Kinds(const json& report, const char* section)
    {
        std::set<std::string> kinds;
        for (const json& f : report.at(section).at("faults"))
            kinds.insert(f.at("kind").get<std::string>());
        return kinds;
    }

    static fs::path sDir;
};

fs::path CheckCommand::sDir;

TEST_F(CheckCommand, CleanFilesPass)
{
    struct Case {
        const char* file;
        const char* bars;
        const char* tone;
    };
    // (Every kind of file export writes passes in the export matrix, AAC's priming frame and all.)
    for (const Case& c : {Case{"hd.mkv", "rec709", "steady 1000.0 Hz at -12.04 dBFS"}, Case{"pq.mov", "pq", nullptr},
                          Case{"blits.mkv", "rec709", "BLITS (5.1)"}}) {
        SCOPED_TRACE(c.file);
        const Verdict v = Check(c.file);
        EXPECT_EQ(v.exitCode, 0) << v.report.dump(1);
        EXPECT_EQ(v.report.at("verdict"), "pass");
        EXPECT_EQ(v.report.at("picture").at("bars"), c.bars);
        if (c.tone != nullptr) {
            EXPECT_EQ(v.report.at("sound").at("tone"), c.tone);
        }
        for (const json& region : v.report.at("picture").at("regions"))
            EXPECT_LE(region.at("deviation").get<double>(), 4.0);
    }
    // The module's own level is one of the line-up levels known without the clip.
    const json sound = Check("hd.mkv").report.at("sound");
    EXPECT_EQ(sound.at("lineup").at("name"), "the module's default level");
    EXPECT_NEAR(sound.at("loudness").at("integrated_lufs").get<double>(), -12.04, 0.1);
    // Against its own clip too, and in words for a person with the regions marked.
    EXPECT_EQ(Check("blits.mkv", {"--clip", Made("blits.json")}).exitCode, 0);
    const Outcome text = RunTool({"check", Made("hd.mkv"), "--picture", Path("marks.png")});
    EXPECT_NE(text.out.find("Picture  Rec. 709 bars"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("Verdict  pass"), std::string::npos);
    EXPECT_GT(fs::file_size(Path("marks.png")), 1000u);
}

TEST_F(CheckCommand, PictureDamagesAreNamed)
{
    struct Case {
        const char* name;
        const char* from;
        std::vector<std::string> ffmpeg;
        const char* kind;
    };
    const std::vector<std::string> ffv1{"-c:v", "ffv1", "-pix_fmt", "yuv444p10le", "-an"};
    const Case cases[] = {
        {"expanded.mkv", "hd.mkv", {"-vf", "scale=in_range=tv:out_range=pc"}, "range"},
        {"squeezed.mkv", "hd.mkv", {"-vf", "scale=in_range=pc:out_range=tv"}, "range"},
        {"full-tag.mkv", "hd.mkv", {"-color_range", "pc"}, "range"},
        {"bt601.mkv", "hd.mkv", {"-vf", "colorspace=iall=bt709:space=bt470bg:trc=bt709:primaries=bt709:range=tv"},
         "matrix"},
        {"decoded-as-601.mkv", "hd.mkv", {"-vf", "colorspace=all=bt709:ispace=bt470bg"}, "matrix"},
        {"smpte-c-to-709.mkv", "hd.mkv", {"-vf", "colorspace=all=bt709:iprimaries=smpte170m"}, "gamut"},
        {"709-to-ebu.mkv", "hd.mkv", {"-vf", "colorspace=all=bt709:primaries=bt470bg:iall=bt709"}, "gamut"},
        {"pq-as-hlg.mkv", "pq.mov", {"-color_trc", "arib-std-b67"}, "transfer-tag"},
        {"pq-as-sdr.mkv", "pq.mov", {"-color_primaries", "bt709"}, "primaries-tag"},
        {"clipped.mkv", "pq.mov", {"-vf", "lutyuv=y=clip(val\\,64\\,940)"}, "clipping"},
        {"cropped.mkv", "hd.mkv", {"-vf", "crop=300:170:10:5,scale=320:180"}, "geometry"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Damage(c.from, c.name, c.ffmpeg, ffv1);
        const Verdict v = Check(c.name);
        EXPECT_EQ(v.exitCode, 1) << v.err;
        EXPECT_TRUE(Kinds(v.report, "picture").count(c.kind)) << v.report.at("picture").at("faults").dump(1);
    }
    // The bars are still found through every damage above; a smaller picture
    // is the bars too, but not the clip's size.
    Damage("hd.mkv", "small.mkv", {"-vf", "scale=256:144"}, ffv1);
    const Verdict small = Check("small.mkv", {"--clip", Made("hd.json")});
    EXPECT_EQ(small.report.at("picture").at("bars"), "rec709");
    EXPECT_TRUE(Kinds(small.report, "picture").count("size"));
}

TEST_F(CheckCommand, SoundDamagesAreNamed)
{
    struct Case {
        const char* name;
        const char* from;
        std::string filter;
        const char* kind;
    };
    const Case cases[] = {
        {"swapped.mov", "ebu.mov", "pan=stereo|c0=c1|c1=c0", "channel-order"},
        {"quieter.mov", "ebu.mov", "volume=-0.5dB", "level"},
        {"relabelled.mov", "ebu.mov", "asetrate=44100,aresample=48000", "frequency"},
        {"inverted.mov", "ebu.mov", "pan=stereo|c0=c0|c1=-1*c1", "polarity"},
        // A steady tone has no landmark in time: a file that starts half a
        // cycle late is not inverted, one channel against the other is.
        {"steady-inverted.mov", "hd.mkv", "atrim=start_sample=24,pan=stereo|c0=c0|c1=-1*c1", "polarity"},
        {"dropped.mov", "ebu.mov", "volume=enable='between(t,1.5,1.52)':volume=0", "dropout"},
        {"centre-lfe.mov", "blits.mkv", "pan=5.1|c0=c0|c1=c1|c2=c3|c3=c2|c4=c4|c5=c5", "channel-order"},
        {"no-ls.mov", "blits.mkv", "pan=5.1|c0=c0|c1=c1|c2=c2|c3=c3|c4=0*c4|c5=c5", "missing-channel"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Damage(c.from, c.name, {"-c:v", "copy", "-af", c.filter, "-c:a", "pcm_s24le"});
        const Verdict v = Check(c.name);
        EXPECT_EQ(v.exitCode, 1) << v.err;
        EXPECT_TRUE(Kinds(v.report, "sound").count(c.kind)) << v.report.at("sound").dump(1);
    }
    Damage("hd.mkv", "half-cycle-late.mov", {"-c:v", "copy", "-af", "atrim=start_sample=24", "-c:a", "pcm_s24le"});
    EXPECT_EQ(Check("half-cycle-late.mov").exitCode, 0);
}

TEST_F(CheckCommand, SoundDamagesAreFoundWithTheirTimes)
{
    auto fault = [](const json& report, const std::string& kind) {
        for (const json& f : report.at("sound").at("faults"))
            if (f.at("kind") == kind)
                return f;
        return json();
    };
    auto damage = [&](const char* from, const char* to, const std::string& filter) {
        return Damage(from, to, {"-c:v", "copy", "-af", filter, "-c:a", "pcm_s24le"});
    };

    // A fifth of a second of silence late in a minute (the filter acts on
    // whole frames of 1024 samples, so it ends a little after 40.2 s).
    damage("ebu-minute.mov", "late-dropout.mov", "volume=enable='between(t,40,40.2)':volume=0");
    const Verdict dropped = Check("late-dropout.mov");
    EXPECT_EQ(Kinds(dropped.report, "sound"), std::set<std::string>{"dropout"}) << dropped.report.at("sound").dump(1);
    const json drop = fault(dropped.report, "dropout");
    ASSERT_TRUE(drop.contains("time")) << drop.dump();
    EXPECT_NEAR(drop.at("time").at("start_seconds").get<double>(), 40.0, 0.001);
    EXPECT_NEAR(drop.at("time").at("end_seconds").get<double>(), 40.2, 0.022);

    // Sound three frames late against the picture: sync, not a drop-out.
    damage("ebu.mov", "late.mov", "adelay=120|120");
    const Verdict late = Check("late.mov");
    EXPECT_EQ(Kinds(late.report, "sound"), std::set<std::string>{"sync"});
    EXPECT_EQ(fault(late.report, "sync").at("sentence"), "sound 120 ms, 3 frames, late against the first picture");

    // A steady tone 21 dB down is a level fault with its gain, not a drop-out.
    damage("hd.mkv", "quiet.mov", "volume=-21dB");
    const Verdict quiet = Check("quiet.mov");
    EXPECT_EQ(Kinds(quiet.report, "sound"), std::set<std::string>{"level"});
    for (const json& channel : quiet.report.at("sound").at("channels"))
        EXPECT_NEAR(channel.at("gain_db").get<double>(), -21.0, 0.01);
}

TEST_F(CheckCommand, FileDamagesAreNamed)
{
    // Drop-frame counting at 25 fps, which has none, and not the clip's.
    Damage("hd.mkv", "drop-frame.mkv", {"-c", "copy", "-metadata", "timecode=01:00:00;00"});
    const Verdict dropFrame = Check("drop-frame.mkv", {"--clip", Made("hd.json")});
    EXPECT_EQ(dropFrame.report.at("file").at("timecode"), "01:00:00;00");
    EXPECT_EQ(Kinds(dropFrame.report, "file"), std::set<std::string>{"timecode"});
    Damage("hd.mkv", "hour.mkv", {"-c", "copy", "-metadata", "timecode=01:00:00:00"});
    EXPECT_EQ(Check("hour.mkv", {"--clip", Made("hd.json")}).exitCode, 0);

    // Sound cut short of the picture.
    Damage("hd.mkv", "short-sound.mov", {"-c:v", "copy", "-af", "atrim=0:0.5", "-c:a", "pcm_s24le"});
    EXPECT_TRUE(Kinds(Check("short-sound.mov").report, "file").count("duration"));
}

TEST_F(CheckCommand, ThePicturesOwnTimecodeIsFollowedAcrossAJoin)
{
    // Two halves of long.mkv as MPEG-2 in transport streams, each with the
    // timecode its groups carry, joined as they come by the concat demuxer.
    const std::vector<std::string> mpeg2{"-c:v", "mpeg2video", "-q:v", "2", "-g", "12", "-c:a", "mp2", "-f", "mpegts"};
    Damage("long.mkv", "first-half.ts", {"-t", "2", "-timecode", "10:00:00:00"}, mpeg2);
    Damage("long.mkv", "second-half.ts", {"-ss", "2", "-timecode", "11:00:00:00"}, mpeg2);
    std::ofstream(Path("halves.txt")) << "file '" << Path("first-half.ts") << "'\nfile '" << Path("second-half.ts")
                                      << "'\n";
    const Outcome joined = RunCommand({"ffmpeg", "-v", "error", "-y", "-f", "concat", "-safe", "0", "-i",
                                       Path("halves.txt"), "-c", "copy", Path("joined.ts")});
    ASSERT_EQ(joined.exitCode, 0) << joined.err;

    // The file starts where its first half's groups say; the join is its one break.
    const Verdict v = Check("joined.ts", {"--timecode", "10:00:00:00"});
    EXPECT_EQ(v.report.at("file").at("carried_timecode").at("start"), "10:00:00:00");
    std::vector<json> breaks;
    for (const json& f : v.report.at("file").at("faults"))
        if (f.at("kind") == "timecode")
            breaks.push_back(f);
    ASSERT_EQ(breaks.size(), 1u) << v.report.at("file").dump(1);
    EXPECT_EQ(breaks[0].at("sentence"),
              "frames 49\u201350, timecode jumps from 10:00:01:24 to 11:00:00:00, 89950 frames (59 min 58.00 s) ahead");
    EXPECT_EQ(breaks[0].at("time").at("first_frame"), 49);
}

TEST_F(CheckCommand, FilesThatAreNotBarsAndToneGetClearAnswers)
{
    // A picture that is not bars, with a sound that is not the tone.
    const Outcome made = RunCommand({"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=size=320x180:rate=25",
                                     "-f", "lavfi", "-i", "sine=frequency=440:beep_factor=4", "-t", "2", "-c:v", "ffv1",
                                     Path("other.mkv")});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const Verdict other = Check("other.mkv");
    EXPECT_EQ(other.exitCode, 1);
    EXPECT_EQ(other.report.at("picture").at("bars"), "none");
    // Other makers' HD bars are Rec. 709 bars, with their deviations.
    const Outcome smpte = RunCommand({"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "smptehdbars=size=320x180:rate=25",
                                      "-t", "0.2", "-c:v", "ffv1", "-pix_fmt", "yuv444p10le", Path("smpte.mkv")});
    ASSERT_EQ(smpte.exitCode, 0) << smpte.err;
    const Verdict bars = Check("smpte.mkv");
    EXPECT_EQ(bars.exitCode, 1);
    EXPECT_EQ(bars.report.at("picture").at("bars"), "rec709");
    EXPECT_FALSE(bars.report.at("picture").at("faults").empty());

    // Sound only, and picture only: the other side is absent, not a fault.
    ASSERT_EQ(RunTool({"-q", "tone", Made("ebu.json"), "-o", Path("ebu.wav"), "--duration", "4"}).exitCode, 0);
    const Verdict wav = Check("ebu.wav");
    EXPECT_EQ(wav.exitCode, 0) << wav.report.dump(1);
    EXPECT_FALSE(wav.report.at("picture").at("present").get<bool>());
    Damage("hd.mkv", "mute.mkv", {"-an", "-c:v", "copy"});
    const Verdict mute = Check("mute.mkv");
    EXPECT_EQ(mute.exitCode, 0);
    EXPECT_FALSE(mute.report.at("sound").at("present").get<bool>());

    // A still that keeps the signal (16-bit R'G'B' with its cICP chunk).
    ASSERT_EQ(RunTool({"-q", "frame", Made("hd.json"), "--signal", "-o", Path("signal.png")}).exitCode, 0);
    const Verdict still = Check("signal.png");
    EXPECT_EQ(still.exitCode, 0) << still.report.at("picture").dump(1);
    EXPECT_EQ(still.report.at("picture").at("bars"), "rec709");

    // Not a media file at all, or no file.
    std::ofstream(Path("junk.mov")) << "this is not a movie";
    EXPECT_EQ(RunTool({"check", Path("junk.mov")}).exitCode, 2);
    EXPECT_EQ(RunTool({"check", Path("missing.mov")}).exitCode, 2);
}

TEST_F(CheckCommand, EveryFormatExportWritesPassesItsClip)
{
    struct Case {
        const char* clip;
        const char* file;
        std::vector<std::string> options;
    };
    const Case cases[] = {
        {"ebu640.json", "ffv1.mkv", {}},
        {"ebu640.json", "proxy.mov", {"--profile", "proxy"}},
        {"ebu640.json", "lt.mov", {"--profile", "lt"}},
        {"ebu640.json", "422.mov", {"--profile", "422"}},
        {"ebu640.json", "hq.mov", {"--profile", "hq"}},
        {"ebu640.json", "4444.mov", {"--profile", "4444"}},
        {"ebu640.json", "4444xq.mov", {"--profile", "4444xq"}},
        {"ebu640.json", "dnxhr.mxf", {}},
        {"hd1080.json", "dnxhd.mxf", {"--profile", "dnxhd"}},
        {"ebu640.json", "h264.mp4", {}},
        {"ebu640.json", "stream.nut", {}},
        {"ebu640.json", "mono-tracks.mov", {"--audio-tracks", "mono"}},
        {"ebu640.json", "mono-tracks.mxf", {"--audio-tracks", "mono"}},
        {"ebu640.json", "pcm16.mkv", {"--pcm", "16"}},
        {"ebu640.json", "float-bff.mov", {"--pcm", "32f", "--field-order", "bff"}},
        {"sd.json", "sd-tff.mov", {"--field-order", "tff"}},
        {"sd.json", "sd.mp4", {}},
        {"pq640.json", "pq.mp4", {}},
        {"pq640.json", "pq-dnxhr.mxf", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Export(c.clip, c.file, "1", c.options);
        const Verdict v = Check(c.file, {"--clip", Made(c.clip)});
        EXPECT_EQ(v.exitCode, 0) << v.err << v.report.dump(1);
        EXPECT_TRUE(v.report.at("picture").at("every_frame").get<bool>());
        EXPECT_EQ(v.report.at("picture").at("pictures_read"), 25);
    }
    // Every channel of a file of mono tracks is read, as one programme.
    EXPECT_EQ(Check("mono-tracks.mxf").report.at("sound").at("channels").size(), 2u);

    // Clean files from other encoders: x264 4:2:0 with AAC, in MP4 and in a
    // transport stream with MPEG audio, and FFmpeg's DNxHR in MXF.
    Export("ebu640.json", "source.mov", "1");
    Damage("source.mov", "x264.mp4", {"-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:a", "aac"});
    Damage("source.mov", "x264.ts", {"-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:a", "mp2"});
    Damage("hd1080.mov", "ffmpeg-dnxhr.mxf", {"-c:v", "dnxhd", "-profile:v", "dnxhr_hq", "-pix_fmt", "yuv422p",
                                               "-c:a", "pcm_s16le"});
    for (const char* file : {"x264.mp4", "x264.ts"}) {
        SCOPED_TRACE(file);
        const Verdict v = Check(file, {"--clip", Made("ebu640.json")});
        EXPECT_EQ(v.exitCode, 0) << v.report.dump(1);
    }
    EXPECT_EQ(Check("ffmpeg-dnxhr.mxf").exitCode, 0);
}

TEST_F(CheckCommand, FaultsInTheMiddleAreFoundWithTheirKindAndTime)
{
    // long.mkv: 4 s, 100 frames at 25 fps.
    const std::vector<std::string> ffv1{"-c:v", "ffv1", "-pix_fmt", "yuv422p10le", "-c:a", "copy"};
    struct Case {
        const char* name;
        std::vector<std::string> ffmpeg;
        const char* pictureClass;
        int first, last;
    };
    const Case cases[] = {
        {"black-insert.mkv", {"-vf", "drawbox=enable='between(n,60,62)':c=black:t=fill"}, "black", 60, 62},
        {"other-insert.mkv",
         {"-filter_complex", "testsrc2=size=320x180:rate=25:duration=4[t];[0:v][t]overlay=enable='between(n,75,79)'"},
         "another picture", 75, 79},
        {"damaged-corner.mkv", {"-vf", "drawbox=enable='between(n,40,40)':x=0:y=0:w=60:h=60:c=red:t=fill"},
         "damaged", 40, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Damage("long.mkv", c.name, c.ffmpeg, ffv1);
        const Verdict v = Check(c.name);
        EXPECT_EQ(v.exitCode, 1);
        const json& faults = v.report.at("picture").at("faults");
        ASSERT_EQ(faults.size(), 1u) << faults.dump(1);
        EXPECT_EQ(faults[0].at("kind"), "picture");
        EXPECT_EQ(faults[0].at("class"), c.pictureClass);
        EXPECT_EQ(faults[0].at("time").at("first_frame"), c.first);
        EXPECT_EQ(faults[0].at("time").at("last_frame"), c.last);
    }

    // Black every fourth frame: twenty stretches listed, the other five counted.
    Damage("long.mkv", "flicker.mkv", {"-vf", "drawbox=enable='eq(mod(n,4),1)':c=black:t=fill"}, ffv1);
    const json flicker = Check("flicker.mkv").report.at("picture").at("faults");
    ASSERT_EQ(flicker.size(), 21u) << flicker.dump(1);
    EXPECT_EQ(flicker[20].at("sentence"), "and 5 more stretches depart from the bars, the last ending at frame 97, "
                                          "00:00:03:22");

    // The last 40% of the bytes cut off: the file ends early, though its header says 4 s.
    fs::copy_file(Made("long.mkv"), Path("cut.mkv"), fs::copy_options::overwrite_existing);
    fs::resize_file(Path("cut.mkv"), fs::file_size(Path("cut.mkv")) * 6 / 10);
    const Verdict cut = Check("cut.mkv");
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_TRUE(Kinds(cut.report, "file").count("truncated")) << cut.report.at("file").dump(1);
    EXPECT_LT(cut.report.at("file").at("read").at("picture_ends").get<double>(), 3.0);

    // A sampled check measures only the frames asked for.
    const Verdict sampled = Check("black-insert.mkv", {"--frames", "3"});
    EXPECT_EQ(sampled.report.at("picture").at("frames"), (std::vector<int>{0, 49, 99}));
    EXPECT_EQ(sampled.exitCode, 0);
}

TEST_F(CheckCommand, ManyFilesOneReportEachAndTheWorstVerdict)
{
    Damage("hd.mkv", "batch-black.mkv",
           {"-vf", "drawbox=enable='between(n,5,6)':c=black:t=fill", "-c:v", "ffv1", "-pix_fmt", "yuv422p10le"});
    std::ofstream(Path("batch-junk.mov")) << "not a movie";
    const Outcome o = RunTool({"check", "--json", Made("hd.mkv"), Path("batch-black.mkv"), Path("batch-junk.mov")});
    EXPECT_EQ(o.exitCode, 2);
    std::istringstream lines(o.out);
    std::vector<std::string> verdicts;
    for (std::string line; std::getline(lines, line);)
        verdicts.push_back(json::parse(line).at("verdict").get<std::string>());
    EXPECT_EQ(verdicts, (std::vector<std::string>{"pass", "fail"}));
    EXPECT_NE(o.err.find("batch-junk.mov"), std::string::npos);
    EXPECT_EQ(RunTool({"check", Made("hd.mkv"), Path("batch-black.mkv")}).exitCode, 1);
    // One marks picture cannot show several files.
    EXPECT_EQ(RunTool({"check", Made("hd.mkv"), Made("hd.mkv"), "--picture", Path("two.png")}).exitCode, 2);
}

TEST_F(CheckCommand, ALiveTransportStreamIsCheckedForItsDuration)
{
    // Sent in real time to this machine only, for a few seconds at most.
    Export("ebu640.json", "live-source.mov", "3");
    Damage("live-source.mov", "live.ts",
           {"-vf", "drawbox=enable='between(n,20,22)':c=black:t=fill", "-c:v", "libx264", "-pix_fmt", "yuv420p",
            "-c:a", "mp2", "-f", "mpegts"});
    const std::string address = "udp://127.0.0.1:" + std::to_string(20000 + getpid() % 20000);
    const std::string sender = "(sleep 0.5; timeout 10 ffmpeg -v error -re -i '" + Path("live.ts") +
                               "' -c copy -f mpegts '" + address + "?pkt_size=1316') >/dev/null 2>&1 &";
    ASSERT_EQ(std::system(sender.c_str()), 0);
    const Verdict v = Check(address + "?timeout=8000000", {"--duration", "2.5", "--clip", Made("ebu640.json")});
    EXPECT_EQ(v.exitCode, 1) << v.err;
    EXPECT_TRUE(v.report.at("file").at("read").at("stopped").get<bool>());
    const json& faults = v.report.at("picture").at("faults");
    ASSERT_EQ(faults.size(), 1u) << faults.dump(1);
    EXPECT_EQ(faults[0].at("class"), "black");
    EXPECT_EQ(faults[0].at("time").at("first_frame"), 20);
    // Told as it was found, before the report.
    EXPECT_NE(v.err.find("frames 20"), std::string::npos) << v.err;
}

} // namespace
