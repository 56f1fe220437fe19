#pragma once
// Turns a delivered Y'CbCr picture into R'G'B' a person can look at: an 8-bit
// preview (the signal as an sRGB viewer shows it, out-of-range values clipped)
// and a 16-bit picture that keeps the signal, below black and above white
// included, for a PNG whose cICP chunk says how to read it.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace btmedia {

/// Channel layout of a delivered picture: V, U, Y, A per pixel.
enum class VuyaLayout {
    kBytes,  ///< one byte each, studio range (Y 16 to 235, U and V around 128)
    kFloats, ///< 32-bit float each, Y 0.0 to 1.0, U and V around 0.0
};

struct VuyaPicture {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::ptrdiff_t rowBytes = 0;
    const std::uint8_t* firstRow = nullptr; ///< the bottom row of the picture
    VuyaLayout layout = VuyaLayout::kFloats;
};

/// ITU-T H.273 code points of a picture.
struct ColourCodes {
    std::uint8_t primaries = 1;
    std::uint8_t transfer = 1;
    std::uint8_t matrix = 1; ///< 1 BT.709, 5 or 6 BT.601, 9 or 10 BT.2020; others read as BT.709
};

/// R'G'B' 8-bit, rows top to bottom: Y'CbCr decoded with the matrix, studio
/// range expanded, clipped to 0..255.
[[nodiscard]] std::vector<std::uint8_t> PreviewRgb8(const VuyaPicture& picture, std::uint8_t matrix);

/// R'G'B' 16-bit, rows top to bottom, in narrow range: 0.0 is 4096 and 1.0 is
/// 60160 (H.273 quantisation for 16 bits). Rationale: the headroom keeps
/// signals from -0.073 to 1.0959 (the bars' -0.0685 and 1.09 among them)
/// representable; only values beyond that are clipped.
[[nodiscard]] std::vector<std::uint16_t> SignalRgb16(const VuyaPicture& picture, std::uint8_t matrix);

/// How R'G'B' values are quantised at a bit depth.
enum class RgbRange {
    Full,   ///< the preview: 0.0 at 0, 1.0 at the top code, out-of-range values clipped
    Narrow, ///< the signal: 0.0 at 16 and 1.0 at 235 times 2^(bits - 8), excursions kept
};

/// R'G'B' at `bits` per value (8 to 16) in 16-bit words, rows top to bottom.
/// PreviewRgb8 and SignalRgb16 are this at 8 bits Full and 16 bits Narrow.
[[nodiscard]] std::vector<std::uint16_t> RgbWords(const VuyaPicture& picture, std::uint8_t matrix, int bits,
                                                  RgbRange range);

} // namespace btmedia
