#pragma once
// Block fills of pixel buffers, with conversion of the fill colour between
// pixel formats.

#include "zelmediatypes/PixelFormat.h"

#include <cstdint>

/// Pixel formats of the raster layer.
enum RK_PixelFormat : std::int32_t {
    RK_PixelFormat_Invalid = 0,
    /// V, U, Y, A, one byte each: studio range (Y 16 black, 235 nominal
    /// white; U and V 128 neutral; A 255 opaque), Rec. 601 colour difference.
    RK_PixelFormat_VUYA_4444_8u = 2061,
    /// V, U, Y, A, 32-bit float each: Y 0.0 black, 1.0 nominal white; U and
    /// V 0.0 neutral, +-0.5 nominal extremes; A 1.0 opaque. Rec. 709 colour
    /// difference; values outside the nominal ranges are kept as they are.
    RK_PixelFormat_VUYA_4444_32f = 2829,
};

using RK_Result = std::int32_t;
inline constexpr RK_Result RK_Success = 0;
inline constexpr RK_Result RK_ErrorBadParameter = -1;     ///< null pointer; nothing written
inline constexpr RK_Result RK_ErrorUnsupportedFormat = -2; ///< unknown format; nothing written

/// Bytes one pixel takes; 0 for an unknown format.
[[nodiscard]] std::int32_t RK_BytesPerPixel(RK_PixelFormat format) noexcept;

/// Converts one pixel value from one format to another. 2061 to 2829 scales
/// from studio range and re-matrixes from Rec. 601 to Rec. 709 colour
/// difference (greys, black, white and neutral colour difference exactly);
/// 2829 to 2061 is the inverse, rounded to nearest and clamped to 0..255;
/// a format to itself copies the pixel unchanged.
RK_Result RK_ConvertPixel(const void* source, RK_PixelFormat sourceFormat, void* dest, RK_PixelFormat destFormat) noexcept;

/// Fills a block of width pixels by height rows with one colour. The first
/// row begins at dest, each further row rowBytes bytes later (rowBytes may be
/// negative, or larger than the row). colour is one pixel in colourFormat and
/// is converted once to destFormat. A width or height of 0 or less writes
/// nothing and succeeds. [any thread] Writes only the block's bytes.
RK_Result RK_FillWithColor(void* dest, std::int32_t rowBytes, std::int32_t width, std::int32_t height,
                           RK_PixelFormat destFormat, const void* colour, RK_PixelFormat colourFormat) noexcept;

/// The media layer's pixel format of a raster format; invalid for an unknown one.
[[nodiscard]] zelmediatypes::PixelFormat RK_RKPixelFormatToZELPixelFormat(RK_PixelFormat format) noexcept;
