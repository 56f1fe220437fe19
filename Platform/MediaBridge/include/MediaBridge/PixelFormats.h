#pragma once
// Conversions between the media layer's pixel formats and the host's 32-bit
// pixel-format codes (CvPixelFormat).

#include "MediaBridge/ColorTags.h"
#include "zelmediatypes/PixelFormat.h"

#include <cstdint>

namespace MB {

using CvPixelFormat = std::uint32_t;

inline constexpr CvPixelFormat kCvPixelFormatInvalid = 0;
inline constexpr CvPixelFormat kCvPixelFormat_VUYA_4444_8u = 0x41595556;  ///< bytes "VUYA"
inline constexpr CvPixelFormat kCvPixelFormat_VUYA_4444_32f = 0x37785556; ///< bytes "VUx7"

/// The host code of a media-layer format; kCvPixelFormatInvalid for a format the host does not know.
[[nodiscard]] CvPixelFormat BEToSDKPixelFormat(zelmediatypes::PixelFormat format) noexcept;
/// The media-layer format of a host code, descriptor included; an invalid
/// format (all zero) for an unknown code.
[[nodiscard]] zelmediatypes::PixelFormat SDKToBEPixelFormat(CvPixelFormat code) noexcept;
/// The colour tag for a channel depth; kUnknown for depths without one.
[[nodiscard]] ColorTags::EncodingBitDepth ChannelBitDepthToEncodingBitDepth(zelmediatypes::ChannelBitDepth depth) noexcept;

} // namespace MB
