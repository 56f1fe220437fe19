// frame: the clip's picture as PNG.

#include "ClipMedia.h"
#include "ClipOutputs.h"
#include "Commands.h"
#include "Session.h"
#include "btmedia/PngWriter.h"

#include <iostream>

namespace btcli {

void Say(const CommonOptions& common, const std::string& text)
{
    if (!common.quiet)
        std::cout << text << "\n";
}

int RunFrame(const CommonOptions& common, const FrameOptions& options)
{
    return RunOnClip(common, options, WriteFrame);
}

void WriteFrame(const CommonOptions& common, Session& session, const OpenClip& clip, const FrameOptions& options)
{
    const btmedia::ColourCodes colour = ClipColour(session, clip);
    DeliveredPicture picture(session, clip);
    const btmedia::VuyaPicture& p = picture.Picture();
    const std::uint8_t matrix = colour.matrix;
    if (options.signal16) {
        const btmedia::Cicp cicp{colour.primaries, colour.transfer, 0, 0};
        btmedia::WritePngRgb16(options.output, p.width, p.height, btmedia::SignalRgb16(p, matrix), cicp);
    } else {
        btmedia::WritePngRgb8(options.output, p.width, p.height, btmedia::PreviewRgb8(p, matrix));
    }
    Say(common, "wrote " + options.output + ": " + std::to_string(p.width) + " x " + std::to_string(p.height) +
                    (options.signal16 ? ", 16-bit R'G'B' with cICP " + std::to_string(colour.primaries) + "/" +
                                            std::to_string(colour.transfer) + "/0/0"
                                      : ", 8-bit preview"));
}

} // namespace btcli
