#include "btmedia/Waveform.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <vector>

namespace {

using btmedia::kWaveformLaneGap;
using btmedia::kWaveformLaneHalf;
using btmedia::kWaveformLaneHeight;
using btmedia::kWaveformLeft;
using btmedia::kWaveformTop;

std::array<std::uint8_t, 3> Pixel(const btmedia::RgbImage& image, int x, int y)
{
    const auto at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) + static_cast<std::size_t>(x)) * 3;
    return {image.rgb[at], image.rgb[at + 1], image.rgb[at + 2]};
}

int Centre(int lane) { return kWaveformTop + lane * (kWaveformLaneHeight + kWaveformLaneGap) + kWaveformLaneHalf; }

/// Rows of the lane's colour in column x of the lane, above and below its centre.
std::array<int, 2> Extent(const btmedia::RgbImage& image, int lane, int x)
{
    const int centre = Centre(lane);
    const auto colour = Pixel(image, kWaveformLeft + x, centre);
    std::array<int, 2> reach{0, 0};
    while (reach[0] < kWaveformLaneHalf && Pixel(image, kWaveformLeft + x, centre - reach[0] - 1) == colour)
        ++reach[0];
    while (reach[1] < kWaveformLaneHalf && Pixel(image, kWaveformLeft + x, centre + reach[1] + 1) == colour)
        ++reach[1];
    return reach;
}

float Gain(double db) { return static_cast<float>(std::pow(10.0, db / 20.0)); }

/// Pixels in a box that are not the colour at its first corner: something drawn there.
int Marks(const btmedia::RgbImage& image, int x0, int y0, int x1, int y1)
{
    int n = 0;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            n += Pixel(image, x, y) != Pixel(image, x0, y0) ? 1 : 0;
    return n;
}

} // namespace

TEST(Waveform, LevelsAreDrawnOnOneAbsoluteDecibelScale)
{
    // Lane 0 at -12 dB, then -18 dB; lane 1 at -60 dB, then a NaN; lane 2 silent.
    const std::vector<std::vector<float>> upper{{Gain(-12), Gain(-18)}, {Gain(-60), std::nanf("")}, {0.0f, 0.0f}};
    const std::vector<std::vector<float>> lower{{-Gain(-12), -Gain(-18)}, {-Gain(-60), 0.0f}, {0.0f, 0.0f}};
    const auto image = btmedia::DrawWaveform(upper, lower);
    // One pixel per dB above -72 dBFS, each way from the centre line.
    EXPECT_EQ(Extent(image, 0, 0), (std::array<int, 2>{60, 60}));
    EXPECT_EQ(Extent(image, 0, 1), (std::array<int, 2>{54, 54}));
    EXPECT_EQ(Extent(image, 1, 0), (std::array<int, 2>{12, 12}));
    // A lone -12 dB lane reaches as far as it does beside louder or quieter ones.
    const std::vector<std::vector<float>> alone{{Gain(-12)}};
    const std::vector<std::vector<float>> aloneLower{{-Gain(-12)}};
    EXPECT_EQ(Extent(btmedia::DrawWaveform(alone, aloneLower), 0, 0), (std::array<int, 2>{60, 60}));
    // Nothing is drawn for silence or a NaN: the lane's centre line shows.
    EXPECT_EQ(Pixel(image, kWaveformLeft + 1, Centre(1)), Pixel(image, kWaveformLeft, Centre(2)));
    EXPECT_NE(Pixel(image, kWaveformLeft, Centre(1)), Pixel(image, kWaveformLeft + 1, Centre(1)));
    EXPECT_NE(Pixel(image, kWaveformLeft, Centre(0)), Pixel(image, kWaveformLeft, Centre(1))); // lanes differ in colour
}

TEST(Waveform, LanesAreNamedAndTimeIsMarkedInSeconds)
{
    // Three seconds at 100 values per second, from 10 s into the clip.
    const std::vector<std::vector<float>> upper(2, std::vector<float>(300, 0.25f));
    const std::vector<std::vector<float>> lower(2, std::vector<float>(300, -0.25f));
    const auto named = btmedia::DrawWaveform(upper, lower, {{"L", "R"}, 100.0, 10.0});
    ASSERT_EQ(named.width, kWaveformLeft + 300 + btmedia::kWaveformRight);
    const int axis = Centre(1) + kWaveformLaneHalf + 1; // the first row below the last lane
    ASSERT_EQ(named.height, axis + btmedia::kWaveformBottom);
    // Each lane's name sits in the margin beside its centre, and the two differ.
    for (int lane : {0, 1})
        EXPECT_GT(Marks(named, 0, Centre(lane) - 8, 30, Centre(lane) + 8), 10) << lane;
    const auto numbered = btmedia::DrawWaveform(upper, lower, {{}, 100.0, 10.0});
    EXPECT_NE(Marks(named, 0, Centre(0) - 8, 30, Centre(0) + 8), Marks(numbered, 0, Centre(0) - 8, 30, Centre(0) + 8));
    // A mark below the lanes at every second (10 s, 11 s, 12 s: 100 columns apart), none between.
    for (int second = 0; second < 3; ++second) {
        EXPECT_NE(Pixel(named, kWaveformLeft + 100 * second, axis + 1), Pixel(named, 0, axis + 1)) << second;
        EXPECT_EQ(Pixel(named, kWaveformLeft + 100 * second + 50, axis + 1), Pixel(named, 0, axis + 1)) << second;
    }
}
