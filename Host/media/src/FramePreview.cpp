#include "btmedia/FramePreview.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>

namespace btmedia {

namespace {

struct LumaCoefficients {
    double kr, kb;
};

LumaCoefficients CoefficientsOf(std::uint8_t matrix)
{
    switch (matrix) {
    case 5:
    case 6:
        return {0.299, 0.114};
    case 9:
    case 10:
        return {0.2627, 0.0593};
    default:
        return {0.2126, 0.0722};
    }
}

struct Rgb {
    double r, g, b;
};

// Normalised Y'CbCr of one pixel: y 0.0 black, 1.0 white; cb, cr around 0.0.
struct YCbCr {
    double y, cb, cr;
};

YCbCr ReadPixel(const VuyaPicture& p, std::int32_t x, std::int32_t y)
{
    const std::uint8_t* row = p.firstRow + p.rowBytes * (p.height - 1 - y);
    if (p.layout == VuyaLayout::kBytes) {
        const std::uint8_t* px = row + 4 * x;
        return {(px[2] - 16.0) / 219.0, (px[1] - 128.0) / 224.0, (px[0] - 128.0) / 224.0};
    }
    float v[4];
    std::memcpy(v, row + 16 * x, sizeof v);
    return {static_cast<double>(v[2]), static_cast<double>(v[1]), static_cast<double>(v[0])};
}

Rgb ToRgb(const YCbCr& c, const LumaCoefficients& k)
{
    const double r = c.y + 2.0 * (1.0 - k.kr) * c.cr;
    const double b = c.y + 2.0 * (1.0 - k.kb) * c.cb;
    const double g = (c.y - k.kr * r - k.kb * b) / (1.0 - k.kr - k.kb);
    return {r, g, b};
}

template <typename Sample, typename Quantise>
std::vector<Sample> Convert(const VuyaPicture& p, std::uint8_t matrix, Quantise quantise)
{
    const LumaCoefficients k = CoefficientsOf(matrix);
    std::vector<Sample> out(static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height) * 3);
    std::size_t i = 0;
    for (std::int32_t y = 0; y < p.height; ++y)
        for (std::int32_t x = 0; x < p.width; ++x) {
            const Rgb rgb = ToRgb(ReadPixel(p, x, y), k);
            out[i++] = quantise(rgb.r);
            out[i++] = quantise(rgb.g);
            out[i++] = quantise(rgb.b);
        }
    return out;
}

// Not-a-number reads as the lowest code.
template <typename Sample>
Sample Quantise(double code, double top)
{
    if (!(code > 0.0))
        return 0;
    return static_cast<Sample>(std::lround(std::min(code, top)));
}

} // namespace

std::vector<std::uint8_t> PreviewRgb8(const VuyaPicture& picture, std::uint8_t matrix)
{
    return Convert<std::uint8_t>(picture, matrix, [](double e) { return Quantise<std::uint8_t>(255.0 * e, 255.0); });
}

std::vector<std::uint16_t> SignalRgb16(const VuyaPicture& picture, std::uint8_t matrix)
{
    return RgbWords(picture, matrix, 16, RgbRange::Narrow);
}

std::vector<std::uint16_t> RgbWords(const VuyaPicture& picture, std::uint8_t matrix, int bits, RgbRange range)
{
    if (bits < 8 || bits > 16)
        throw std::invalid_argument("R'G'B' words of " + std::to_string(bits) + " bits");
    const double top = std::ldexp(1.0, bits) - 1.0;
    const double step = std::ldexp(1.0, bits - 8); // one 8-bit code at this depth
    if (range == RgbRange::Full)
        return Convert<std::uint16_t>(picture, matrix, [top](double e) { return Quantise<std::uint16_t>(top * e, top); });
    return Convert<std::uint16_t>(picture, matrix, [top, step](double e) {
        return Quantise<std::uint16_t>(step * (16.0 + 219.0 * e), top);
    });
}

} // namespace btmedia
