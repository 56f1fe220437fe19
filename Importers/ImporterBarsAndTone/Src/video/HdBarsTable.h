#pragma once
// The Rec. 709 bars picture (colorSpaceType 1): 29 regions in painting order,
// colours as V, U, Y, A bytes in studio range with Rec. 601 colour
// difference, as in the SD picture; the fill converts them into the float
// frame. Region 16 carries the ramp marker. The -I patch is V 98 where the SD
// picture has 97.

#include "video/BarsRegion.h"

namespace bt {

// clang-format off
inline constexpr std::array<SdrRegion, kSdrTableCapacity> kHdBarsTable{{
    // 75% bars between 40% grey side columns
    {0.0, 0.0, 0.125, 0.5833, {128, 128, 104, 255}},       //  1 40% grey
    {0.125, 0.0, 0.2318, 0.5833, {128, 128, 180, 255}},    //  2 75% white
    {0.2318, 0.0, 0.3391, 0.5833, {142, 44, 161, 255}},    //  3 75% yellow
    {0.3391, 0.0, 0.4464, 0.5833, {44, 156, 131, 255}},    //  4 75% cyan
    {0.4464, 0.0, 0.5536, 0.5833, {58, 72, 112, 255}},     //  5 75% green
    {0.5536, 0.0, 0.6609, 0.5833, {198, 184, 84, 255}},    //  6 75% magenta
    {0.6609, 0.0, 0.7682, 0.5833, {212, 100, 65, 255}},    //  7 75% red
    {0.7682, 0.0, 0.875, 0.5833, {114, 212, 35, 255}},     //  8 75% blue
    {0.875, 0.0, 1.0, 0.5833, {128, 128, 104, 255}},       //  9 40% grey
    // 100% cyan, -I, 75% white, 100% blue
    {0.0, 0.5833, 0.125, 0.6667, {16, 166, 169, 255}},     // 10 100% cyan
    {0.125, 0.5833, 0.2318, 0.6667, {98, 156, 58, 255}},   // 11 -I
    {0.2318, 0.5833, 0.875, 0.6667, {128, 128, 180, 255}}, // 12 75% white
    {0.875, 0.5833, 1.0, 0.6667, {110, 240, 41, 255}},     // 13 100% blue
    // 100% yellow, +Q, the 0 to 100% ramp, 100% white, 100% red
    {0.0, 0.6667, 0.125, 0.75, {146, 16, 210, 255}},       // 14 100% yellow
    {0.125, 0.6667, 0.2318, 0.75, {148, 171, 44, 255}},    // 15 +Q
    {0.2318, 0.6667, 0.7677, 0.75, {255, 255, 255, 255}},  // 16 ramp marker: ascending ramp, end value 1.0
    {0.7677, 0.6667, 0.875, 0.75, {128, 128, 235, 255}},   // 17 100% white
    {0.875, 0.6667, 1.0, 0.75, {240, 90, 82, 255}},        // 18 100% red
    // 15% grey, black, 100% white and the black-level set (Y 12, 16, 20, 25)
    {0.0, 0.75, 0.125, 1.0, {128, 128, 49, 255}},          // 19 15% grey
    {0.125, 0.75, 0.2859, 1.0, {128, 128, 16, 255}},       // 20 black
    {0.2859, 0.75, 0.5, 1.0, {128, 128, 235, 255}},        // 21 100% white
    {0.5, 0.75, 0.5891, 1.0, {128, 128, 16, 255}},         // 22 black
    {0.5891, 0.75, 0.625, 1.0, {128, 128, 12, 255}},       // 23 below black
    {0.625, 0.75, 0.6604, 1.0, {128, 128, 16, 255}},       // 24 black
    {0.6604, 0.75, 0.6964, 1.0, {128, 128, 20, 255}},      // 25 above black
    {0.6964, 0.75, 0.7318, 1.0, {128, 128, 16, 255}},      // 26 black
    {0.7318, 0.75, 0.7677, 1.0, {128, 128, 25, 255}},      // 27 above black
    {0.7677, 0.75, 0.875, 1.0, {128, 128, 16, 255}},       // 28 black
    {0.875, 0.75, 1.0, 1.0, {128, 128, 49, 255}},          // 29 15% grey
}};
// clang-format on

static_assert(CountRegions(kHdBarsTable) == 29);
static_assert(BandsTileTheWidth(kHdBarsTable));
static_assert(kHdBarsTable[15].colour == kSdrRampMarker);

} // namespace bt
