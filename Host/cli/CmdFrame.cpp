// frame: the clip's picture as an image file: PNG, TIFF or DPX, as a
// preview or as the signal.

#include "ClipMedia.h"
#include "ClipOutputs.h"
#include "Commands.h"
#include "CommonFlags.h"
#include "Session.h"
#include "btmedia/ImageWriter.h"

#include <memory>

namespace btcli {

namespace {

btmedia::ImageFormat FrameFormat(const FrameOptions& options)
{
    return ChooseFormat<btmedia::ImageFormat>(btmedia::ImageFormatList(), "frame", options.format, options.output);
}

} // namespace

void WriteFrame(const CommonOptions& common, Session& session, const OpenClip& clip, const FrameOptions& options,
                btmedia::OutputFile* output)
{
    const btmedia::ImageFormat format = FrameFormat(options);
    const btmedia::RgbRange range = options.signal16 ? btmedia::RgbRange::Narrow : btmedia::RgbRange::Full;
    const btmedia::ColourCodes colour = ClipColour(session, clip);
    DeliveredPicture picture(session, clip);
    const btmedia::VuyaPicture& p = picture.Picture();
    btmedia::WriteImage(*output, format, p, colour, range);
    std::string what = std::string(btmedia::ImageFormatName(format)) + ", " +
                       std::to_string(btmedia::ImageBits(format, range)) + "-bit R'G'B' ";
    what += options.signal16 ? "signal in narrow range" : "preview";
    if (options.signal16 && format == btmedia::ImageFormat::Png)
        what += " with cICP " + std::to_string(colour.primaries) + "/" + std::to_string(colour.transfer) + "/0/0";
    Say(common, "wrote " + options.output + ": " + std::to_string(p.width) + " x " + std::to_string(p.height) + ", " +
                    what);
}

namespace {

CommandRun DeclareFrame(Flags& flags)
{
    auto options = std::make_shared<FrameOptions>();
    const ClipArgument clip(flags, options->clip);
    AddOutput(flags, options->output, btmedia::ImageFormatList().OutputHelp()).Required();
    // Offered, not enforced: the chooser also takes an extension ("tif") in any case.
    flags.Option("-f,--format", options->format, btmedia::ImageFormatList().FormatHelp())
        .Offers(btmedia::ImageFormatList().Choices());
    flags.Switch("--signal", options->signal16,
                 "The signal in narrow range, every value the module paints (" + btmedia::SignalFormatsText() +
                     "); default: a preview for any viewer");
    return [options, clip](const CommonOptions& common) {
        clip.Check(options->clip);
        (void)FrameFormat(*options); // a wrong name fails before anything is loaded
        return RunOnClip(common, *options, WriteFrame);
    };
}

} // namespace

const Command kFrameCommand{"frame",
                            "Write the clip's picture as " + btmedia::ImageFormatList().LabelsText() +
                                " (every frame of a clip is the same picture)",
                            DeclareFrame};

} // namespace btcli
