#include "zelmediatypes/PixelAspectRatio.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

using namespace zelmediatypes;

namespace {
std::string Rounded(PixelAspectRatio r, int digits)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", digits, r.GetValue());
    return text;
}
} // namespace

TEST(PixelAspectRatio, NamedRatiosReproduceTheirLabels)
{
    EXPECT_EQ(Rounded(kPixelAspectRatio_Square, 1), "1.0");
    EXPECT_EQ(Rounded(kPixelAspectRatio_DVNTSC, 4), "0.9091");
    EXPECT_EQ(Rounded(kPixelAspectRatio_DVNTSCWide, 4), "1.2121");
    EXPECT_EQ(Rounded(kPixelAspectRatio_DVPAL, 4), "1.0940");
    EXPECT_EQ(Rounded(kPixelAspectRatio_DVPALWide, 4), "1.4587");
    EXPECT_EQ(Rounded(kPixelAspectRatio_Anamorphic, 1), "2.0");
    EXPECT_EQ(Rounded(kPixelAspectRatio_HDAnamorphic1080, 3), "1.333");
    EXPECT_EQ(Rounded(kPixelAspectRatio_DVCProHD, 1), "1.5");
}

TEST(PixelAspectRatio, EqualityComparesValues)
{
    EXPECT_EQ(PixelAspectRatio(20, 22), kPixelAspectRatio_DVNTSC);
    EXPECT_NE(kPixelAspectRatio_DVNTSC, kPixelAspectRatio_DVNTSCWide);
    EXPECT_EQ(PixelAspectRatio(0, 0), PixelAspectRatio(0, 0));
    EXPECT_NE(PixelAspectRatio(1, 0), PixelAspectRatio(2, 0));
    EXPECT_NE(PixelAspectRatio(0, 0), PixelAspectRatio(0, 5));
}
