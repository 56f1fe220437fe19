#pragma once
// Paints a colour-bars picture into memory laid out as the host lays out its
// frames: walks the region table of the colour space and paints each region
// with one fill, or a ramp with one fill per pixel column. The picture does
// not depend on time; the painting knows nothing of the host's frames or
// suites.

#include "RasterKit/RasterKit.h"
#include "video/ColorSpaceRows.h"

#include <cstdint>

namespace bt {

/// Where a picture goes: rows of pixels, stored bottom-up.
struct PictureBuffer {
    unsigned char* firstRow = nullptr; ///< the bottom row of the picture; null: no memory
    std::int32_t rowBytes = 0;         ///< bytes from one row to the next one up; may be negative
    std::int32_t width = 0;            ///< pixels in a row
    std::int32_t height = 0;           ///< rows
    RK_PixelFormat format = RK_PixelFormat_Invalid;
};

/// The picture's rectangle in pixels; its size is right - left by bottom - top.
struct FrameRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

/// Paints the colour space's picture. [any thread] Writes only the buffer's
/// pixels; a buffer without memory, of another pixel format than the colour
/// space's, or whose rows do not fit its row pitch is left as it is.
///
/// The picture is laid out at the rectangle's size with its bottom row on the
/// buffer's first row, and clipped to the buffer's width and height: a
/// rectangle larger than the buffer paints the part that falls inside, a
/// smaller one leaves the rest as it was.
void RenderBarsFrame(const PictureBuffer& buffer, const FrameRect& frameRect, const ColorSpaceRow& colorSpace);

} // namespace bt
