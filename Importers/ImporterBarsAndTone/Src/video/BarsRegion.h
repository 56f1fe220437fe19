#pragma once
// The record types of the bars pictures: rectangles as fractions of the
// frame's width and height (y from the top of the picture, right and bottom
// exclusive), each with one colour or a ramp marker. A table ends with a
// terminator record whose y1 is 0.0.

#include <array>
#include <cstddef>
#include <cstdint>

namespace bt {

/// A region of the SD and HD pictures: colour as V, U, Y, A bytes in studio
/// range with Rec. 601 colour difference (the HD picture too); the fill
/// converts them into the float frame. Regions are listed in painting order.
struct SdrRegion {
    double x0, y0, x1, y1;
    std::array<std::uint8_t, 4> colour;
};

/// A region of the HLG and PQ pictures: colour as V, U, Y, A floats with
/// Rec. 2020 luma coefficients, already in the colour space's signal domain.
/// Every value is the float its decimal names, sign included: the tiny
/// colour-difference values and negative zeros are part of the picture.
struct HdrRegion {
    double x0, y0, x1, y1;
    std::array<float, 4> colour;
};

/// SDR colour that marks the luminance ramp.
inline constexpr std::array<std::uint8_t, 4> kSdrRampMarker{255, 255, 255, 255};
/// First component that marks the HDR ramps; no colour of the HDR tables has either.
inline constexpr float kHdrDescendingRampMarker = -1.0f;
inline constexpr float kHdrAscendingRampMarker = 1.0f;

/// The SD and HD tables have room for this many records.
inline constexpr std::size_t kSdrTableCapacity = 44;
using SdrBarsTable = std::array<SdrRegion, kSdrTableCapacity>;

/// Both HDR pictures have 51 regions in painting order. Region 34 marks the
/// descending ramp (-0.0685 up to 0.0), region 35 the ascending ramp (0.0 up
/// to 1.09).
inline constexpr std::size_t kHdrRegionCount = 51;
using HdrBarsTable = std::array<HdrRegion, kHdrRegionCount + 1>; // and the terminator

template <typename Region, std::size_t N>
constexpr std::size_t CountRegions(const std::array<Region, N>& table)
{
    std::size_t n = 0;
    while (n < N && table[n].y1 != 0.0)
        ++n;
    return n;
}

/// True when every band (run of regions with the same top and bottom) runs
/// from the left edge to the right edge without gap or overlap.
template <typename Region, std::size_t N>
constexpr bool BandsTileTheWidth(const std::array<Region, N>& table)
{
    const std::size_t n = CountRegions(table);
    for (std::size_t i = 0; i < n; ++i) {
        const bool firstOfBand = i == 0 || table[i - 1].y0 != table[i].y0 || table[i - 1].y1 != table[i].y1;
        const bool lastOfBand = i + 1 == n || table[i + 1].y0 != table[i].y0 || table[i + 1].y1 != table[i].y1;
        if (firstOfBand && table[i].x0 != 0.0)
            return false;
        if (!firstOfBand && table[i - 1].x1 != table[i].x0)
            return false;
        if (lastOfBand && table[i].x1 != 1.0)
            return false;
    }
    return true;
}

/// True when an HDR table has its 51 regions and the ramp markers where the
/// renderer looks for them.
constexpr bool HasHdrBarsLayout(const HdrBarsTable& table)
{
    return CountRegions(table) == kHdrRegionCount && table[33].colour[0] == kHdrDescendingRampMarker &&
           table[34].colour[0] == kHdrAscendingRampMarker;
}

} // namespace bt
