// barsandtone: a command-line host of the bars-and-tone module. It loads the
// module through its two exports, as an editing host does, and turns what the
// module makes into files: clip files, pictures, sound, finished movies.
//
// The command-line parser lives in this file only (it is slow to compile).

#include "Commands.h"

#include "ImporterBarsAndTone/ColorSpaces.h"

#include <CLI/CLI.hpp>

#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitCancelled = 3;

void AddRange(CLI::App* cmd, btcli::RangeOptions& r)
{
    auto* start = cmd->add_option("--start", r.startSeconds, "Start, in seconds from the clip's start (default 0)");
    auto* startSample = cmd->add_option("--start-sample", r.startSample, "Start, as a sample index");
    start->excludes(startSample);
    auto* duration = cmd->add_option("-d,--duration", r.durationSeconds,
                                     "Length in seconds (default: the clip's sound, 5 s)");
    auto* count = cmd->add_option("--samples", r.sampleCount, "Length in samples");
    duration->excludes(count);
    duration->check(CLI::PositiveNumber);
    count->check(CLI::PositiveNumber);
}

/// "rec601, rec709, ...": the colour spaces' tokens.
std::string ColourSpaceTokens()
{
    std::string list;
    for (const bt::ColorSpaceFacts& space : bt::kColorSpaces)
        list += (list.empty() ? "" : ", ") + std::string(space.token);
    return list;
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"barsandtone: makes bars-and-tone clips with the bars-and-tone importer module.\n"
                 "With no command it makes a default HD Rec. 709 clip with its 1000 Hz tone in out/:\n"
                 "the clip file, its picture, its sound and a few seconds of movie.",
                 "barsandtone"};
    app.get_formatter()->column_width(34);
    btcli::CommonOptions common;
    app.add_option("--module", common.modulePath, "The module to load (default: the one built with this program)")
        ->envname("BARSANDTONE_MODULE");
    app.add_flag("-q,--quiet", common.quiet, "Print nothing but errors");
    std::string demoFolder = "out";
    app.add_option("--out-dir", demoFolder, "Folder for the default job")->capture_default_str();

    // new
    btcli::NewOptions create;
    auto* newCmd = app.add_subcommand("new", "Create a clip file through the module's new-clip dialog");
    newCmd->add_option("-o,--output", create.output, "Clip file to write")->required();
    auto& seq = create.sequence;
    auto* seqGroup = newCmd->add_option_group("Sequence", "The host's current sequence, which the clip starts from");
    seqGroup->add_option("--seq-size", seq.size, "Frame size, WxH")->capture_default_str();
    seqGroup->add_option("--seq-rate", seq.rate, "Frame rate, N or N/D frames per second")->capture_default_str();
    seqGroup->add_option("--seq-par", seq.par, "Pixel aspect ratio, N/D")->capture_default_str();
    seqGroup->add_option("--seq-audio-rate", seq.audioRate, "Audio sample rate, Hz")->capture_default_str()->check(CLI::PositiveNumber);
    seqGroup->add_flag("--seq-drop-frame", seq.dropFrame, "The sequence counts drop-frame timecode");
    seqGroup->add_option("--seq-space", seq.workingSpace,
                         "Working colour space: rec709, hlg, pq, rec601, dci-p3, or a {GUID}")->capture_default_str();
    seqGroup->add_option("--locale", seq.locale,
                         "Input locale for NTSC/PAL defaults, e.g. en_US or de_DE (default: the process's)");
    auto& dlg = create.dialog;
    auto* dlgGroup = newCmd->add_option_group("Dialog", "What to do in the dialog, in this order, then OK");
    dlgGroup->add_option("--preset", dlg.preset, "Preset, e.g. \"HD Rec.709\", \"UHD Rec.2100 PQ\", Custom");
    dlgGroup->add_option("--size", dlg.size, "Frame size, WxH");
    dlgGroup->add_option("--video-rate", dlg.videoRate, "Timebase, e.g. 25 or \"29.97 fps\"");
    dlgGroup->add_option("--par", dlg.par, "Pixel aspect ratio, e.g. 1.0 or \"D1/DV PAL(1.0940)\"");
    dlgGroup->add_option("--colour-space,--color-space", dlg.colourSpace,
                         "Colour space: " + ColourSpaceTokens() + " or the dialog's text");
    dlgGroup->add_option("--audio-rate", dlg.audioRate, "Audio sample rate, e.g. 48000");
    dlgGroup->add_option("--tone", dlg.tone, "steady or identify")->check(CLI::IsMember({"steady", "identify"}));
    dlgGroup->add_option("--frequency", dlg.frequency, "Steady tone frequency, Hz");
    dlgGroup->add_option("--amplitude", dlg.amplitude, "Steady tone level, dB (0 is full scale)");
    dlgGroup->add_option("--identifier", dlg.identifier,
                         "Channel identification: ebu1000, ebu400, ebu51, blits or the dialog's text");
    dlgGroup->add_option("--action", dlg.actions,
                         "A raw action, after the ones above: choose:<id>=<item>, type:<id>=<number>, "
                         "select:<id>, press:<id>");
    auto* cancel = dlgGroup->add_flag("--cancel", dlg.cancel, "Press Cancel instead of OK (no clip is written)");
    auto* close = dlgGroup->add_flag("--close", dlg.close, "Close the window instead of pressing OK");
    cancel->excludes(close);
    dlgGroup->add_flag("--interactive", dlg.interactive, "Show the dialog in the terminal and let the user decide");

    // describe
    btcli::DescribeOptions describe;
    auto* describeCmd = app.add_subcommand("describe", "Say what the module tells a host about a clip");
    describeCmd->add_option("clip", describe.clip, "Clip file")->required()->check(CLI::ExistingFile);
    describeCmd->add_flag("--json", describe.json, "Print JSON");
    describeCmd->add_flag("--raw", describe.raw,
                          "Also the clip's 72-byte settings record as the host stores it: its bytes and every field");

    // frame
    btcli::FrameOptions frame;
    auto* frameCmd = app.add_subcommand("frame", "Write the clip's picture as PNG (every frame of a clip is the same picture)");
    frameCmd->add_option("clip", frame.clip, "Clip file")->required()->check(CLI::ExistingFile);
    frameCmd->add_option("-o,--output", frame.output, "PNG file to write")->required();
    frameCmd->add_flag("--signal", frame.signal16,
                       "16-bit PNG that keeps the signal, with a cICP chunk naming its colour (default: an "
                       "8-bit preview for any viewer)");

    // tone
    btcli::ToneOptions tone;
    auto* toneCmd = app.add_subcommand("tone", "Write a stretch of the clip's sound as WAV");
    toneCmd->add_option("clip", tone.clip, "Clip file")->required()->check(CLI::ExistingFile);
    auto* toneOut = toneCmd->add_option("-o,--output", tone.output, "WAV file to write (32-bit float)");
    AddRange(toneCmd, tone.range);
    toneCmd->add_option("--request", tone.requestSize, "Samples per request to the module")->capture_default_str()
        ->check(CLI::Range(1u, 1u << 24));
    auto* toneNull = toneCmd->add_flag("--null", tone.nullSink, "Request the sound and drop it (for timing)");
    toneOut->excludes(toneNull);

    // levels
    btcli::LevelsOptions levels;
    auto* levelsCmd = app.add_subcommand("levels", "Draw the clip's level overview as a waveform PNG");
    levelsCmd->add_option("clip", levels.clip, "Clip file")->required()->check(CLI::ExistingFile);
    levelsCmd->add_option("-o,--output", levels.output, "PNG file to write")->required();
    AddRange(levelsCmd, levels.range);
    levelsCmd->add_option("--rate", levels.levelRate, "Level values per second (one pixel column each)")->capture_default_str()
        ->check(CLI::Range(0.01, 192000.0));

    // export
    btcli::ExportOptions exporting;
    auto* exportCmd = app.add_subcommand("export", "Write a finished movie of the clip, picture and sound");
    exportCmd->add_option("clip", exporting.clip, "Clip file")->required()->check(CLI::ExistingFile);
    auto* exportOut = exportCmd->add_option("-o,--output", exporting.output, "Movie file: .mkv (FFV1) or .mov (ProRes)");
    exportCmd->add_option("-f,--format", exporting.format, "ffv1, prores or null (default: from the file name)")
        ->check(CLI::IsMember({"ffv1", "prores", "null"}));
    auto* expDuration = exportCmd->add_option("-d,--duration", exporting.durationSeconds, "Length in seconds (default 5)");
    auto* expFrames = exportCmd->add_option("--frames", exporting.frames, "Length in frames");
    expDuration->excludes(expFrames);
    expDuration->check(CLI::PositiveNumber);
    expFrames->check(CLI::PositiveNumber);
    exportCmd->add_option("-j,--threads", exporting.threads, "Threads requesting pictures (default: one per core)")
        ->check(CLI::Range(1, 64));
    exportCmd->add_flag("--no-sound", exporting.noSound, "Picture only");
    exportCmd->add_flag("--progress,!--no-progress", exporting.progress, "Progress bar (default: on a terminal)");
    auto* exportNull = exportCmd->add_flag_callback(
        "--null", [&] { exporting.format = "null"; },
        "Request every picture and all sound, write nothing (for timing the module)");
    exportOut->excludes(exportNull);
    exportCmd->add_flag("--convert", exporting.nullConverts,
                        "With --null: also convert each picture to 10-bit Y'CbCr as a file export does")
        ->needs(exportNull);

    // inspect
    btcli::InspectOptions inspect;
    auto* inspectCmd = app.add_subcommand("inspect", "Describe the module: its description, file types, resources");
    inspectCmd->add_flag("--json", inspect.json, "Print JSON");

    app.require_subcommand(0, 1);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }

    try {
        if (*newCmd)
            return btcli::RunNew(common, create);
        if (*describeCmd)
            return btcli::RunDescribe(common, describe);
        if (*frameCmd)
            return btcli::RunFrame(common, frame);
        if (*toneCmd) {
            if (tone.output.empty() && !tone.nullSink)
                throw btcli::UsageError("tone needs --output FILE.wav or --null");
            return btcli::RunTone(common, tone);
        }
        if (*levelsCmd)
            return btcli::RunLevels(common, levels);
        if (*exportCmd) {
            if (exporting.output.empty() && exporting.format != "null")
                throw btcli::UsageError("export needs --output FILE.mkv|FILE.mov or --null");
            return btcli::RunExport(common, exporting);
        }
        if (*inspectCmd)
            return btcli::RunInspect(common, inspect);
        return btcli::RunDemo(common, demoFolder);
    } catch (const btcli::UsageError& e) {
        std::cerr << "barsandtone: " << e.what() << "\nRun with --help for more information.\n";
        return kExitUsage;
    } catch (const btcli::Cancelled& e) {
        std::cerr << "barsandtone: " << e.what() << "\n";
        return kExitCancelled;
    } catch (const std::exception& e) {
        std::cerr << "barsandtone: error: " << e.what() << "\n";
        return kExitFailure;
    }
}
