#include "btmedia/Waveform.h"

#include "PixelFont.h"
#include "btmedia/PngWriter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace btmedia {

namespace {

using Rgb = std::array<std::uint8_t, 3>;

constexpr Rgb kBackground{20, 22, 28};
constexpr Rgb kLaneBackground{28, 31, 40};
constexpr Rgb kGrid{48, 52, 64};
constexpr Rgb kCentreLine{70, 74, 88};
constexpr Rgb kText{200, 204, 214};
// One colour per lane, so a channel keeps its colour from picture to picture.
constexpr std::array<Rgb, 6> kLaneColours{{
    {102, 204, 255}, {255, 170, 80}, {120, 230, 120}, {240, 110, 170}, {230, 220, 90}, {180, 140, 255}}};
constexpr int kDecibelMarks[] = {0, -12, -24, -36, -48, -60};
// Seconds between time marks: the first of these at least kMarkSpacing pixels apart.
constexpr double kTimeSteps[] = {0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 1800, 3600};
constexpr double kMarkSpacing = 60.0;

class Canvas {
public:
    Canvas(int width, int height, Rgb background) : mImage{width, height, {}}
    {
        mImage.rgb.reserve(Size(width, height) * 3);
        for (std::size_t i = 0; i < Size(width, height); ++i)
            mImage.rgb.insert(mImage.rgb.end(), background.begin(), background.end());
    }
    void Put(int x, int y, Rgb colour)
    {
        if (x >= 0 && y >= 0 && x < mImage.width && y < mImage.height)
            std::copy(colour.begin(), colour.end(), mImage.rgb.begin() + static_cast<long>(Index(x, y)));
    }
    void Column(int x, int y0, int y1, Rgb colour)
    {
        for (int y = y0; y <= y1; ++y)
            Put(x, y, colour);
    }
    void Row(int y, int x0, int x1, Rgb colour)
    {
        for (int x = x0; x <= x1; ++x)
            Put(x, y, colour);
    }
    /// Text from (x, y), its top left, each font pixel `scale` pixels square.
    void Text(int x, int y, const std::string& text, Rgb colour, int scale = 1)
    {
        for (char c : text) {
            if (const font::Glyph* g = font::Find(c))
                for (int row = 0; row < font::kHeight; ++row)
                    for (int col = 0; col < font::kWidth; ++col)
                        if ((g->rows[static_cast<std::size_t>(row)] >> (font::kWidth - 1 - col) & 1) != 0)
                            for (int dy = 0; dy < scale; ++dy)
                                for (int dx = 0; dx < scale; ++dx)
                                    Put(x + col * scale + dx, y + row * scale + dy, colour);
            x += font::kAdvance * scale;
        }
    }
    RgbImage Take() { return std::move(mImage); }

private:
    static std::size_t Size(int w, int h) { return static_cast<std::size_t>(w) * static_cast<std::size_t>(h); }
    std::size_t Index(int x, int y) const { return (static_cast<std::size_t>(y) * static_cast<std::size_t>(mImage.width) + static_cast<std::size_t>(x)) * 3; }
    RgbImage mImage;
};

int TextWidth(const std::string& text, int scale = 1)
{
    return text.empty() ? 0 : (static_cast<int>(text.size()) * font::kAdvance - 1) * scale;
}

/// Pixels from the centre line for a magnitude: one per dB above the floor.
int Reach(float magnitude)
{
    if (!(magnitude > 0.0f))
        return 0;
    const double db = 20.0 * std::log10(static_cast<double>(magnitude));
    return static_cast<int>(std::lround(std::clamp(db - kWaveformFloorDb, 0.0, static_cast<double>(kWaveformLaneHalf))));
}

std::string SecondsLabel(double t)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g s", std::fabs(t) < 1e-9 ? 0.0 : t);
    return text;
}

int LaneTop(std::size_t lane)
{
    return kWaveformTop + static_cast<int>(lane) * (kWaveformLaneHeight + kWaveformLaneGap);
}

} // namespace

