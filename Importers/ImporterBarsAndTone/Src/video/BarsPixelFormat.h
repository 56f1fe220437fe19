#pragma once
// The one pixel format in which a clip's pictures come, by colour space.

#include "RasterKit/RasterKit.h"

#include <cstdint>

namespace bt {

/// The host's code of the float frame (format 2829); the renderer recognises
/// the Rec. 709 frame by it.
inline constexpr std::uint32_t kFloatFrameHostCode = 0x37785556;

/// 2829 (float V, U, Y, A) for Rec. 709, HLG and PQ; 2061 (8-bit V, U, Y, A)
/// for Rec. 601 and for every colour space the module does not know.
[[nodiscard]] RK_PixelFormat BarsPixelFormat(std::uint8_t colorSpaceType) noexcept;

/// The host's pixel-format code of a raster format, through the media layer.
[[nodiscard]] std::uint32_t HostPixelFormatCode(RK_PixelFormat format) noexcept;

} // namespace bt
