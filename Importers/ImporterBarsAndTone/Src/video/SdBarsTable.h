#pragma once
// The Rec. 601 bars picture (colorSpaceType 0): 22 regions. The edges are
// these decimals, not exact sevenths: the bottom band's fourth edge is 0.7144
// where the upper bands use 0.7143, and its third edge is 0.5358.

#include "video/BarsRegion.h"

namespace bt {

// clang-format off
inline constexpr SdrBarsTable kSdBarsTable{{
    // 75% bars over the top 0.66
    {0.0, 0.0, 0.1428, 0.66, {128, 128, 180, 255}},    //  1 75% white
    {0.1428, 0.0, 0.2857, 0.66, {142, 44, 161, 255}},  //  2 75% yellow
    {0.2857, 0.0, 0.4286, 0.66, {44, 156, 131, 255}},  //  3 75% cyan
    {0.4286, 0.0, 0.5714, 0.66, {58, 72, 112, 255}},   //  4 75% green
    {0.5714, 0.0, 0.7143, 0.66, {198, 184, 84, 255}},  //  5 75% magenta
    {0.7143, 0.0, 0.8571, 0.66, {212, 100, 65, 255}},  //  6 75% red
    {0.8571, 0.0, 1.0, 0.66, {114, 212, 35, 255}},     //  7 75% blue
    // reversed bars
    {0.0, 0.66, 0.1428, 0.75, {114, 212, 35, 255}},    //  8 75% blue
    {0.1428, 0.66, 0.2857, 0.75, {128, 128, 16, 255}}, //  9 black
    {0.2857, 0.66, 0.4286, 0.75, {198, 184, 84, 255}}, // 10 75% magenta
    {0.4286, 0.66, 0.5714, 0.75, {128, 128, 16, 255}}, // 11 black
    {0.5714, 0.66, 0.7143, 0.75, {44, 156, 131, 255}}, // 12 75% cyan
    {0.7143, 0.66, 0.8571, 0.75, {128, 128, 16, 255}}, // 13 black
    {0.8571, 0.66, 1.0, 0.75, {128, 128, 180, 255}},   // 14 75% white
    // -I, 100% white, +Q and the black-level set (Y 7, 16, 25)
    {0.0, 0.75, 0.1786, 1.0, {97, 156, 58, 255}},      // 15 -I
    {0.1786, 0.75, 0.3571, 1.0, {128, 128, 235, 255}}, // 16 100% white
    {0.3571, 0.75, 0.5358, 1.0, {148, 171, 44, 255}},  // 17 +Q
    {0.5358, 0.75, 0.7144, 1.0, {128, 128, 16, 255}},  // 18 black
    {0.7144, 0.75, 0.7626, 1.0, {128, 128, 7, 255}},   // 19 below black
    {0.7626, 0.75, 0.8095, 1.0, {128, 128, 16, 255}},  // 20 black
    {0.8095, 0.75, 0.8571, 1.0, {128, 128, 25, 255}},  // 21 above black
    {0.8571, 0.75, 1.0, 1.0, {128, 128, 16, 255}},     // 22 black
}};
// clang-format on

static_assert(CountRegions(kSdBarsTable) == 22);
static_assert(BandsTileTheWidth(kSdBarsTable));

} // namespace bt
