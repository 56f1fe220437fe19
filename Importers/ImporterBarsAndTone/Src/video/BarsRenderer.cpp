#include "video/BarsRenderer.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <variant>

namespace bt {

namespace {

constexpr float kHdRampEnd = 1.0f;
constexpr float kHdrAscendingRampEnd = 1.09f;
constexpr float kHdrDescendingRampStart = -0.0685f;

/// A region's pixel rectangle in picture coordinates (y from the top).
struct PixelRect {
    std::int64_t left, top, right, bottom;
};

template <typename Region>
PixelRect RegionPixels(const Region& r, std::int64_t width, std::int64_t height)
{
    // Products in double, truncated toward zero: neighbours that name their
    // shared edge by the same fraction meet on the same pixel boundary.
    const auto edge = [](std::int64_t size, double fraction) {
        return static_cast<std::int64_t>(static_cast<double>(size) * fraction);
    };
    return {edge(width, r.x0), edge(height, r.y0), edge(width, r.x1), edge(height, r.y1)};
}

/// The buffer as the walk paints it: a picture of width × height laid out
/// with its bottom row on the buffer's first row, clipped to the buffer's own
/// size.
class Canvas {
public:
    Canvas(const PictureBuffer& buffer, std::int64_t width, std::int64_t height)
        : mFirstRow(buffer.firstRow), mRowBytes(buffer.rowBytes), mWidth(width), mHeight(height),
          mClipWidth(buffer.width), mClipHeight(buffer.height), mFormat(buffer.format),
          mBytesPerPixel(RK_BytesPerPixel(buffer.format))
    {
    }

    [[nodiscard]] std::int64_t Width() const { return mWidth; }
    [[nodiscard]] std::int64_t Height() const { return mHeight; }
    [[nodiscard]] RK_PixelFormat Format() const { return mFormat; }

    /// Columns of [left, right) that lie inside the buffer.
    [[nodiscard]] std::int64_t FirstColumn(std::int64_t left) const { return std::max<std::int64_t>(left, 0); }
    [[nodiscard]] std::int64_t EndColumn(std::int64_t right) const { return std::min(right, mClipWidth); }

    /// One fill of picture columns [left, right) and rows [top, bottom).
    void Fill(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom, const void* colour,
              RK_PixelFormat colourFormat) const
    {
        // Picture row y is memory row height - 1 - y: the block's first row in
        // memory is its bottom row.
        const std::int64_t firstMemoryRow = std::max<std::int64_t>(mHeight - bottom, 0);
        const std::int64_t endMemoryRow = std::min(mHeight - top, mClipHeight);
        const std::int64_t x0 = FirstColumn(left);
        const std::int64_t x1 = EndColumn(right);
        if (endMemoryRow <= firstMemoryRow || x1 <= x0)
            return;
        unsigned char* dest = mFirstRow + static_cast<std::ptrdiff_t>(mRowBytes) * firstMemoryRow +
                              static_cast<std::ptrdiff_t>(mBytesPerPixel) * x0;
        RK_FillWithColor(dest, mRowBytes, static_cast<std::int32_t>(x1 - x0),
                         static_cast<std::int32_t>(endMemoryRow - firstMemoryRow), mFormat, colour, colourFormat);
    }

