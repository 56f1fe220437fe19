// barsandtone: a command-line host of the bars-and-tone module. It loads the
// module through its two exports, as an editing host does, and turns what the
// module makes into files: clip files, pictures, sound, finished movies.
//
// main walks the table of commands into the command line, runs the one named
// (or the default job) and turns what the run throws into an exit status.

#include "ClipFile.h"
#include "Commands.h"
#include "btmedia/OutputFile.h"
#include "btmedia/StopSignals.h"

#include <exception>
#include <functional>
#include <iostream>
#include <string>

namespace {

using namespace btcli;

/// In the order the help lists them.
const Command* const kCommands[] = {
    &kNewCommand,    &kDescribeCommand, &kFrameCommand, &kToneCommand,
    &kLevelsCommand, &kExportCommand,   &kPlayCommand,  &kCheckCommand, &kInspectCommand,
};

int Stopped(const btmedia::Stopped& e)
{
    std::string removed;
    for (const std::string& name : btmedia::TakeDiscardedOutputs())
        removed += (removed.empty() ? "; removed the unfinished '" : "', '") + name;
    std::cerr << "barsandtone: " << e.what() << (removed.empty() ? "" : removed + "'") << "\n";
    return kExitSignalBase + e.Signal();
}

/// Runs the work; what it throws becomes its exit status and a message.
int ExitStatusOf(const std::function<int()>& work)
{
    try {
        return work();
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

} // namespace

int main(int argc, char** argv)
{
    btmedia::InstallStopSignals();

    CommandLine line("barsandtone",
                     "barsandtone: makes bars-and-tone clips with the bars-and-tone importer module.\n"
                     "With no command it makes a default HD Rec. 709 clip with its 1000 Hz tone in out/:\n"
                     "the clip file, its picture, its sound and a few seconds of movie.",
                     BT_VERSION);
    CommonOptions common;
    std::string demoFolder = "out";
    bool manPage = false;
    bool completion = false;
    Flags program = line.Program();
    program.Option("--module", common.modulePath, "The module to load (default: the one installed with this program)")
        .FromEnvironment("BARSANDTONE_MODULE")
        .File();
    program.Switch("-q,--quiet", common.quiet, "Print nothing but errors and warnings");
    Flag overwrite = program.Switch(
        "-y,--overwrite", [&] { common.overwrite = btmedia::Overwrite::Always; }, "Overwrite existing output files");
    overwrite.Excludes(program.Switch(
        "-n,--no-overwrite", [&] { common.overwrite = btmedia::Overwrite::Never; },
        "Never overwrite an existing output file (default: ask on a terminal, refuse otherwise)"));
    program.Switch(
        "--progress", [&] { common.progress = true; }, "Show a progress bar (default: when standard error is a terminal)");
    program.Switch("--no-progress", [&] { common.progress = false; }, "Show no progress bar");
    program.Option("--out-dir", demoFolder, "Folder for the default job").ShowDefault().File();
    program.Switch("--help-man", manPage, "The manual page, as roff").Hidden();
    program.Switch("--help-completion", completion, "The bash completion script").Hidden();
    for (const Command* command : kCommands)
        line.Add(*command);

    if (const std::optional<int> ended = line.Read(argc, argv))
        return *ended;
    if (manPage || completion) {
        std::cout << (manPage ? line.ManualPage() : line.BashCompletion());
        return kExitDone;
    }
    const CommandRun* run = line.Chosen();
    return ExitStatusOf([&] { return run != nullptr ? (*run)(common) : RunDemo(common, demoFolder); });
}
