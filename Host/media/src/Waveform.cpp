#include "btmedia/Waveform.h"

#include "btmedia/PngWriter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

namespace btmedia {

namespace {

using Rgb = std::array<std::uint8_t, 3>;

constexpr Rgb kBackground{20, 22, 28};
constexpr Rgb kGap{60, 62, 70};
constexpr Rgb kCentreLine{54, 58, 70};
// One colour per lane, so a channel keeps its colour from picture to picture.
constexpr std::array<Rgb, 6> kLaneColours{{
    {102, 204, 255}, {255, 170, 80}, {120, 230, 120}, {240, 110, 170}, {230, 220, 90}, {180, 140, 255}}};

class Canvas {
public:
    Canvas(int width, int height, Rgb background) : mImage{width, height, {}}
    {
        mImage.rgb.reserve(Size(width, height) * 3);
        for (std::size_t i = 0; i < Size(width, height); ++i)
            mImage.rgb.insert(mImage.rgb.end(), background.begin(), background.end());
    }
    void Fill(int x, int y0, int y1, Rgb colour)
    {
        for (int y = std::max(y0, 0); y <= std::min(y1, mImage.height - 1); ++y)
            std::copy(colour.begin(), colour.end(), mImage.rgb.begin() + static_cast<long>(Index(x, y)));
    }
    void Row(int y, Rgb colour)
    {
        for (int x = 0; x < mImage.width; ++x)
            Fill(x, y, y, colour);
    }
    RgbImage Take() { return std::move(mImage); }

private:
    static std::size_t Size(int w, int h) { return static_cast<std::size_t>(w) * static_cast<std::size_t>(h); }
    std::size_t Index(int x, int y) const { return (static_cast<std::size_t>(y) * static_cast<std::size_t>(mImage.width) + static_cast<std::size_t>(x)) * 3; }
    RgbImage mImage;
};

float LargestMagnitude(std::span<const std::vector<float>> upper, std::span<const std::vector<float>> lower)
{
    float largest = 0.0f;
    for (auto lanes : {upper, lower})
        for (const auto& lane : lanes)
            for (float v : lane)
                if (std::isfinite(v))
                    largest = std::max(largest, std::fabs(v));
    return largest > 0.0f ? largest : 1.0f;
}

} // namespace

RgbImage DrawWaveform(std::span<const std::vector<float>> upper, std::span<const std::vector<float>> lower)
{
    if (upper.size() != lower.size())
        throw std::invalid_argument("waveform: upper and lower lanes differ in number");
    std::size_t width = 1;
    for (const auto& lane : upper)
        width = std::max(width, lane.size());
    const int lanes = static_cast<int>(std::max<std::size_t>(upper.size(), 1));
    Canvas canvas(static_cast<int>(width), lanes * kWaveformLaneHeight + (lanes - 1) * kWaveformLaneGap, kBackground);

    const float scale = LargestMagnitude(upper, lower);
    const int half = kWaveformLaneHeight / 2 - 1;
    for (std::size_t c = 0; c < upper.size(); ++c) {
        const int top = static_cast<int>(c) * (kWaveformLaneHeight + kWaveformLaneGap);
        const int centre = top + kWaveformLaneHeight / 2;
        if (c > 0)
            for (int y = top - kWaveformLaneGap; y < top; ++y)
                canvas.Row(y, kGap);
        canvas.Row(centre, kCentreLine);
        const Rgb colour = kLaneColours[c % kLaneColours.size()];
        const std::size_t n = std::min(upper[c].size(), lower[c].size());
        for (std::size_t x = 0; x < n; ++x) {
            const float hi = std::max(upper[c][x], lower[c][x]);
            const float lo = std::min(upper[c][x], lower[c][x]);
            if (!std::isfinite(hi) || !std::isfinite(lo))
                continue;
            const int yHi = centre - static_cast<int>(std::lround(hi / scale * static_cast<float>(half)));
            const int yLo = centre - static_cast<int>(std::lround(lo / scale * static_cast<float>(half)));
            canvas.Fill(static_cast<int>(x), yHi, yLo, colour);
        }
    }
    return canvas.Take();
}

void WriteWaveformPng(OutputFile& output, std::span<const std::vector<float>> upper,
                      std::span<const std::vector<float>> lower)
{
    const RgbImage image = DrawWaveform(upper, lower);
    WritePngRgb8(output, image.width, image.height, image.rgb);
}

} // namespace btmedia
