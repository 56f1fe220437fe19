#pragma once
// The one pixel format in which a clip's pictures come, by colour space.

#include "RasterKit/RasterKit.h"

#include <cstdint>

namespace bt {

/// The raster format of the colour space's row; 2061 (8-bit V, U, Y, A) for
/// a value no row has.
[[nodiscard]] RK_PixelFormat BarsPixelFormat(std::uint8_t colorSpaceType) noexcept;

/// The host's pixel-format code of a raster format, through the media layer.
[[nodiscard]] std::uint32_t HostPixelFormatCode(RK_PixelFormat format) noexcept;

} // namespace bt
