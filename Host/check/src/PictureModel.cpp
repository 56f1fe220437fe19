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

// Chromaticities of red, green, blue and the white point (D65 for all).
struct Primaries {
    double x[4], y[4];
};
constexpr Primaries kBt709{{0.640, 0.300, 0.150, 0.3127}, {0.330, 0.600, 0.060, 0.3290}};
constexpr Primaries kSmpteC{{0.630, 0.310, 0.155, 0.3127}, {0.340, 0.595, 0.070, 0.3290}};
constexpr Primaries kEbu{{0.640, 0.290, 0.150, 0.3127}, {0.330, 0.600, 0.060, 0.3290}};

using Matrix3 = std::array<std::array<double, 3>, 3>;

Matrix3 Multiply(const Matrix3& a, const Matrix3& b) noexcept
{
    Matrix3 m{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k)
                m[i][j] += a[i][k] * b[k][j];
    return m;
}

Matrix3 Inverse(const Matrix3& m) noexcept
{
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    Matrix3 r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            const int i1 = (j + 1) % 3, i2 = (j + 2) % 3, j1 = (i + 1) % 3, j2 = (i + 2) % 3;
            r[i][j] = (m[i1][j1] * m[i2][j2] - m[i1][j2] * m[i2][j1]) / det;
        }
    return r;
}

// Linear R, G, B to XYZ for a set of primaries, white at Y = 1.
Matrix3 RgbToXyz(const Primaries& p) noexcept
{
    Matrix3 xyz{};
    for (int c = 0; c < 3; ++c) {
        xyz[0][c] = p.x[c] / p.y[c];
        xyz[1][c] = 1;
        xyz[2][c] = (1 - p.x[c] - p.y[c]) / p.y[c];
    }
    const std::array<double, 3> white{p.x[3] / p.y[3], 1, (1 - p.x[3] - p.y[3]) / p.y[3]};
    const Matrix3 inv = Inverse(xyz);
    std::array<double, 3> scale{};
    for (int i = 0; i < 3; ++i)
        scale[i] = inv[i][0] * white[0] + inv[i][1] * white[1] + inv[i][2] * white[2];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            xyz[r][c] *= scale[c];
    return xyz;
}

Matrix3 Conversion(const Primaries& from, const Primaries& to) noexcept
{
    return Multiply(Inverse(RgbToXyz(to)), RgbToXyz(from));
}

// The BT.709 transfer and its inverse, mirrored below zero as converters
// treat the bars' values below black.
double ToLinear(double v) noexcept
{
    const double a = std::abs(v);
    const double l = a < 0.081 ? a / 4.5 : std::pow((a + 0.099) / 1.099, 1 / 0.45);
    return v < 0 ? -l : l;
}
double FromLinear(double l) noexcept
{
    const double a = std::abs(l);
    const double v = a < 0.018 ? 4.5 * a : 1.099 * std::pow(a, 0.45) - 0.099;
    return l < 0 ? -v : v;
}

std::array<double, 3> ConvertGamut(const std::array<double, 3>& rgb, Gamut g) noexcept
{
    static const Matrix3 kConversions[kGamutCount - 1] = {Conversion(kSmpteC, kBt709), Conversion(kBt709, kSmpteC),
                                                         Conversion(kEbu, kBt709), Conversion(kBt709, kEbu)};
    if (g == Gamut::None)
        return rgb;
    const Matrix3& m = kConversions[static_cast<int>(g) - 1];
    const std::array<double, 3> lin{ToLinear(rgb[0]), ToLinear(rgb[1]), ToLinear(rgb[2])};
    std::array<double, 3> out{};
    for (int i = 0; i < 3; ++i)
        out[i] = FromLinear(m[i][0] * lin[0] + m[i][1] * lin[1] + m[i][2] * lin[2]);
    return out;
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

const char* GamutName(Gamut g) noexcept
{
    static constexpr const char* kNames[kGamutCount] = {"none", "SMPTE C primaries taken to BT.709",
                                                         "BT.709 primaries taken to SMPTE C",
                                                         "EBU primaries taken to BT.709", "BT.709 primaries taken to EBU"};
    return kNames[static_cast<int>(g)];
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

std::vector<Hypothesis> AllHypotheses(Matrix reference, Family family, bool sdr)
{
    // The matrices: the bars' own, coded again with another, or decoded with
    // another and coded again with the bars' own or a third.
    std::vector<std::pair<Matrix, std::optional<Matrix>>> matrices;
    for (int m = 0; m < kMatrixCount; ++m)
        matrices.emplace_back(static_cast<Matrix>(m), std::nullopt);
    if (family == Family::YCbCr)
        for (int d = 0; d < kMatrixCount; ++d)
            for (int m = 0; m < kMatrixCount; ++m)
                if (static_cast<Matrix>(d) != reference && d != m)
                    matrices.emplace_back(static_cast<Matrix>(m), static_cast<Matrix>(d));
    std::vector<Hypothesis> all;
    for (const auto& [matrix, decoded] : matrices)
        for (int g = 0; g < (sdr ? kGamutCount : 1); ++g)
            for (Coding c : {Coding::Narrow, Coding::Full, Coding::Squeezed})
                for (int clip = kClipNone; clip <= kClipBoth; ++clip) {
                    // A gamut conversion with clipping as well is left out: no
                    // chain seen does both, and each doubles the search.
                    if (g != 0 && clip != kClipNone)
                        continue;
                    all.push_back({matrix, c, clip, decoded, static_cast<Gamut>(g)});
                }
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
        const auto rgb = ConvertGamut(ToRgb(ycc, h.matrix), h.gamut);
        for (int c = 0; c < 3; ++c)
            out[c] = Code(HoldLuma(rgb[c], h.clip), false, h.coding, file.depth);
        return out;
    }
    if (h.matrix != reference || h.decoded || h.gamut != Gamut::None)
        ycc = ToYcc(ConvertGamut(ToRgb(ycc, h.decoded.value_or(reference)), h.gamut), h.matrix);
    ycc[0] = HoldLuma(ycc[0], h.clip);
    out[0] = Code(ycc[0], false, h.coding, file.depth);
    out[1] = Code(ycc[1], true, h.coding, file.depth);
    out[2] = Code(ycc[2], true, h.coding, file.depth);
    return out;
}

} // namespace btcheck
