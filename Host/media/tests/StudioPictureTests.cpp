#include "btmedia/StudioPicture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <vector>

using namespace btmedia;

namespace {

float Luma(float y) { return static_cast<float>(StudioCode(y, 64.0f, 876.0f)); }
float Chroma(float c) { return static_cast<float>(StudioCode(c, 512.0f, 896.0f)); }

} // namespace

TEST(StudioCode, NominalLevelsLandOnTheTenBitStudioCodes)
{
    EXPECT_EQ(Luma(0.0f), 64);
    EXPECT_EQ(Luma(1.0f), 940);
    EXPECT_EQ(Chroma(0.0f), 512);
    EXPECT_EQ(Chroma(-0.5f), 64);
    EXPECT_EQ(Chroma(0.5f), 960);
    // 75% white of the 8-bit table (Y 180) after its float scaling.
    EXPECT_EQ(Luma((180.0f - 16.0f) / 219.0f), 720);
}

TEST(StudioCode, SignalOutsideNominalSurvivesUpToTheReservedCodes)
{
    EXPECT_EQ(Luma(-0.0685f), 4);   // lowest HDR step: 64 - 60.006 rounds to 4
    EXPECT_EQ(Luma(1.09f), 1019);   // highest HDR step: 1018.84
    EXPECT_EQ(Luma(-0.0183f), 48);  // 64 - 16.03
    EXPECT_EQ(Luma(0.0183f), 80);
    EXPECT_EQ(Luma(-1.0f), 4);
    EXPECT_EQ(Luma(2.0f), 1019);
    EXPECT_EQ(Luma(std::numeric_limits<float>::quiet_NaN()), 1019);
    EXPECT_EQ(Luma(-std::numeric_limits<float>::infinity()), 4);
}

TEST(ConvertToStudio, FloatFrameIsReadBottomUpInVuyaOrderWithPaddedPitch)
{
    // 2 x 2 picture, pitch of three pixels. Memory row 0 is the bottom row.
    const int width = 2, height = 2;
    const std::size_t pitchFloats = 3 * 4;
    std::vector<float> memory(pitchFloats * height, -9.0f);
    auto put = [&](int x, int pictureRow, float v, float u, float y) {
        float* p = memory.data() + (height - 1 - pictureRow) * pitchFloats + x * 4;
        p[0] = v, p[1] = u, p[2] = y, p[3] = 1.0f;
    };
    put(0, 0, 0.0f, 0.0f, 0.0f);      // top left: black
    put(1, 0, 0.25f, -0.25f, 0.5f);   // top right
    put(0, 1, 0.0f, 0.0f, 1.0f);      // bottom left: white
    put(1, 1, -0.5f, 0.5f, -0.0685f); // bottom right

    StudioPicture picture(width, height);
    ConvertToStudio({width, height, static_cast<std::ptrdiff_t>(pitchFloats * sizeof(float)),
                     reinterpret_cast<const std::uint8_t*>(memory.data()), VuyaLayout::kFloats},
                    picture.Planes());

    EXPECT_EQ(picture.At(0, 0, 0), 64);
    EXPECT_EQ(picture.At(0, 1, 0), 502); // 64 + 438
    EXPECT_EQ(picture.At(1, 1, 0), 288); // Cb from U: 512 - 224
    EXPECT_EQ(picture.At(2, 1, 0), 736); // Cr from V: 512 + 224
    EXPECT_EQ(picture.At(0, 0, 1), 940);
    EXPECT_EQ(picture.At(0, 1, 1), 4);
    EXPECT_EQ(picture.At(1, 1, 1), 960);
    EXPECT_EQ(picture.At(2, 1, 1), 64);
}

TEST(ConvertToStudio, EightBitFrameWidensExactly)
{
    const int width = 4, height = 1;
    const unsigned char pixels[] = {128, 128, 16, 255,  128, 128, 235, 255,
                                    240, 90, 12, 255,   0, 255, 254, 255};
    StudioPicture picture(width, height);
    ConvertToStudio({width, height, 16, pixels, VuyaLayout::kBytes}, picture.Planes());
    EXPECT_EQ(picture.At(0, 0, 0), 64);
    EXPECT_EQ(picture.At(0, 1, 0), 940);
    EXPECT_EQ(picture.At(0, 2, 0), 48);   // below black kept
    EXPECT_EQ(picture.At(2, 2, 0), 960);  // V 240
    EXPECT_EQ(picture.At(1, 2, 0), 360);  // U 90
    EXPECT_EQ(picture.At(2, 3, 0), 4);    // V 0: held to the lowest picture code
    EXPECT_EQ(picture.At(1, 3, 0), 1019); // U 255: held to the highest
    EXPECT_EQ(picture.At(0, 3, 0), 1016);
}

TEST(ConvertToStudio, RefusesWhatItCannotRead)
{
    const std::uint8_t pixel[16] = {};
    StudioPicture picture(1, 1);
    EXPECT_THROW(ConvertToStudio({1, 1, 16, nullptr, VuyaLayout::kFloats}, picture.Planes()), std::invalid_argument);
    EXPECT_THROW(ConvertToStudio({2, 1, 16, pixel, VuyaLayout::kFloats}, picture.Planes()), std::invalid_argument);
}
