#include "btmedia/PngWriter.h"

#include <png.h>

#include <exception>
#include <stdexcept>
#include <vector>

namespace btmedia {

namespace {

// What libpng's callbacks report back to the writer: libpng unwinds by
// longjmp, so the callbacks keep the error and the writer throws it.
struct Sink {
    OutputFile* output = nullptr;
    std::exception_ptr failure;
    std::string message;
};

[[noreturn]] void OnPngError(png_structp png, png_const_charp message)
{
    static_cast<Sink*>(png_get_error_ptr(png))->message = message;
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

void OnPngWrite(png_structp png, png_bytep data, png_size_t size)
{
    auto* sink = static_cast<Sink*>(png_get_io_ptr(png));
    try {
        sink->output->WriteAll(data, size);
    } catch (...) {
        sink->failure = std::current_exception();
    }
    if (sink->failure) // outside the handler: libpng leaves by longjmp
        png_error(png, "the output refused the data");
}

void OnPngFlush(png_structp) {}

// Everything with a destructor lives in the caller; this function only
// touches plain pointers, so libpng's longjmp skips nothing.
bool WriteRows(Sink* sink, int width, int height, int bitDepth, png_bytep* rows, const std::optional<Cicp>& cicp,
               bool swapBytes)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, sink, OnPngError, OnPngWarning);
    if (png == nullptr)
        return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, sink, OnPngWrite, OnPngFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), bitDepth,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // cICP must come before IDAT; libpng of this vintage has no API for it.
    png_write_info_before_PLTE(png, info);
    if (cicp) {
        png_byte chunk[4] = {cicp->primaries, cicp->transfer, cicp->matrix, cicp->fullRange};
        png_write_chunk(png, reinterpret_cast<png_const_bytep>("cICP"), chunk, sizeof chunk);
    }
    png_write_info(png, info);
    if (swapBytes)
        png_set_swap(png);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

template <typename Sample>
void WritePng(OutputFile& output, int width, int height, std::span<const Sample> rgb, const std::optional<Cicp>& cicp)
{
    if (width <= 0 || height <= 0 || rgb.size() < static_cast<std::size_t>(width) * height * 3)
        throw std::invalid_argument("cannot write '" + output.Name() + "': picture size and data do not agree");
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        rows[static_cast<std::size_t>(y)] = reinterpret_cast<png_bytep>(
            const_cast<Sample*>(rgb.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 3));
    Sink sink{&output, nullptr, {}};
    if (!WriteRows(&sink, width, height, static_cast<int>(sizeof(Sample) * 8), rows.data(), cicp,
                   sizeof(Sample) == 2)) {
        if (sink.failure)
            std::rethrow_exception(sink.failure);
        throw std::runtime_error("cannot write '" + output.Name() + "'" +
                                 (sink.message.empty() ? "" : ": " + sink.message));
    }
    output.Commit();
}

} // namespace

void WritePngRgb8(OutputFile& output, int width, int height, std::span<const std::uint8_t> rgb,
                  std::optional<Cicp> cicp)
{
    WritePng(output, width, height, rgb, cicp);
}

void WritePngRgb16(OutputFile& output, int width, int height, std::span<const std::uint16_t> rgb,
                   std::optional<Cicp> cicp)
{
    WritePng(output, width, height, rgb, cicp);
}

} // namespace btmedia
