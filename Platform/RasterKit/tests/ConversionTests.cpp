#include "RasterKit/RasterKit.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <limits>

namespace {

using Floats = std::array<float, 4>;
using Bytes = std::array<unsigned char, 4>;

Floats ToFloat(Bytes vuya)
{
    Floats out{};
    EXPECT_EQ(RK_ConvertPixel(vuya.data(), RK_PixelFormat_VUYA_4444_8u, out.data(), RK_PixelFormat_VUYA_4444_32f),
              RK_Success);
    return out;
}

Bytes ToBytes(Floats vuya)
{
    Bytes out{};
    EXPECT_EQ(RK_ConvertPixel(vuya.data(), RK_PixelFormat_VUYA_4444_32f, out.data(), RK_PixelFormat_VUYA_4444_8u),
              RK_Success);
    return out;
}

// Rec. 709 Y'CbCr of an R'G'B' triple, straight from the luma coefficients.
std::array<double, 3> Rec709(double r, double g, double b)
{
    const double kr = 0.2126, kb = 0.0722;
    const double y = kr * r + (1.0 - kr - kb) * g + kb * b;
    return {y, (b - y) / (2.0 * (1.0 - kb)), (r - y) / (2.0 * (1.0 - kr))};
}

struct Bar {
    const char* name;
    Bytes vuya; ///< Rec. 601 studio-range code of the bar
    double r, g, b;
};

// The bars as the SD and HD pictures code them, with the R'G'B' they stand for.
const Bar kBars[] = {
    {"75% yellow", {142, 44, 161, 255}, 0.75, 0.75, 0.0},
    {"75% cyan", {44, 156, 131, 255}, 0.0, 0.75, 0.75},
    {"75% green", {58, 72, 112, 255}, 0.0, 0.75, 0.0},
    {"75% magenta", {198, 184, 84, 255}, 0.75, 0.0, 0.75},
    {"75% red", {212, 100, 65, 255}, 0.75, 0.0, 0.0},
    {"75% blue", {114, 212, 35, 255}, 0.0, 0.0, 0.75},
    {"100% cyan", {16, 166, 169, 255}, 0.0, 1.0, 1.0},
    {"100% yellow", {146, 16, 210, 255}, 1.0, 1.0, 0.0},
    {"100% blue", {110, 240, 41, 255}, 0.0, 0.0, 1.0},
    {"100% red", {240, 90, 82, 255}, 1.0, 0.0, 0.0},
};

} // namespace

TEST(RasterKitConversion, GreysBlackAndWhiteAreExactAndNeutral)
{
    for (int y = 0; y < 256; ++y) {
        const Floats f = ToFloat({128, 128, static_cast<unsigned char>(y), 255});
        EXPECT_EQ(f[2], static_cast<float>((y - 16) / 219.0)) << y;
        // Neutral colour difference is +0.0, not merely close to it.
        EXPECT_EQ(std::bit_cast<std::uint32_t>(f[0]), 0u) << y;
        EXPECT_EQ(std::bit_cast<std::uint32_t>(f[1]), 0u) << y;
        EXPECT_EQ(f[3], 1.0f);
    }
    EXPECT_EQ(ToFloat({128, 128, 16, 0})[3], 0.0f);
}

TEST(RasterKitConversion, BarsLandOnTheirRec709ValuesWithinOneCodeStep)
{
    for (const Bar& bar : kBars) {
        const Floats f = ToFloat(bar.vuya);
        const auto expected = Rec709(bar.r, bar.g, bar.b);
        EXPECT_NEAR(f[2], expected[0], 1.0 / 219.0) << bar.name;
        EXPECT_NEAR(f[1], expected[1], 1.0 / 224.0) << bar.name;
        EXPECT_NEAR(f[0], expected[2], 1.0 / 224.0) << bar.name;
    }
    // 75% yellow: (161, 44, 142) in Rec. 601 is (168, 44, 136) in Rec. 709.
    const Floats yellow = ToFloat({142, 44, 161, 255});
    EXPECT_EQ(std::lround(16.0 + 219.0 * double{yellow[2]}), 168);
    EXPECT_EQ(std::lround(128.0 + 224.0 * double{yellow[1]}), 44);
    EXPECT_EQ(std::lround(128.0 + 224.0 * double{yellow[0]}), 136);
}

TEST(RasterKitConversion, FloatToBytesInvertsAndClamps)
{
    for (const Bar& bar : kBars)
        EXPECT_EQ(ToBytes(ToFloat(bar.vuya)), bar.vuya) << bar.name;
    for (int v = 0; v < 256; v += 5)
        for (int u = 0; u < 256; u += 7)
            for (int y = 0; y < 256; y += 11) {
                const Bytes code{static_cast<unsigned char>(v), static_cast<unsigned char>(u),
                                 static_cast<unsigned char>(y), 255};
                ASSERT_EQ(ToBytes(ToFloat(code)), code);
            }
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(ToBytes({0.0f, 0.0f, 2.0f, 2.0f}), (Bytes{128, 128, 255, 255}));
    EXPECT_EQ(ToBytes({0.0f, 0.0f, -1.0f, -1.0f}), (Bytes{128, 128, 0, 0}));
    EXPECT_EQ(ToBytes({0.0f, 0.0f, nan, 1.0f}), (Bytes{128, 128, 0, 255}));
}

TEST(RasterKitConversion, RefusesUnknownFormatsAndMissingPixels)
{
    const Bytes code{1, 2, 3, 4};
    Bytes copy{};
    EXPECT_EQ(RK_ConvertPixel(code.data(), RK_PixelFormat_Invalid, copy.data(), RK_PixelFormat_VUYA_4444_8u),
              RK_ErrorUnsupportedFormat);
    EXPECT_EQ(RK_ConvertPixel(nullptr, RK_PixelFormat_VUYA_4444_8u, copy.data(), RK_PixelFormat_VUYA_4444_8u),
              RK_ErrorBadParameter);
}
