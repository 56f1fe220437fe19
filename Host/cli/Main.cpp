// barsandtone: a command-line host of the bars-and-tone module. It loads the
// module through its two exports, as an editing host does, and turns what the
// module makes into files: clip files, pictures, sound, finished movies.
//
// The command-line parser lives in this file only (it is slow to compile).

#include "ClipFile.h"
#include "CommandLineDocs.h"
#include "Commands.h"
#include "btmedia/OutputFile.h"
#include "btmedia/StopSignals.h"

#include "ImporterBarsAndTone/ColorSpaces.h"
#include "ImporterBarsAndTone/IdentifierFormats.h"

#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>

namespace {

using namespace btcli;

constexpr const char* kExitStatusHelp =
    "Exit status: 0 done; 1 failed while working (a file could not be written, the module refused);\n"
    "2 wrong request (a flag or value the command cannot take, an output that is an input, or that\n"
    "exists without -y); 3 cancelled (the dialog dismissed, an overwrite declined); 129, 130, 143\n"
    "stopped by SIGHUP, SIGINT, SIGTERM, the unfinished file removed. check answers for the file it\n"
    "checks: 0 it matches, 1 it does not, 2 it cannot be read (or a wrong request).";

// Validators in the tool's own words. CLI11's own print their bounds as raw
// numbers (the largest double, 300 digits of it) and know nothing of units.
std::optional<double> NumberIn(const std::string& text)
{
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != 0 || !std::isfinite(v))
        return std::nullopt;
    return v;
}

CLI::Validator Above0(const std::string& unit)
{
    return CLI::Validator(
        [unit](std::string& text) -> std::string {
            const auto v = NumberIn(text);
            return v && *v > 0 ? "" : "takes a number above 0, in " + unit + ", not \"" + text + "\"";
        },
        unit.empty() ? "NUMBER" : unit);
}

CLI::Validator AnyNumber(const std::string& unit)
{
    return CLI::Validator(
        [unit](std::string& text) -> std::string {
            return NumberIn(text) ? "" : "takes a number, in " + unit + ", not \"" + text + "\"";
        },
        unit);
}

CLI::Validator WholeBetween(long long lowest, long long highest, const std::string& unit)
{
    return CLI::Validator(
        [=](std::string& text) -> std::string {
            const auto v = NumberIn(text);
            if (v && *v == std::floor(*v) && *v >= static_cast<double>(lowest) && *v <= static_cast<double>(highest))
                return "";
            return "takes a whole number of " + unit + " from " + std::to_string(lowest) + " to " +
                   std::to_string(highest) + ", not \"" + text + "\"";
        },
        unit);
}

/// Whole counts up to this many: a year of samples at 192 kHz, and more
/// frames than any export needs; beyond, the host's time runs out anyway.
constexpr long long kMostCounted = 1LL << 42;

CLI::Validator Count(const std::string& unit)
{
    return CLI::Validator(
        [=](std::string& text) -> std::string {
            const auto v = NumberIn(text);
            if (!v || *v != std::floor(*v) || *v < 1)
                return "takes a whole number of " + unit + " above 0, not \"" + text + "\"";
            if (*v > static_cast<double>(kMostCounted))
                return "asks for more " + unit + " than the host's time holds";
            return "";
        },
        unit);
}

CLI::Validator Between(double lowest, double highest, const std::string& unit)
{
    return CLI::Validator(
        [=](std::string& text) -> std::string {
            const auto v = NumberIn(text);
            if (v && *v >= lowest && *v <= highest)
                return "";
            return "takes " + CLI::detail::to_string(lowest) + " to " + CLI::detail::to_string(highest) + " " +
                   unit + ", not \"" + text + "\"";
        },
        unit);
}

void AddRange(CLI::App* cmd, RangeOptions& r)
{
    auto* start = cmd->add_option("--start", r.startSeconds, "Start, in seconds from the clip's start (default 0)")
                      ->check(AnyNumber("seconds"));
    auto* startSample = cmd->add_option("--start-sample", r.startSample, "Start, as a sample index")
                            ->check(AnyNumber("samples"));
    start->excludes(startSample);
    auto* duration = cmd->add_option("-d,--duration", r.durationSeconds,
                                     "Length in seconds (default: the clip's sound, 5 s)")
                         ->check(Above0("seconds"));
    auto* count = cmd->add_option("--samples", r.sampleCount, "Length in samples")
                      ->check(Count("samples"));
    duration->excludes(count);
}

