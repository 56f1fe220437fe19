#pragma once
// Colour tags the media layer attaches to pictures.

#include <cstdint>

namespace MB::ColorTags {

/// How many bits a picture's samples were coded with. An 8-bit value; the top
/// bit marks floating point.
enum class EncodingBitDepth : std::uint8_t {
    kUnknown = 0,
    k8 = 8,
    k10 = 10,
    k12 = 12,
    k16 = 16,
    kFloat16 = 0x80 | 16,
    kFloat32 = 0x80 | 32,
};

} // namespace MB::ColorTags
