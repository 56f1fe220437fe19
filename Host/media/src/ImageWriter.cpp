#include "btmedia/ImageWriter.h"

#include "btmedia/AvSupport.h"
#include "btmedia/PngWriter.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
}

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace btmedia {

namespace {

struct ImageRow {
    ImageFormat format;
    FormatNames names;
    int previewBits;
    int signalBits;
    const char* encoder; ///< FFmpeg's image encoder; empty: libpng
    const char* pixels;  ///< the R'G'B' pixel format, of 16-bit words, that the encoder takes
};

constexpr ImageRow kImages[] = {
    {ImageFormat::Png, {"png", "PNG", {".png", ""}}, 8, 16, "", ""},
    {ImageFormat::Tiff, {"tiff", "TIFF", {".tif", ".tiff"}}, 16, 16, "tiff", "rgb48le"},
    {ImageFormat::Dpx, {"dpx", "DPX", {".dpx", ""}}, 10, 10, "dpx", "gbrp10le"},
};

const ImageRow& RowOf(ImageFormat format) { return btmedia::RowOf(kImages, format); }

bool ByLibpng(const ImageRow& row) noexcept { return *row.encoder == 0; }

/// Interleaved R'G'B' words, rows top to bottom, through the row's FFmpeg
/// encoder: each word goes where the pixel format keeps its component.
void Encode(OutputFile& output, const ImageRow& row, int width, int height, const std::vector<std::uint16_t>& rgb)
{
    const std::string what = "cannot write '" + output.Name() + "' as " + std::string(row.names.label);
    const AVCodec* codec = avcodec_find_encoder_by_name(row.encoder);
    const AVPixelFormat pixels = av_get_pix_fmt(row.pixels);
    const AVPixFmtDescriptor* layout = av_pix_fmt_desc_get(pixels);
    if (codec == nullptr || layout == nullptr)
        throw std::runtime_error(what + ": this FFmpeg has no such encoder");
    av::CodecPtr context(avcodec_alloc_context3(codec));
    av::FramePtr frame(av_frame_alloc());
    av::PacketPtr packet(av_packet_alloc());
    if (!context || !frame || !packet)
        throw std::bad_alloc();
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
        for (int c = 0; c < 3; ++c) { // R, G, B, as the descriptor of an R'G'B' format lists them
            const AVComponentDescriptor& where = layout->comp[c];
            std::uint8_t* out = frame->data[where.plane] + static_cast<std::ptrdiff_t>(y) * frame->linesize[where.plane] +
                                where.offset;
            for (std::size_t x = 0; x < w; ++x)
                std::memcpy(out + x * static_cast<std::size_t>(where.step), &in[x * 3 + static_cast<std::size_t>(c)], 2);
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

FormatList ImageFormatList()
{
    FormatList list{"Picture", {}, 0}; // PNG, the first, for "-"
    for (const ImageRow& row : kImages)
        list.entries.push_back({static_cast<int>(row.format), row.names,
                                row.previewBits == row.signalBits ? std::to_string(row.signalBits) + "-bit" : ""});
    return list;
}

std::optional<ImageFormat> ImageFormatOfName(std::string_view fileName)
{
    return FormatOfFileName(kImages, fileName);
}

std::string_view ImageFormatName(ImageFormat format) { return RowOf(format).names.label; }

int ImageBits(ImageFormat format, RgbRange range)
{
    const ImageRow& row = RowOf(format);
    return range == RgbRange::Full ? row.previewBits : row.signalBits;
}

std::string SignalFormatsText()
{
    std::string text;
    for (const ImageRow& row : kImages)
        text += std::string(text.empty() ? "a " : ", ") + std::to_string(row.signalBits) + "-bit " +
                std::string(row.names.label) + (ByLibpng(row) ? " with a cICP chunk naming its colour" : "");
    return text;
}

void WriteImage(OutputFile& output, ImageFormat format, const VuyaPicture& picture, const ColourCodes& colour,
                RgbRange range)
{
    const ImageRow& row = RowOf(format);
    const int bits = ImageBits(format, range);
    if (ByLibpng(row) && bits == 8) {
        WritePngRgb8(output, picture.width, picture.height, PreviewRgb8(picture, colour.matrix));
        return;
    }
    const std::vector<std::uint16_t> rgb = RgbWords(picture, colour.matrix, bits, range);
    if (ByLibpng(row)) {
        const std::uint8_t fullRange = range == RgbRange::Full ? 1 : 0;
        WritePngRgb16(output, picture.width, picture.height, rgb, Cicp{colour.primaries, colour.transfer, 0, fullRange});
        return;
    }
    Encode(output, row, picture.width, picture.height, rgb);
}

} // namespace btmedia
