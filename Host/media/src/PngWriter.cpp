#include "btmedia/PngWriter.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

namespace btmedia {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const noexcept { std::fclose(f); }
};

[[noreturn]] void OnPngError(png_structp png, png_const_charp message)
{
    auto* text = static_cast<std::string*>(png_get_error_ptr(png));
    *text = message;
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// libpng reports errors by longjmp, so everything with a destructor lives in
// the caller; this function only touches plain pointers.
bool WriteRows(std::FILE* file, std::string* error, int width, int height, int bitDepth, png_bytep* rows,
               const std::optional<Cicp>& cicp, bool swapBytes)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, error, OnPngError, OnPngWarning);
    if (png == nullptr)
        return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
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
void WritePng(const std::string& path, int width, int height, std::span<const Sample> rgb,
              const std::optional<Cicp>& cicp)
{
    if (width <= 0 || height <= 0 || rgb.size() < static_cast<std::size_t>(width) * height * 3)
        throw std::runtime_error("cannot write " + path + ": picture size and data do not agree");
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file)
        throw std::runtime_error("cannot open " + path + " for writing");
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        rows[static_cast<std::size_t>(y)] = reinterpret_cast<png_bytep>(
            const_cast<Sample*>(rgb.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 3));
    std::string error;
    const bool ok = WriteRows(file.get(), &error, width, height, static_cast<int>(sizeof(Sample) * 8), rows.data(),
                              cicp, sizeof(Sample) == 2);
    const bool closed = std::fclose(file.release()) == 0;
    if (!ok || !closed) {
        std::remove(path.c_str());
        throw std::runtime_error("cannot write " + path + (error.empty() ? "" : ": " + error));
    }
}

} // namespace

void WritePngRgb8(const std::string& path, int width, int height, std::span<const std::uint8_t> rgb,
                  std::optional<Cicp> cicp)
{
    WritePng(path, width, height, rgb, cicp);
}

void WritePngRgb16(const std::string& path, int width, int height, std::span<const std::uint16_t> rgb,
                   std::optional<Cicp> cicp)
{
    WritePng(path, width, height, rgb, cicp);
}

} // namespace btmedia