    /// A ramp: one fill per column, Y = yOfColumn(x), V and U 0.0, A 1.0.
    /// Rationale: only the columns inside the buffer are visited, so a ramp of
    /// any width ends, and costs no more than the buffer is wide.
    template <typename YOfColumn>
    void Ramp(const PixelRect& r, YOfColumn yOfColumn) const
    {
        const std::int64_t end = EndColumn(r.right);
        for (std::int64_t x = FirstColumn(r.left); x < end; ++x) {
            const std::array<float, 4> value{0.0f, 0.0f, yOfColumn(x), 1.0f};
            Fill(x, r.top, x + 1, r.bottom, value.data(), mFormat);
        }
    }

private:
    unsigned char* mFirstRow;
    std::int32_t mRowBytes;
    std::int64_t mWidth, mHeight;
    std::int64_t mClipWidth, mClipHeight;
    RK_PixelFormat mFormat;
    std::int32_t mBytesPerPixel;
};

// Y rises by one step per column from 0.0 at the left edge towards `end`.
void AscendingRamp(const Canvas& canvas, const PixelRect& r, float end)
{
    const std::int64_t w = r.right - r.left;
    if (w <= 0)
        return;
    const float step = end / static_cast<float>(w);
    canvas.Ramp(r, [&](std::int64_t x) { return static_cast<float>(x - r.left) * step; });
}

// Y is the start value at the left edge and rises towards 0.0 at the right.
void DescendingRamp(const Canvas& canvas, const PixelRect& r, float start)
{
    const std::int64_t w = r.right - r.left;
    if (w <= 0)
        return;
    const float step = start / static_cast<float>(w);
    canvas.Ramp(r, [&](std::int64_t x) { return static_cast<float>(r.right - x) * step; });
}

template <typename Region, std::size_t N, typename PaintRegion>
void Walk(const std::array<Region, N>& table, const Canvas& canvas, PaintRegion paint)
{
    for (const Region& region : table) {
        if (region.y1 == 0.0)
            break;
        paint(region, RegionPixels(region, canvas.Width(), canvas.Height()));
    }
}

void Paint(const SdrBarsTable& table, const Canvas& canvas)
{
    // The float frame takes the 8-bit colours through the fill's conversion
    // and paints the ramp marker as a ramp; the 8-bit frame takes every colour
    // as it stands.
    const bool floatFrame = canvas.Format() == RK_PixelFormat_VUYA_4444_32f;
    Walk(table, canvas, [&](const SdrRegion& region, const PixelRect& r) {
        if (floatFrame && region.colour == kSdrRampMarker)
            AscendingRamp(canvas, r, kHdRampEnd);
        else
            canvas.Fill(r.left, r.top, r.right, r.bottom, region.colour.data(), RK_PixelFormat_VUYA_4444_8u);
    });
}

void Paint(const HdrBarsTable& table, const Canvas& canvas)
{
    Walk(table, canvas, [&](const HdrRegion& region, const PixelRect& r) {
        if (region.colour[0] == kHdrDescendingRampMarker)
            DescendingRamp(canvas, r, kHdrDescendingRampStart);
        else if (region.colour[0] == kHdrAscendingRampMarker)
            AscendingRamp(canvas, r, kHdrAscendingRampEnd);
        else
            canvas.Fill(r.left, r.top, r.right, r.bottom, region.colour.data(), RK_PixelFormat_VUYA_4444_32f);
    });
}

// Whether the buffer can take this picture at all. Rationale: a buffer of
// another pixel format, or whose row pitch cannot hold one of its rows, would
// be written outside its memory; it is left as it is, as one without memory.
bool BufferCanHold(const PictureBuffer& buffer, RK_PixelFormat format)
{
    const std::int64_t rowBytes = std::abs(static_cast<std::int64_t>(buffer.rowBytes));
    return buffer.firstRow != nullptr && buffer.format == format && buffer.width > 0 && buffer.height > 0 &&
           rowBytes >= std::int64_t{buffer.width} * RK_BytesPerPixel(format);
}

} // namespace

void RenderBarsFrame(const PictureBuffer& buffer, const FrameRect& frameRect, const ColorSpaceRow& colorSpace)
{
    if (!BufferCanHold(buffer, colorSpace.format))
        return;
    const std::int64_t width = std::int64_t{frameRect.right} - frameRect.left;
    const std::int64_t height = std::int64_t{frameRect.bottom} - frameRect.top;
    if (width <= 0 || height <= 0)
        return;

    const Canvas canvas(buffer, width, height);
    std::visit([&](const auto* table) { Paint(*table, canvas); }, colorSpace.bars);
}

} // namespace bt
