#pragma once
// Test helper: material for the movie writer the tests can recognise in what
// comes back.

#include "btmedia/StudioPicture.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace btmedia::test {

inline constexpr std::int64_t kTicks25 = 254016000000 / 25;
inline constexpr double kTwoPi = 6.283185307179586;

/// A picture as the module delivers one (V, U, Y, A floats, bottom row
/// first) whose studio codes are: left half black (64), right half white
/// (940), a below-black block at the bottom left (4) and an above-white block
/// at the bottom right (1019); chroma neutral except a blue patch at the top
/// right; pixel (0, 0) holds `mark` so frames can be told apart.
/// `change(x, y, vuya)` may alter a pixel after it is painted.
template <typename Change>
std::vector<float> TestFloats(std::uint16_t mark, int width, int height, Change change)
{
    const auto luma = [](int code) {
        return code == kStudioMin ? -0.1f : code == kStudioMax ? 1.1f : static_cast<float>(code - 64) / 876.0f;
    };
    const auto chroma = [](int code) { return static_cast<float>(code - 512) / 896.0f; };
    std::vector<float> floats(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool right = x >= width / 2;
            const bool bottom = y >= height * 3 / 4;
            const bool blue = right && y < height / 4;
            const int code = x == 0 && y == 0 ? mark : bottom ? (right ? 1019 : 4) : (right ? 940 : 64);
            float* p = floats.data() + (static_cast<std::size_t>(height - 1 - y) * static_cast<std::size_t>(width) +
                                        static_cast<std::size_t>(x)) * 4;
            p[0] = chroma(blue ? 472 : 512);
            p[1] = chroma(blue ? 960 : 512);
            p[2] = luma(code);
            p[3] = 1.0f;
            change(x, y, p);
        }
    return floats;
}

inline std::vector<float> TestFloats(std::uint16_t mark, int width, int height)
{
    return TestFloats(mark, width, height, [](int, int, float*) {});
}

inline VuyaPicture FloatPicture(const std::vector<float>& floats, int width, int height)
{
    return {width, height, static_cast<std::ptrdiff_t>(width) * 16, reinterpret_cast<const std::uint8_t*>(floats.data()),
            VuyaLayout::kFloats};
}

/// A picture source as a host's: the float picture converted, unless it is `same`.
inline bool ConvertedSource(const std::vector<float>& floats, const StudioPlanes& out, const StudioPlanes* same)
{
    const VuyaPicture picture = FloatPicture(floats, out.width, out.height);
    if (same != nullptr)
        return ConvertToStudioUnlessSame(picture, out, *same);
    ConvertToStudio(picture, out);
    return false;
}

/// TestFloats(mark) through a host's conversion.
inline bool TestSource(std::uint16_t mark, const StudioPlanes& out, const StudioPlanes* same)
{
    return ConvertedSource(TestFloats(mark, out.width, out.height), out, same);
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