RgbImage DrawWaveform(std::span<const std::vector<float>> upper, std::span<const std::vector<float>> lower,
                      const LevelsLegend& legend)
{
    if (upper.size() != lower.size())
        throw std::invalid_argument("waveform: upper and lower lanes differ in number");
    std::size_t columns = 1;
    for (const auto& lane : upper)
        columns = std::max(columns, lane.size());
    const std::size_t lanes = std::max<std::size_t>(upper.size(), 1);
    const int plotRight = kWaveformLeft + static_cast<int>(columns) - 1;
    const int lanesBottom = LaneTop(lanes) - kWaveformLaneGap - 1;
    Canvas canvas(plotRight + 1 + kWaveformRight, lanesBottom + 1 + kWaveformBottom, kBackground);

    // Time marks: where they fall, and the seconds they name.
    const double rate = legend.valuesPerSecond > 0 ? legend.valuesPerSecond : 1.0;
    double step = kTimeSteps[std::size(kTimeSteps) - 1];
    for (double s : kTimeSteps)
        if (s * rate >= kMarkSpacing) {
            step = s;
            break;
        }
    std::vector<std::pair<int, double>> marks;
    for (double t = std::ceil(legend.startSeconds / step) * step;; t += step) {
        const int x = kWaveformLeft + static_cast<int>(std::lround((t - legend.startSeconds) * rate));
        if (x > plotRight)
            break;
        marks.emplace_back(x, t);
    }

    canvas.Text(kWaveformLeft - 3 - TextWidth("dBFS"), 2, "dBFS", kText);
    for (std::size_t c = 0; c < upper.size(); ++c) {
        const int top = LaneTop(c);
        const int centre = top + kWaveformLaneHalf;
        for (int y = top; y < top + kWaveformLaneHeight; ++y)
            canvas.Row(y, kWaveformLeft, plotRight, kLaneBackground);
        for (const auto& [x, t] : marks)
            canvas.Column(x, top, top + kWaveformLaneHeight - 1, kGrid);
        for (int mark : kDecibelMarks) {
            const int reach = mark - static_cast<int>(kWaveformFloorDb);
            canvas.Row(centre - reach, kWaveformLeft, plotRight, kGrid);
            canvas.Row(centre + reach, kWaveformLeft, plotRight, kGrid);
            const std::string label = std::to_string(mark);
            canvas.Text(kWaveformLeft - 3 - TextWidth(label), centre - reach - font::kHeight / 2, label, kText);
        }
        canvas.Row(centre, kWaveformLeft, plotRight, kCentreLine);
        const std::string name = c < legend.channelNames.size() ? legend.channelNames[c] : std::to_string(c + 1);
        canvas.Text(2, centre - font::kHeight, name, kLaneColours[c % kLaneColours.size()], 2);

        const Rgb colour = kLaneColours[c % kLaneColours.size()];
        const std::size_t n = std::min(upper[c].size(), lower[c].size());
        for (std::size_t x = 0; x < n; ++x) {
            const float hi = std::max(upper[c][x], lower[c][x]);
            const float lo = std::min(upper[c][x], lower[c][x]);
            if (!std::isfinite(hi) || !std::isfinite(lo))
                continue;
            const int up = Reach(hi);
            const int down = Reach(-lo);
            if (up > 0 || down > 0)
                canvas.Column(kWaveformLeft + static_cast<int>(x), centre - up, centre + down, colour);
        }
    }
    for (const auto& [x, t] : marks) {
        canvas.Column(x, lanesBottom + 1, lanesBottom + 3, kText);
        const std::string label = SecondsLabel(t);
        canvas.Text(x - TextWidth(label) / 2, lanesBottom + 6, label, kText);
    }
    return canvas.Take();
}

void WriteWaveformPng(OutputFile& output, std::span<const std::vector<float>> upper,
                      std::span<const std::vector<float>> lower, const LevelsLegend& legend)
{
    const RgbImage image = DrawWaveform(upper, lower, legend);
    WritePngRgb8(output, image.width, image.height, image.rgb);
}

} // namespace btmedia
