#include "btmedia/ContentLight.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace btmedia;

TEST(ContentLight, PqCurveMeetsItsReferencePoints)
{
    // SMPTE ST 2084: 100, 1000 and 10000 cd/m² at these signal values.
    EXPECT_NEAR(PqToCandelas(0.508078), 100.0, 0.05);
    EXPECT_NEAR(PqToCandelas(0.751827), 1000.0, 0.5);
    EXPECT_DOUBLE_EQ(PqToCandelas(1.0), 10000.0);
    EXPECT_DOUBLE_EQ(PqToCandelas(0.0), 0.0);
    EXPECT_DOUBLE_EQ(PqToCandelas(1.09), 10000.0); // above white is held to the curve's end
    EXPECT_DOUBLE_EQ(PqToCandelas(-0.07), 0.0);
}

TEST(ContentLight, BrightestPixelAndFrameAverageOfTheLargestComponent)
{
    // Four by two at 4:2:2: one white pixel, one of 100 cd/m² grey, one of
    // pure red (R' from Cr only, G' and B' below zero), the rest black.
    StudioPicture picture(4, 2, 1, 0);
    StudioPlanes p = picture.Planes();
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x)
            p.plane[0][y * p.stride[0] + x] = 64;
        for (int x = 0; x < 2; ++x)
            p.plane[1][y * p.stride[1] + x] = p.plane[2][y * p.stride[2] + x] = 512;
    }
    p.plane[0][0] = 940;                   // white: 10000
    p.plane[0][1] = 64 + 445;              // Y' 0.50799: 99.96
    p.plane[2][1 * p.stride[2] + 1] = 960; // row 1, pixels 2 and 3: Cr 0.5, so R' = 0.7373
    const ContentLight levels = MeasurePqContentLight(p);
    EXPECT_EQ(levels.maxCll, 10000u);
    const double red = PqToCandelas(2.0 * (1.0 - 0.2627) * 0.5);
    EXPECT_EQ(levels.maxFall, static_cast<unsigned>(std::lround((10000.0 + PqToCandelas(445.0 / 876.0) + 2 * red) / 8.0)));
}
