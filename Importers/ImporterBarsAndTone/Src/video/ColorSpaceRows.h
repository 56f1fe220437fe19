#pragma once
// The module's row of each colour space: the host-visible facts
// (ImporterBarsAndTone/ColorSpaces.h) and what only the module needs of it:
// the host's working colour space that a matched sequence brings it from, the
// raster format its frames come in and its bars picture.

#include "ImporterBarsAndTone/ColorSpaces.h"
#include "MediaBridge/WorkingSpace.h"
#include "RasterKit/RasterKit.h"
#include "video/BarsRegion.h"
#include "video/HdBarsTable.h"
#include "video/HlgBarsTable.h"
#include "video/PqBarsTable.h"
#include "video/SdBarsTable.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <variant>

namespace bt {

/// A bars picture: 8-bit colours with the SDR ramp marker, or float colours
/// with the two HDR ramp markers.
using BarsTable = std::variant<const SdrBarsTable*, const HdrBarsTable*>;

struct ColorSpaceRow {
    ColorSpace space;
    zelmediatypes::color::ColorSpace workingSpace;
    RK_PixelFormat format;
    BarsTable bars;

    [[nodiscard]] constexpr const ColorSpaceFacts& Facts() const noexcept { return FactsOf(space); }
};

// clang-format off
inline constexpr std::array<ColorSpaceRow, kColorSpaces.size()> kColorSpaceRows{{
    {ColorSpace::Rec601, MB::WorkingSpace::OR601, RK_PixelFormat_VUYA_4444_8u, &kSdBarsTable},
    {ColorSpace::Rec709, MB::WorkingSpace::OR709, RK_PixelFormat_VUYA_4444_32f, &kHdBarsTable},
    {ColorSpace::Rec2100Hlg, MB::WorkingSpace::OR2100HLG, RK_PixelFormat_VUYA_4444_32f, &kHlgBarsTable},
    {ColorSpace::Rec2100Pq, MB::WorkingSpace::OR2100PQ, RK_PixelFormat_VUYA_4444_32f, &kPqBarsTable},
}};
// clang-format on

constexpr bool RowsFollowTheHostVisibleRows() noexcept
{
    for (std::size_t i = 0; i < kColorSpaceRows.size(); ++i)
        if (kColorSpaceRows[i].space != kColorSpaces[i].space)
            return false;
    return true;
}
static_assert(RowsFollowTheHostVisibleRows());

/// The row a record's colour-space byte names; null for a value no row has.
[[nodiscard]] constexpr const ColorSpaceRow* FindColorSpaceRow(std::uint8_t recordValue) noexcept
{
    return FindColorSpace(recordValue) == nullptr ? nullptr : &kColorSpaceRows[recordValue];
}

} // namespace bt
