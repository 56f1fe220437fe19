#pragma once
// Paints a colour-bars picture into a host frame: walks the region table of
// the clip's colour space and paints each region with one fill, or a ramp
// with one fill per pixel column. The picture does not depend on time.

#include "FrameStore/FrameStore.h"
#include "video/ColorSpaceRows.h"

#include <cstdint>

namespace bt {

/// The picture's rectangle in pixels; its size is right - left by bottom - top.
struct FrameRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

/// Paints the colour space's picture. [any thread] Writes only inside the
/// frame; a frame without memory is left as it is.
///
/// The picture is laid out at the rectangle's size with its bottom row on the
/// frame's first row in memory, and clipped to the frame as it was created
/// (its record's width and height): a rectangle larger than the frame paints
/// the part that falls inside, a smaller one leaves the rest as it was.
void RenderBarsFrame(CPixFrameHandle frame, const FrameRect& frameRect, const ColorSpaceRow& colorSpace);

} // namespace bt
