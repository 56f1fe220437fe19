// frame: the clip's picture as an image file: PNG, TIFF or DPX, as a
// preview or as the signal.

#include "ClipMedia.h"
#include "ClipOutputs.h"
#include "Commands.h"
#include "Session.h"
#include "btmedia/ImageWriter.h"

namespace btcli {

namespace {

btmedia::ImageFormat FrameFormat(const FrameOptions& options)
{
    return ChooseFormat<btmedia::ImageFormat>(btmedia::ImageFormatList(), "frame", options.format, options.output);
}

} // namespace

int RunFrame(const CommonOptions& common, const FrameOptions& options)
{
    (void)FrameFormat(options); // a wrong name fails before anything is loaded
    return RunOnClip(common, options, WriteFrame);
}

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

} // namespace btcli
