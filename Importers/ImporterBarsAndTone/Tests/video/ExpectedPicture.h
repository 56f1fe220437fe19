#pragma once
// An independent expectation of a bars picture, pixel by pixel: the colour of
// a pixel is that of the last region, in table order, whose rectangle (the
// fractions times the picture size, truncated) holds it; ramps give each
// column its own Y.

#include "RasterKit/RasterKit.h"
#include "video/ColorSpaceRows.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace bttest {

inline std::int64_t Edge(std::int64_t size, double fraction)
{
    return static_cast<std::int64_t>(static_cast<double>(size) * fraction);
}

inline std::array<std::uint8_t, 16> FloatPixel(float v, float u, float y, float a)
{
    const float values[4] = {v, u, y, a};
    std::array<std::uint8_t, 16> bytes{};
    std::memcpy(bytes.data(), values, sizeof values);
    return bytes;
}

/// The expected bytes of picture row y (from the top) of a width × height
/// picture, width × bytes-per-pixel long; pixels no region holds stay `blank`.
class ExpectedPicture {
public:
    ExpectedPicture(const bt::ColorSpaceRow& colorSpace, std::int64_t width, std::int64_t height)
        : mSpace(colorSpace), mWidth(width), mHeight(height)
    {
    }

    [[nodiscard]] std::size_t BytesPerPixel() const
    {
        return static_cast<std::size_t>(RK_BytesPerPixel(mSpace.format));
    }

    [[nodiscard]] std::vector<std::uint8_t> Row(std::int64_t y, std::uint8_t blank = 0xCD) const
    {
        std::vector<std::uint8_t> row(static_cast<std::size_t>(mWidth) * BytesPerPixel(), blank);
        std::visit([&](const auto* table) { Paint(row, y, *table); }, mSpace.bars);
        return row;
    }

private:
    template <typename Table>
    void Paint(std::vector<std::uint8_t>& row, std::int64_t y, const Table& table) const
    {
        for (const auto& r : table) {
            if (r.y1 == 0.0)
                break;
            if (!Holds(r, y))
                continue;
            const std::int64_t left = Edge(mWidth, r.x0), right = Edge(mWidth, r.x1);
            for (std::int64_t x = left; x < right; ++x)
                Put(row, x, Pixel(r, x, left, right));
        }
    }

    template <typename Region>
    bool Holds(const Region& r, std::int64_t y) const
    {
        return y >= Edge(mHeight, r.y0) && y < Edge(mHeight, r.y1);
    }

    std::array<std::uint8_t, 16> Pixel(const bt::SdrRegion& r, std::int64_t x, std::int64_t left,
                                       std::int64_t right) const
    {
        std::array<std::uint8_t, 16> out{};
        if (mSpace.format == RK_PixelFormat_VUYA_4444_8u) {
            std::memcpy(out.data(), r.colour.data(), 4);
        } else if (r.colour == bt::kSdrRampMarker) {
            const float step = 1.0f / static_cast<float>(right - left);
            out = FloatPixel(0.0f, 0.0f, static_cast<float>(x - left) * step, 1.0f);
        } else {
            RK_ConvertPixel(r.colour.data(), RK_PixelFormat_VUYA_4444_8u, out.data(), RK_PixelFormat_VUYA_4444_32f);
        }
        return out;
    }

    static std::array<std::uint8_t, 16> Pixel(const bt::HdrRegion& r, std::int64_t x, std::int64_t left,
                                              std::int64_t right)
    {
        if (r.colour[0] == -1.0f) {
            const float step = -0.0685f / static_cast<float>(right - left);
            return FloatPixel(0.0f, 0.0f, static_cast<float>(right - x) * step, 1.0f);
        }
        if (r.colour[0] == 1.0f) {
            const float step = 1.09f / static_cast<float>(right - left);
            return FloatPixel(0.0f, 0.0f, static_cast<float>(x - left) * step, 1.0f);
        }
        return FloatPixel(r.colour[0], r.colour[1], r.colour[2], r.colour[3]);
    }

    void Put(std::vector<std::uint8_t>& row, std::int64_t x, const std::array<std::uint8_t, 16>& pixel) const
    {
        if (x < 0 || x >= mWidth)
            return;
        std::memcpy(row.data() + static_cast<std::size_t>(x) * BytesPerPixel(), pixel.data(), BytesPerPixel());
    }

    const bt::ColorSpaceRow& mSpace;
    std::int64_t mWidth, mHeight;
};

} // namespace bttest