/// "rec601, rec709, ...": the tokens of a table's rows.
template <typename Rows>
std::string TokensOf(const Rows& rows)
{
    std::string list;
    for (const auto& row : rows)
        list += (list.empty() ? "" : ", ") + std::string(row.token);
    return list;
}

/// The flags that make a clip: the host's current sequence, then the user's
/// actions in the dialog. `new` has them; so have the commands that take a
/// clip, in place of the clip file. Returns them, to tell whether any was given.
std::vector<CLI::Option*> AddRecipe(CLI::App* cmd, ClipRecipe& recipe)
{
    std::vector<CLI::Option*> all;
    auto& seq = recipe.sequence;
    auto* seqGroup = cmd->add_option_group("Sequence", "The host's current sequence, which the clip starts from");
    all.push_back(seqGroup->add_option("--seq-size", seq.size, "Frame size, WxH")->capture_default_str());
    all.push_back(seqGroup->add_option("--seq-rate", seq.rate, "Frame rate, N or N/D frames per second")
                      ->capture_default_str());
    all.push_back(seqGroup->add_option("--seq-par", seq.par, "Pixel aspect ratio, N/D")->capture_default_str());
    all.push_back(seqGroup->add_option("--seq-audio-rate", seq.audioRate, "Audio sample rate, Hz")
                      ->capture_default_str()
                      ->check(Above0("Hz")));
    all.push_back(seqGroup->add_flag("--seq-drop-frame", seq.dropFrame, "The sequence counts drop-frame timecode"));
    all.push_back(seqGroup->add_option("--seq-space", seq.workingSpace,
                                       "Working colour space: rec709, hlg, pq, rec601, dci-p3, or a {GUID}")
                      ->capture_default_str());
    all.push_back(seqGroup->add_option("--locale", seq.locale,
                                       "Input locale for NTSC/PAL defaults, e.g. en_US or de_DE (default: the process's)"));
    auto& dlg = recipe.dialog;
    auto* dlgGroup = cmd->add_option_group("Dialog", "What to do in the dialog, in this order, then OK");
    all.push_back(dlgGroup->add_option("--preset", dlg.preset, "Preset, e.g. \"HD Rec.709\", \"UHD Rec.2100 PQ\", Custom"));
    all.push_back(dlgGroup->add_option("--size", dlg.size, "Frame size, WxH"));
    all.push_back(dlgGroup->add_option("--video-rate", dlg.videoRate, "Timebase, e.g. 25 or \"29.97 fps\""));
    all.push_back(dlgGroup->add_option("--par", dlg.par, "Pixel aspect ratio, e.g. 1.0 or \"D1/DV PAL(1.0940)\""));
    all.push_back(dlgGroup->add_option("--colour-space,--color-space", dlg.colourSpace,
                                       "Colour space: " + TokensOf(bt::kColorSpaces) + " or the dialog's text"));
    all.push_back(dlgGroup->add_option("--audio-rate", dlg.audioRate, "Audio sample rate, e.g. 48000"));
    all.push_back(dlgGroup->add_option("--tone", dlg.tone, "steady or identify")
                      ->check(CLI::IsMember({"steady", "identify"})));
    all.push_back(dlgGroup->add_option("--frequency", dlg.frequency, "Steady tone frequency, Hz"));
    all.push_back(dlgGroup->add_option("--amplitude", dlg.amplitude, "Steady tone level, dB (0 is full scale)"));
    all.push_back(dlgGroup->add_option("--identifier", dlg.identifier,
                                       "Channel identification: " + TokensOf(bt::kIdentifierFormats) + " or the dialog's text"));
    all.push_back(dlgGroup->add_option("--action", dlg.actions,
                                       "A raw action, after the ones above: choose:<id>=<item>, type:<id>=<number>, "
                                       "select:<id>, press:<id>"));
    auto* cancel = dlgGroup->add_flag("--cancel", dlg.cancel, "Press Cancel instead of OK (nothing is written)");
    auto* close = dlgGroup->add_flag("--close", dlg.close, "Close the window instead of pressing OK");
    cancel->excludes(close);
    all.push_back(cancel);
    all.push_back(close);
    all.push_back(dlgGroup->add_flag("--interactive", dlg.interactive,
                                     "Show the dialog in the terminal and let the user decide"));
    auto* recordGroup = cmd->add_option_group(
        "Stored record", "After the dialog, a host-side edit of the clip's stored record, as a host edits a clip it holds");
    all.push_back(recordGroup->add_option("--channels", recipe.channels,
                                          "5.1: six channels identifying themselves with --identifier blits or "
                                          "ebu51 (the dialog makes stereo clips)")
                      ->check(CLI::IsMember({"5.1"})));
    return all;
}

