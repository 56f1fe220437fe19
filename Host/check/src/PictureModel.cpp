#include "btcheck/PictureModel.h"

#include <algorithm>
#include <cmath>

namespace btcheck {

namespace {

struct LumaWeights {
    double kr, kb;
};
constexpr LumaWeights kWeights[kMatrixCount] = {{0.299, 0.114}, {0.2126, 0.0722}, {0.2627, 0.0593}};

LumaWeights WeightsOf(Matrix m) noexcept { return kWeights[static_cast<int>(m)]; }

std::array<double, 3> ToRgb(const std::array<double, 3>& ycc, Matrix m) noexcept
{
    const auto [kr, kb] = WeightsOf(m);
    const double r = ycc[0] + 2 * (1 - kr) * ycc[2];
    const double b = ycc[0] + 2 * (1 - kb) * ycc[1];
    const double g = (ycc[0] - kr * r - kb * b) / (1 - kr - kb);
    return {r, g, b};
}

std::array<double, 3> ToYcc(const std::array<double, 3>& rgb, Matrix m) noexcept
{
    const auto [kr, kb] = WeightsOf(m);
    const double y = kr * rgb[0] + (1 - kr - kb) * rgb[1] + kb * rgb[2];
    return {y, (rgb[2] - y) / (2 * (1 - kb)), (rgb[0] - y) / (2 * (1 - kr))};
}

double HoldLuma(double v, int clip) noexcept
{
    if ((clip & kClipBelow) && v < 0)
        v = 0;
    if ((clip & kClipAbove) && v > 1)
        v = 1;
    return v;
}

// One signal value (0..1 for luma and R'G'B', ±0.5 for colour differences)
// to a code.
double Code(double v, bool difference, Coding coding, int depth) noexcept
{
    const double k = std::ldexp(1.0, depth - 8);
    const double top = std::ldexp(1.0, depth) - 1;
    double code = 0;
    switch (coding) {
    case Coding::Narrow: code = difference ? k * (128 + 224 * v) : k * (16 + 219 * v); break;
    case Coding::Full: code = difference ? top * v + std::ldexp(1.0, depth - 1) : top * v; break;
    case Coding::Squeezed:
        code = difference ? k * (128 + 224 * (224 * v / 255)) : k * (16 + 219 * ((16 + 219 * v) / 255));
        break;
    }
    return std::clamp(std::nearbyint(code), 0.0, top);
}

} // namespace

std::array<double, 3> YccToRgb(const std::array<double, 3>& ycc, Matrix m) noexcept { return ToRgb(ycc, m); }

bool MatrixOfCode(int code, Matrix& out) noexcept
{
    switch (code) {
    case 5:
    case 6: out = Matrix::Bt601; return true;
    case 1: out = Matrix::Bt709; return true;
    case 9:
    case 10: out = Matrix::Bt2020; return true;
    default: return false;
    }
}

const char* MatrixName(Matrix m) noexcept
{
    static constexpr const char* kNames[kMatrixCount] = {"BT.601", "BT.709", "BT.2020"};
    return kNames[static_cast<int>(m)];
}

const char* CodingName(Coding c) noexcept
{
    switch (c) {
    case Coding::Narrow: return "narrow";
    case Coding::Full: return "full";
    case Coding::Squeezed: return "squeezed";
    }
    return "";
}

const char* ClipName(int clip) noexcept
{
    static constexpr const char* kNames[] = {"none", "below black", "above white", "below black and above white"};
    return kNames[clip & 3];
}

std::vector<Hypothesis> AllHypotheses(Matrix reference)
{
    std::vector<Hypothesis> all;
    for (int m = 0; m < kMatrixCount; ++m)
        for (Coding c : {Coding::Narrow, Coding::Full, Coding::Squeezed})
            for (int clip = kClipNone; clip <= kClipBoth; ++clip)
                all.push_back({static_cast<Matrix>(m), c, clip});
    std::stable_sort(all.begin(), all.end(), [&](const Hypothesis& a, const Hypothesis& b) {
        return a.Departures(reference) < b.Departures(reference);
    });
    return all;
}

std::array<double, 3> Predict(const Codes& bars, Matrix reference, const Hypothesis& h, const FileCoding& file) noexcept
{
    std::array<double, 3> ycc{(bars[0] - 64.0) / 876.0, (bars[1] - 512.0) / 896.0, (bars[2] - 512.0) / 896.0};
    std::array<double, 3> out{};
    if (file.family == Family::Rgb) {
        // Y'CbCr decoded to R'G'B' with the hypothesis's matrix.
        const auto rgb = ToRgb(ycc, h.matrix);
        for (int c = 0; c < 3; ++c)
            out[c] = Code(HoldLuma(rgb[c], h.clip), false, h.coding, file.depth);
        return out;
    }
    if (h.matrix != reference)
        ycc = ToYcc(ToRgb(ycc, reference), h.matrix);
    ycc[0] = HoldLuma(ycc[0], h.clip);
    out[0] = Code(ycc[0], false, h.coding, file.depth);
    out[1] = Code(ycc[1], true, h.coding, file.depth);
    out[2] = Code(ycc[2], true, h.coding, file.depth);
    return out;
}

} // namespace btcheck
