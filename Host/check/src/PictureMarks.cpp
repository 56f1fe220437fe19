#include "btcheck/PictureMarks.h"

#include "btcheck/MediaFile.h"
#include "btcheck/PictureModel.h"
#include "btmedia/PngWriter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace btcheck {

namespace {

// Digits 3 pixels wide and 5 high, a row a byte (bit 2 is the left column).
constexpr std::array<std::array<std::uint8_t, 5>, 10> kDigits = {{
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 3, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 2, 2}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
}};

struct Canvas {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;

    void Set(int x, int y, std::array<std::uint8_t, 3> c)
    {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return;
        std::copy(c.begin(), c.end(), rgb.begin() + (static_cast<std::ptrdiff_t>(y) * width + x) * 3);
    }
    void Box(int x0, int y0, int x1, int y1, int thick, std::array<std::uint8_t, 3> c)
    {
        for (int t = 0; t < thick; ++t) {
            for (int x = x0; x < x1; ++x) {
                Set(x, y0 + t, c);
                Set(x, y1 - 1 - t, c);
            }
            for (int y = y0; y < y1; ++y) {
                Set(x0 + t, y, c);
                Set(x1 - 1 - t, y, c);
            }
        }
    }
    void Number(int x, int y, int value, int scale, std::array<std::uint8_t, 3> c)
    {
        const std::string text = std::to_string(value);
        for (char ch : text) {
            const auto& glyph = kDigits[static_cast<std::size_t>(ch - '0')];
            // A dark backing so the digit reads on any patch.
            for (int gy = -1; gy <= 5; ++gy)
                for (int gx = -1; gx <= 3; ++gx) {
                    const bool on = gy >= 0 && gy < 5 && gx >= 0 && gx < 3 && (glyph[gy] >> (2 - gx) & 1);
                    for (int sy = 0; sy < scale; ++sy)
                        for (int sx = 0; sx < scale; ++sx)
                            Set(x + gx * scale + sx, y + gy * scale + sy, on ? c : std::array<std::uint8_t, 3>{0, 0, 0});
                }
            x += 4 * scale;
        }
    }
};

std::uint8_t To8(double v) { return static_cast<std::uint8_t>(std::clamp(std::lround(v * 255.0), 0L, 255L)); }

// The picture for a person's eye: Y'CbCr decoded with the coefficients and
// range its codes fit, out-of-range values clipped.
Canvas Preview(const CodePicture& p, const PictureFinding& finding)
{
    Canvas canvas{p.width, p.height, std::vector<std::uint8_t>(static_cast<std::size_t>(p.width) * p.height * 3)};
    const double top = std::ldexp(1.0, p.depth) - 1;
    const double k = std::ldexp(1.0, p.depth - 8);
    const bool full = finding.contentRange == "full" || (finding.contentRange.empty() && p.fullRange);
    Matrix m = Matrix::Bt709;
    for (int i = 0; i < kMatrixCount; ++i)
        if (finding.contentMatrix == MatrixName(static_cast<Matrix>(i)))
            m = static_cast<Matrix>(i);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            std::array<double, 3> rgb{};
            if (p.family == Family::Gray) {
                const double v = full ? p.At(0, x, y) / top : (p.At(0, x, y) - 16 * k) / (219 * k);
                rgb = {v, v, v};
            } else if (p.family == Family::Rgb) {
                for (int c = 0; c < 3; ++c)
                    rgb[c] = full ? p.At(c, x, y) / top : (p.At(c, x, y) - 16 * k) / (219 * k);
            } else {
                const double yy = full ? p.At(0, x, y) / top : (p.At(0, x, y) - 16 * k) / (219 * k);
                const double half = std::ldexp(1.0, p.depth - 1);
                const double cb = full ? (p.At(1, x, y) - half) / top : (p.At(1, x, y) - 128 * k) / (224 * k);
                const double cr = full ? (p.At(2, x, y) - half) / top : (p.At(2, x, y) - 128 * k) / (224 * k);
                rgb = YccToRgb({yy, cb, cr}, m);
            }
            canvas.Set(x, y, {To8(rgb[0]), To8(rgb[1]), To8(rgb[2])});
        }
    return canvas;
}

} // namespace

void WritePictureMarks(const std::string& file, const CheckReport& report, btmedia::OutputFile& output)
{
    const PictureFinding& finding = report.picture;
    if (!finding.present)
        throw ReadError("the file has no picture to mark");
    MediaFile media = MediaFile::Open(file);
    const CodePicture picture = media.DecodeFrame(finding.frames.empty() ? 0 : finding.frames.front());
    Canvas canvas = Preview(picture, finding);
    const int scale = std::max(1, picture.width / 320);
    const std::array<std::uint8_t, 3> green{40, 220, 60}, red{255, 40, 40};
    for (const RegionReading& r : finding.regions) {
        const auto colour = r.ok ? green : red;
        canvas.Box(r.x0, r.y0, r.x1, r.y1, scale, colour);
        if (r.x1 - r.x0 >= 10 * scale && r.y1 - r.y0 >= 8 * scale)
            canvas.Number(r.x0 + 2 * scale, r.y0 + 2 * scale, static_cast<int>(std::lround(r.deviation)), scale, colour);
    }
    btmedia::WritePngRgb8(output, canvas.width, canvas.height, canvas.rgb);
}

} // namespace btcheck
