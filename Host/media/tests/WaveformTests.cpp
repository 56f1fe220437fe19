#include "btmedia/Waveform.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <vector>

namespace {

std::array<std::uint8_t, 3> Pixel(const btmedia::RgbImage& image, int x, int y)
{
    const auto at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) + static_cast<std::size_t>(x)) * 3;
    return {image.rgb[at], image.rgb[at + 1], image.rgb[at + 2]};
}

} // namespace

TEST(Waveform, EachLaneFillsBetweenItsEnvelopesScaledToTheLoudestValue)
{
    const std::vector<std::vector<float>> upper{{0.5f, 0.25f, 0.0f}, {0.125f, std::numeric_limits<float>::quiet_NaN(), 0.0f}};
    const std::vector<std::vector<float>> lower{{-0.5f, -0.25f, 0.0f}, {-0.125f, 0.0f, 0.0f}};
    const auto image = btmedia::DrawWaveform(upper, lower);
    ASSERT_EQ(image.width, 3);
    ASSERT_EQ(image.height, 2 * btmedia::kWaveformLaneHeight + btmedia::kWaveformLaneGap);

    const int half = btmedia::kWaveformLaneHeight / 2 - 1; // 0.5, the loudest value, reaches this far
    const int centre0 = btmedia::kWaveformLaneHeight / 2;
    const auto background = Pixel(image, 0, 0);
    const auto lane0 = Pixel(image, 0, centre0);
    EXPECT_NE(lane0, background);
    EXPECT_EQ(Pixel(image, 0, centre0 - half), lane0);
    EXPECT_EQ(Pixel(image, 0, centre0 + half), lane0);
    EXPECT_EQ(Pixel(image, 0, centre0 - half - 1), background);
    // 0.25 reaches half as far (rounded to the nearest row).
    EXPECT_EQ(Pixel(image, 1, centre0 - 24), lane0);
    EXPECT_EQ(Pixel(image, 1, centre0 - 25), background);
    // Silence is the centre row alone.
    EXPECT_EQ(Pixel(image, 2, centre0), lane0);
    EXPECT_EQ(Pixel(image, 2, centre0 - 1), background);

    const int centre1 = btmedia::kWaveformLaneHeight + btmedia::kWaveformLaneGap + centre0;
    const auto lane1 = Pixel(image, 0, centre1);
    EXPECT_NE(lane1, lane0);
    EXPECT_EQ(Pixel(image, 0, centre1 - 12), lane1);
    EXPECT_NE(Pixel(image, 0, centre1 - 13), lane1);
    EXPECT_NE(Pixel(image, 1, centre1), lane1); // not a number: nothing drawn
}