/// The clip argument of a command that takes one, or the recipe in its place.
struct ClipArgument {
    CLI::Option* file = nullptr;
    std::vector<CLI::Option*> recipe;

    /// A clip file and flags that would make a clip cannot both be meant.
    void Check(const ClipSource& source) const
    {
        if (source.file.empty())
            return;
        for (const CLI::Option* o : recipe)
            if (o->count() > 0)
                throw UsageError(o->get_name() + " makes a new clip, and the clip file " + source.file +
                                 " is given: leave out one or the other");
    }
};

ClipArgument AddClipArgument(CLI::App* cmd, ClipSource& source)
{
    ClipArgument a;
    a.file = cmd->add_option("clip", source.file,
                             "Clip file (default: a clip made on the way by the dialog flags, as `new` makes it)")
                 ->check(CLI::ExistingFile);
    a.recipe = AddRecipe(cmd, source.recipe);
    return a;
}

CLI::Option* AddOutput(CLI::App* cmd, std::string& output, const std::string& what)
{
    return cmd->add_option("-o,--output", output, what + "; - for standard output");
}

int Stopped(const btmedia::Stopped& e)
{
    std::string removed;
    for (const std::string& name : btmedia::TakeDiscardedOutputs())
        removed += (removed.empty() ? "; removed the unfinished '" : "', '") + name;
    std::cerr << "barsandtone: " << e.what() << (removed.empty() ? "" : removed + "'") << "\n";
    return kExitSignalBase + e.Signal();
}

} // namespace

