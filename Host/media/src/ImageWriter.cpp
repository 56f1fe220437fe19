#include "btmedia/ImageWriter.h"

#include "btmedia/AvSupport.h"
#include "btmedia/PngWriter.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
}

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace btmedia {

namespace {

struct FormatRow {
    ImageFormat format;
    std::string_view name;
    std::string_view extensions[2];
    int previewBits;
    int signalBits;
};

constexpr FormatRow kFormats[] = {
    {ImageFormat::Png, "PNG", {".png", ""}, 8, 16},
    {ImageFormat::Tiff, "TIFF", {".tif", ".tiff"}, 16, 16},
    {ImageFormat::Dpx, "DPX", {".dpx", ""}, 10, 10},
};

const FormatRow& RowOf(ImageFormat format)
{
    for (const FormatRow& row : kFormats)
        if (row.format == format)
            return row;
    throw std::logic_error("an image format without a row");
}

/// Interleaved R'G'B' words, rows top to bottom, through one of FFmpeg's
/// image encoders: RGB48 for TIFF, planar G, B, R at 10 bits for DPX.
void Encode(OutputFile& output, ImageFormat format, int width, int height, const std::vector<std::uint16_t>& rgb)
{
    const std::string what = "cannot write '" + output.Name() + "' as " + std::string(RowOf(format).name);
    const bool dpx = format == ImageFormat::Dpx;
    const AVCodec* codec = avcodec_find_encoder(dpx ? AV_CODEC_ID_DPX : AV_CODEC_ID_TIFF);
    if (codec == nullptr)
        throw std::runtime_error(what + ": this FFmpeg has no such encoder");
    av::CodecPtr context(avcodec_alloc_context3(codec));
    av::FramePtr frame(av_frame_alloc());
    av::PacketPtr packet(av_packet_alloc());
    if (!context || !frame || !packet)
        throw std::bad_alloc();
    const AVPixelFormat pixels = dpx ? AV_PIX_FMT_GBRP10LE : AV_PIX_FMT_RGB48LE;
    context->width = width;
    context->height = height;
    context->pix_fmt = pixels;
    context->time_base = AVRational{1, 1};
    av::Check(avcodec_open2(context.get(), codec, nullptr), what);
    frame->format = pixels;
    frame->width = width;
    frame->height = height;
    av::Check(av_frame_get_buffer(frame.get(), 0), what);
    const auto w = static_cast<std::size_t>(width);
    for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y) {
        const std::uint16_t* in = rgb.data() + y * w * 3;
        if (dpx) {
            // Planes in FFmpeg's G, B, R order.
            constexpr int kSourceOfPlane[3] = {1, 2, 0};
            for (int p = 0; p < 3; ++p) {
                auto* out = reinterpret_cast<std::uint16_t*>(frame->data[p] + static_cast<std::ptrdiff_t>(y) * frame->linesize[p]);
                for (std::size_t x = 0; x < w; ++x)
                    out[x] = in[x * 3 + static_cast<std::size_t>(kSourceOfPlane[p])];
            }
        } else {
            auto* out = reinterpret_cast<std::uint16_t*>(frame->data[0] + static_cast<std::ptrdiff_t>(y) * frame->linesize[0]);
            std::copy(in, in + w * 3, out);
        }
    }
    av::Check(avcodec_send_frame(context.get(), frame.get()), what);
    av::Check(avcodec_send_frame(context.get(), nullptr), what);
    for (;;) {
        const int r = avcodec_receive_packet(context.get(), packet.get());
        if (r == AVERROR_EOF)
            break;
        av::Check(r, what);
        output.WriteAll(packet->data, static_cast<std::size_t>(packet->size));
        av_packet_unref(packet.get());
    }
    output.Commit();
}

} // namespace

std::optional<ImageFormat> ImageFormatOfName(std::string_view fileName)
{
    const std::string extension = ExtensionOf(fileName);
    for (const FormatRow& row : kFormats)
        for (std::string_view known : row.extensions)
            if (!known.empty() && extension == known)
                return row.format;
    return std::nullopt;
}

std::optional<ImageFormat> ImageFormatNamed(std::string_view name)
{
    return ImageFormatOfName("image." + std::string(name)); // "tif" as well as "tiff"
}

std::string_view ImageFormatName(ImageFormat format) noexcept
{
    for (const FormatRow& row : kFormats)
        if (row.format == format)
            return row.name;
    return {};
}

int ImageBits(ImageFormat format, RgbRange range) noexcept
{
    for (const FormatRow& row : kFormats)
        if (row.format == format)
            return range == RgbRange::Full ? row.previewBits : row.signalBits;
    return 0;
}

void WriteImage(OutputFile& output, ImageFormat format, const VuyaPicture& picture, const ColourCodes& colour,
                RgbRange range)
{
    const int bits = ImageBits(format, range);
    if (format == ImageFormat::Png && bits == 8) {
        WritePngRgb8(output, picture.width, picture.height, PreviewRgb8(picture, colour.matrix));
        return;
    }
    const std::vector<std::uint16_t> rgb = RgbWords(picture, colour.matrix, bits, range);
    if (format == ImageFormat::Png) {
        const std::uint8_t fullRange = range == RgbRange::Full ? 1 : 0;
        WritePngRgb16(output, picture.width, picture.height, rgb, Cicp{colour.primaries, colour.transfer, 0, fullRange});
        return;
    }
    Encode(output, format, picture.width, picture.height, rgb);
}

} // namespace btmedia
