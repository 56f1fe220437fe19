#pragma once
// How the pictures of each colour space are to be read: ITU-T H.273 code
// points for colour primaries, transfer characteristics and matrix
// coefficients.

#include <array>
#include <cstdint>

namespace bt {

struct CodePoints {
    std::uint32_t primaries;
    std::uint32_t transfer;
    std::uint32_t matrix;
};

// One row per colorSpaceType. Rec. 601 pictures are described with BT.709
// primaries, as the host expects.
inline constexpr std::array<CodePoints, 4> kCodePointsByColorSpace{{
    {1, 6, 5},   // 0 Rec. 601: BT.709 primaries, BT.601 transfer, BT.601 625-line matrix
    {1, 1, 1},   // 1 Rec. 709
    {9, 18, 9},  // 2 Rec. 2100 HLG: BT.2020 primaries, ARIB STD-B67, BT.2020 non-constant luminance
    {9, 16, 9},  // 3 Rec. 2100 PQ: BT.2020 primaries, SMPTE ST 2084, BT.2020 non-constant luminance
}};
/// Colour spaces the module does not know are described as Rec. 709.
inline constexpr CodePoints kCodePointsOtherwise{1, 1, 1};

[[nodiscard]] constexpr CodePoints CodePointsFor(std::uint8_t colorSpaceType) noexcept
{
    return colorSpaceType < kCodePointsByColorSpace.size() ? kCodePointsByColorSpace[colorSpaceType]
                                                           : kCodePointsOtherwise;
}

} // namespace bt