int main(int argc, char** argv)
{
    btmedia::InstallStopSignals();

    CLI::App app{"barsandtone: makes bars-and-tone clips with the bars-and-tone importer module.\n"
                 "With no command it makes a default HD Rec. 709 clip with its 1000 Hz tone in out/:\n"
                 "the clip file, its picture, its sound and a few seconds of movie.",
                 "barsandtone"};
    app.get_formatter()->column_width(34);
    app.footer(kExitStatusHelp);
    // Options of the program (-q, -y, ...) are taken after a command's name too.
    app.fallthrough();
    app.set_version_flag("--version", std::string("barsandtone ") + BT_VERSION);
    app.failure_message([](const CLI::App*, const CLI::Error& e) {
        return std::string("barsandtone: ") + e.what() + "\nRun with --help for more information.\n";
    });
    CommonOptions common;
    app.add_option("--module", common.modulePath, "The module to load (default: the one installed with this program)")
        ->envname("BARSANDTONE_MODULE");
    app.add_flag("-q,--quiet", common.quiet, "Print nothing but errors and warnings");
    auto* yes = app.add_flag_callback(
        "-y,--overwrite", [&] { common.overwrite = btmedia::Overwrite::Always; }, "Overwrite existing output files");
    auto* no = app.add_flag_callback(
        "-n,--no-overwrite", [&] { common.overwrite = btmedia::Overwrite::Never; },
        "Never overwrite an existing output file (default: ask on a terminal, refuse otherwise)");
    yes->excludes(no);
    app.add_flag_callback("--progress", [&] { common.progress = true; },
                          "Show a progress bar (default: when standard error is a terminal)");
    app.add_flag_callback("--no-progress", [&] { common.progress = false; }, "Show no progress bar");
    std::string demoFolder = "out";
    app.add_option("--out-dir", demoFolder, "Folder for the default job")->capture_default_str();
    bool manPage = false;
    bool completion = false;
    app.add_flag("--help-man", manPage, "The manual page, as roff")->group("");
    app.add_flag("--help-completion", completion, "The bash completion script")->group("");

    // new
    NewOptions create;
    auto* newCmd = app.add_subcommand("new", "Create a clip file through the module's new-clip dialog");
    AddOutput(newCmd, create.output, "Clip file to write")->required();
    AddRecipe(newCmd, create.recipe);

    // describe
    DescribeOptions describe;
    auto* describeCmd = app.add_subcommand("describe", "Say what the module tells a host about a clip");
    describeCmd->add_option("clip", describe.clip, "Clip file")->required()->check(CLI::ExistingFile);
    describeCmd->add_flag("--json", describe.json, "Print JSON");
    describeCmd->add_flag("--raw", describe.raw,
                          "Also the clip's 72-byte settings record as the host stores it: its bytes and every field");

    // frame
    FrameOptions frame;
    auto* frameCmd = app.add_subcommand(
        "frame", "Write the clip's picture as PNG, TIFF or DPX (every frame of a clip is the same picture)");
    const ClipArgument frameClip = AddClipArgument(frameCmd, frame.clip);
    AddOutput(frameCmd, frame.output, "Picture to write: .png, .tif/.tiff (16-bit) or .dpx (10-bit)")->required();
    frameCmd->add_option("-f,--format", frame.format, "png, tiff or dpx (default: from the file name; PNG for -)");
    frameCmd->add_flag("--signal", frame.signal16,
                       "The signal in narrow range, every value the module paints (a 16-bit PNG with a cICP chunk "
                       "naming its colour, 16-bit TIFF, 10-bit DPX); default: a preview for any viewer");

    // tone
    ToneOptions tone;
    auto* toneCmd = app.add_subcommand("tone", "Write a stretch of the clip's sound as WAV, RF64, FLAC or AIFF");
    const ClipArgument toneClip = AddClipArgument(toneCmd, tone.clip);
    auto* toneOut = AddOutput(toneCmd, tone.output,
                              "Sound file to write: .wav (RF64 beyond 4 GiB), .rf64, .flac or .aif/.aiff");
    toneCmd->add_option("-f,--format", tone.format, "wav, rf64, flac or aiff (default: from the file name; FLAC for -)");
    toneCmd->add_option("--bits", tone.bits, "Samples: 16, 24 or 32f (default: 32f, FLAC 24)")
        ->check(CLI::IsMember({"16", "24", "32f"}));
    AddRange(toneCmd, tone.range);
    toneCmd->add_option("--request", tone.requestSize, "Samples per request to the module")
        ->capture_default_str()
        ->check(WholeBetween(1, 1 << 24, "samples"));
    auto* toneNull = toneCmd->add_flag("--null", tone.nullSink, "Request the sound and drop it (for timing)");
    toneOut->excludes(toneNull);

    // levels
    LevelsOptions levels;
    auto* levelsCmd = app.add_subcommand("levels", "Draw the clip's level overview as a waveform PNG");
    const ClipArgument levelsClip = AddClipArgument(levelsCmd, levels.clip);
    AddOutput(levelsCmd, levels.output, "PNG file to write")->required();
    AddRange(levelsCmd, levels.range);
    levelsCmd->add_option("--rate", levels.levelRate, "Level values per second (one pixel column each)")
        ->capture_default_str()
        ->check(Between(0.01, 192000.0, "values per second"));

    // export
    ExportOptions exporting;
    auto* exportCmd = app.add_subcommand("export", "Write a finished movie of the clip, picture and sound");
    exportCmd->footer(
        "Formats, chosen by the file name or --format (the two must agree):\n"
        "  .mkv  ffv1    FFV1 10-bit 4:4:4, FLAC (lossless)\n"
        "  .mov  prores  ProRes 422 HQ (or --profile), PCM, QuickTime timecode track\n"
        "  .mxf  dnxhr   MXF OP1a: DNxHR HQX 10-bit 4:2:2 (or --profile dnxhd at 1920x1080), PCM\n"
        "  .mp4  mp4     HEVC Main 10 for HLG and PQ (with HDR10 metadata), H.264 High for SDR; AAC\n"
        "  -     nut     ProRes (as .mov) and FLAC in NUT on standard output, for pipes:\n"
        "                barsandtone export clip.json -o - | ffplay -\n"
        "Each carries the clip's colour description, narrow range, channel layout and start timecode.");
    const ClipArgument exportClip = AddClipArgument(exportCmd, exporting.clip);
    auto* exportOut = AddOutput(exportCmd, exporting.output, "Movie file (.mkv .mov .mxf .mp4 .nut), NUT on a stream");
    exportCmd->add_option("-f,--format", exporting.format, "ffv1, prores, dnxhr, mp4, nut or null (default: from the file name)")
        ->check(CLI::IsMember({"ffv1", "prores", "dnxhr", "mp4", "nut", "null"}));
    auto* expDuration = exportCmd->add_option("-d,--duration", exporting.durationSeconds, "Length in seconds (default 5)");
    auto* expFrames = exportCmd->add_option("--frames", exporting.frames, "Length in frames");
    expDuration->excludes(expFrames);
    expDuration->check(Above0("seconds"));
    expFrames->check(Count("frames"));
    exportCmd->add_option("-j,--threads", exporting.threads, "Threads requesting pictures (default: one per core)")
        ->check(WholeBetween(1, 64, "threads"));
    exportCmd->add_option("--profile", exporting.profile,
                          "ProRes: proxy, lt, 422, hq (default), 4444, 4444xq; DNx: hqx (default), dnxhd");
    exportCmd->add_option("--timecode", exporting.timecode,
                          "Start timecode HH:MM:SS:FF (HH:MM:SS;FF for drop-frame, which follows the clip's "
                          "drop-frame flag at 29.97 and 59.94 fps)")
        ->capture_default_str();
    exportCmd->add_option("--field-order", exporting.fieldOrder,
                          "Interlaced: the same picture in both fields, flagged top or bottom field first")
        ->check(CLI::IsMember({"tff", "bff"}));
    exportCmd->add_option("--pcm", exporting.pcm, "Sound samples: 16, 24 (default) or 32f (float)")
        ->check(CLI::IsMember({"16", "24", "32f"}));
    exportCmd->add_option("--audio-tracks", exporting.audioTracks,
                          "multichannel: one track of all channels; mono: one track per channel")
        ->check(CLI::IsMember({"multichannel", "mono"}))
        ->capture_default_str();
    exportCmd->add_option("--mastering-max", exporting.masteringMax,
                          "PQ: the mastering display's peak, cd/m2 (default 1000)")->check(Above0("cd/m2"));
    exportCmd->add_option("--mastering-min", exporting.masteringMin,
                          "PQ: the mastering display's black, cd/m2 (default 0.0001)")->check(Above0("cd/m2"));
    exportCmd->add_flag("--no-sound", exporting.noSound, "Picture only");
    exportCmd->add_flag("--encode-every-frame", exporting.encodeEveryFrame,
                        "Encode each frame even where it repeats the one before (default: an intra-only codec's "
                        "packet is written again)");
    auto* exportNull = exportCmd->add_flag_callback(
        "--null", [&] { exporting.format = "null"; },
        "Request every picture and all sound, write nothing (for timing the module)");
    exportOut->excludes(exportNull);
    exportCmd->add_flag("--convert", exporting.nullConverts,
                        "With --null: also convert each picture to 10-bit Y'CbCr as a file export does")
        ->needs(exportNull);

    // check
    CheckOptions checking;
    auto* checkCmd = app.add_subcommand("check", "Say what a chain did to the bars and tone in a file (exit 0 pass, "
                                                 "1 fail, 2 unreadable or a wrong request)");
    // Not checked for existence here: a file that is not there is unreadable, 2.
    checkCmd->add_option("file", checking.file, "Movie, sound or picture file")->required();
    checkCmd->add_option("--clip", checking.clip, "Clip file the file should match")->check(CLI::ExistingFile);
    checkCmd->add_flag("--json", checking.json, "Print JSON");
    checkCmd->add_option("--frames", checking.frames, "Check only N pictures, spread from the first to the last (default: every picture)")
        ->capture_default_str()
        ->check(WholeBetween(1, 1000000, "pictures"));
    checkCmd->add_option("--picture", checking.picture, "PNG of the first picture with each region marked");
    checkCmd->add_option("--tolerance-codes", checking.pictureCodes,
                         "Picture tolerance in codes at 10 bits (scaled to the file's depth)")
        ->capture_default_str()
        ->check(Between(0.0, 65535.0, "codes"));
    checkCmd->add_option("--tolerance-pixels", checking.geometryPixels, "How far edges may move")
        ->capture_default_str()
        ->check(Between(0.0, 100000.0, "pixels"));
    checkCmd->add_option("--tolerance-db", checking.levelDb, "Tone level tolerance")
        ->capture_default_str()
        ->check(Between(0.0, 200.0, "dB"));
    checkCmd->add_option("--tolerance-hz", checking.frequencyHz, "Tone frequency tolerance")
        ->capture_default_str()
        ->check(Between(0.0, 100000.0, "Hz"));
    checkCmd->add_option("--sound-seconds", checking.soundSeconds, "Sound checked from the start")
        ->capture_default_str()
        ->check(Between(1.0, 3600.0, "seconds"));

    // inspect
    InspectOptions inspect;
    auto* inspectCmd = app.add_subcommand("inspect", "Describe the module: its description, file types, resources");
    inspectCmd->add_flag("--json", inspect.json, "Print JSON");

    app.require_subcommand(0, 1);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // --help and --version end here with 0; every other parse error is a
        // wrong request, whatever number CLI11 gives it.
        return app.exit(e) == 0 ? kExitDone : kExitUsage;
    }
    if (manPage) {
        std::cout << ManualPage(app, kExitStatusHelp);
        return kExitDone;
    }
    if (completion) {
        std::cout << BashCompletion(app);
        return kExitDone;
    }
    for (const std::string* output : {&create.output, &frame.output, &tone.output, &levels.output, &exporting.output})
        if (*output == "-")
            common.reportOnStandardError = true;
    exporting.progress = common.progress;

    try {
        if (*newCmd)
            return RunNew(common, create);
        if (*describeCmd)
            return RunDescribe(common, describe);
        if (*frameCmd) {
            frameClip.Check(frame.clip);
            return RunFrame(common, frame);
        }
        if (*toneCmd) {
            toneClip.Check(tone.clip);
            if (tone.output.empty() && !tone.nullSink)
                throw UsageError("tone needs --output FILE (.wav, .rf64, .flac, .aif) or --null");
            return RunTone(common, tone);
        }
        if (*levelsCmd) {
            levelsClip.Check(levels.clip);
            return RunLevels(common, levels);
        }
        if (*exportCmd) {
            exportClip.Check(exporting.clip);
            if (exporting.output.empty() && exporting.format != "null")
                throw UsageError("export needs --output FILE (.mkv .mov .mxf .mp4 .nut), - or --null");
            return RunExport(common, exporting);
        }
        if (*inspectCmd)
            return RunInspect(common, inspect);
        if (*checkCmd)
            return RunCheck(common, checking);
        return RunDemo(common, demoFolder);
    } catch (const btmedia::Stopped& e) {
        return Stopped(e);
    } catch (const btmedia::OutputRefused& e) {
        std::cerr << "barsandtone: " << e.what() << "\n";
        return e.Declined() ? kExitCancelled : kExitUsage;
    } catch (const UsageError& e) {
        std::cerr << "barsandtone: " << e.what() << "\nRun with --help for more information.\n";
        return kExitUsage;
    } catch (const ClipFileError& e) {
        std::cerr << "barsandtone: " << e.what() << "\n";
        return kExitUsage;
    } catch (const Cancelled& e) {
        std::cerr << "barsandtone: " << e.what() << "\n";
        return kExitCancelled;
    } catch (const std::exception& e) {
        // A failure that a stop signal caused (an interrupted write) is the stop.
        if (const int signal = btmedia::StopSignal(); signal != 0)
            return Stopped(btmedia::Stopped(signal));
        std::cerr << "barsandtone: error: " << e.what() << "\n";
        return kExitFailure;
    }
}
