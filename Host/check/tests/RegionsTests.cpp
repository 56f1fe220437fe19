// Finding patches and ramps in a picture made here: two bands, the upper of
// two patches, the lower a ramp followed by a patch.

#include "btcheck/Regions.h"

#include <gtest/gtest.h>

using namespace btcheck;

TEST(Regions, BandsPatchesAndARampAreFound)
{
    btmedia::StudioPicture picture(64, 30);
    btmedia::StudioPlanes p = picture.Planes();
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 64; ++x) {
            std::uint16_t luma = 0;
            if (y < 12)
                luma = x < 24 ? 300 : 700;
            else
                luma = x < 40 ? static_cast<std::uint16_t>(64 + 3 * x) : 940;
            p.plane[0][y * p.stride[0] + x] = luma;
            p.plane[1][y * p.stride[1] + x] = 512;
            p.plane[2][y * p.stride[2] + x] = y < 12 && x >= 24 ? 600 : 512;
        }
    const Layout layout = FindRegions(picture);
    ASSERT_EQ(layout.bands.size(), 2u);
    EXPECT_EQ(layout.bands[1].y0, 12);
    ASSERT_EQ(layout.regions.size(), 4u);
    EXPECT_EQ(layout.regions[0].x1, 24);
    EXPECT_EQ(layout.regions[1].code, (Codes{700, 512, 600}));
    const Region& ramp = layout.regions[2];
    EXPECT_TRUE(ramp.ramp);
    EXPECT_EQ(ramp.x1, 40);
    ASSERT_EQ(ramp.columns.size(), 40u);
    EXPECT_EQ(ramp.columns[10][0], 94);
    EXPECT_FALSE(layout.regions[3].ramp);
}
