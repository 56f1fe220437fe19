// export: a finished movie of the clip, picture and sound.

#include "ClipOutputs.h"
#include "Commands.h"
#include "CommonFlags.h"
#include "MovieCommand.h"

#include <memory>

namespace btcli {

namespace {

CommandRun DeclareExport(Flags& flags)
{
    auto options = std::make_shared<ExportOptions>();
    flags.Footer(btmedia::MovieFormatsHelp());
    const ClipArgument clip(flags, options->clip);
    Flag output = AddOutput(flags, options->output, btmedia::MovieFormatList().OutputHelp());
    flags.Option("-f,--format", options->format, btmedia::MovieFormatList().FormatHelp())
        .OneOf(btmedia::MovieFormatList().Choices());
    AddLengthFlags(flags, *options, "default 5");
    AddDeliveryFlags(flags, *options);
    Flag null = flags.Switch(
        "--null", [options] { options->format = "null"; },
        "Request every picture and all sound, write nothing (for timing the module)");
    output.Excludes(null);
    flags.Switch("--convert", options->nullConverts,
                 "With --null: also convert each picture to 10-bit Y'CbCr as a file export does")
        .Needs(null);
    return [options, clip](const CommonOptions& common) {
        clip.Check(options->clip);
        if (options->output.empty() && options->format != "null")
            throw UsageError("export needs --output FILE (" + btmedia::MovieFormatList().ExtensionsText() +
                             "), - or --null");
        if (btmedia::IsNetworkAddress(options->output))
            throw UsageError("export writes files; " + options->output + " is a network address: send to it "
                             "with play, in real time");
        // A wrong request fails before anything is loaded.
        CheckDeliveryRequest(*options);
        return RunOnClip(common, *options, WriteMovieFile);
    };
}

} // namespace

const Command kExportCommand{"export", "Write a finished movie of the clip, picture and sound", DeclareExport};

} // namespace btcli
