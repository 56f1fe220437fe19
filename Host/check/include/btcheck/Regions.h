#pragma once
// The regions of a bars picture, found in the picture itself: bands of
// identical rows, and within each band runs of one colour (a patch) or a run
// of narrow steps of rising luma at one colour difference (a ramp).
//
// Rationale: the module's region tables stay the module's; a host that knows
// the picture only as the module delivers it can still find every patch and
// ramp from the codes, at any size, and so measures each one away from its
// edges without a second copy of the tables.

#include "btmedia/StudioPicture.h"

#include <array>
#include <cstdint>
#include <vector>

namespace btcheck {

using Codes = std::array<std::uint16_t, 3>; ///< 10-bit Y', Cb, Cr

struct Region {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0; ///< pixels; right and bottom exclusive
    int band = 0;
    bool ramp = false;
    Codes code{};               ///< a patch's codes
    std::vector<Codes> columns; ///< a ramp's codes, one per column from x0
};

struct Band {
    int y0 = 0, y1 = 0;
};

struct Layout {
    int width = 0;
    int height = 0;
    std::vector<Band> bands;
    std::vector<Region> regions; ///< band by band, left to right
};

/// Splits the picture into bands and regions.
[[nodiscard]] Layout FindRegions(btmedia::StudioPicture& picture);

} // namespace btcheck
