#pragma once
// Test helper: material for the movie writer the tests can recognise in what
// comes back.

#include "btmedia/StudioPicture.h"

#include <cmath>
#include <cstdint>

namespace btmedia::test {

inline constexpr std::int64_t kTicks25 = 254016000000 / 25;
inline constexpr double kTwoPi = 6.283185307179586;

// Left half black (64), right half white (940), a below-black block at the
// bottom left (4) and an above-white block at the bottom right (1019);
// chroma neutral except a blue patch at the top right; pixel (0, 0) holds
// `mark` so frames can be told apart.
inline void TestPicture(std::uint16_t mark, const StudioPlanes& out)
{
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            const bool right = x >= out.width / 2;
            const bool bottom = y >= out.height * 3 / 4;
            std::uint16_t luma = right ? 940 : 64;
            if (bottom)
                luma = right ? 1019 : 4;
            out.plane[0][y * out.stride[0] + x] = luma;
            if (x % (1 << out.chromaShiftX) != 0 || y % (1 << out.chromaShiftY) != 0)
                continue;
            const bool blue = right && y < out.height / 4;
            const std::ptrdiff_t cy = y >> out.chromaShiftY, cx = x >> out.chromaShiftX;
            out.plane[1][cy * out.stride[1] + cx] = blue ? 960 : 512;
            out.plane[2][cy * out.stride[2] + cx] = blue ? 472 : 512;
        }
    out.plane[0][0] = mark;
}

// Host channel c: a sine of 100·(c+1) Hz at 0.25 from the absolute sample
// index, so both the channel order and the request positions show.
inline float ExpectedSample(int hostChannel, std::int64_t k, int rate)
{
    return static_cast<float>(0.25 * std::sin(kTwoPi * 100.0 * (hostChannel + 1) * static_cast<double>(k) / rate));
}

inline void TestSound(std::int64_t position, std::uint32_t count, float* const* channels, int channelCount, int rate)
{
    for (int c = 0; c < channelCount; ++c)
        for (std::uint32_t i = 0; i < count; ++i)
            channels[c][i] = ExpectedSample(c, position + i, rate);
}

} // namespace btmedia::test
