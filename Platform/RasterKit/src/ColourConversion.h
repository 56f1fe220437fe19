#pragma once
// Pixel conversions between the raster formats: studio-range 8-bit Rec. 601
// Y'CbCr and float Rec. 709 Y'CbCr.

namespace rk {

/// Re-matrix of normalised (y, cb, cr) between two sets of luma coefficients,
/// as one linear map whose first column is (1, 0, 0): a grey (cb = cr = 0)
/// keeps its y exactly and stays neutral.
struct Rematrix {
    double m01, m02; ///< y' = y + m01 cb + m02 cr
    double m11, m12; ///< cb' = m11 cb + m12 cr
    double m21, m22; ///< cr' = m21 cb + m22 cr
};

/// The map from Y'CbCr coded with (krFrom, kbFrom) to (krTo, kbTo): decode to
/// R'G'B' with the first pair, encode with the second.
constexpr Rematrix MakeRematrix(double krFrom, double kbFrom, double krTo, double kbTo)
{
    const double kgFrom = 1.0 - krFrom - kbFrom;
    const double kgTo = 1.0 - krTo - kbTo;
    const double a = 2.0 * (1.0 - krFrom); // R' per cr
    const double b = 2.0 * (1.0 - kbFrom); // B' per cb
    // G' per cb and per cr, from y = kr R' + kg G' + kb B' with y = 0.
    const double gCb = -kbFrom * b / kgFrom;
    const double gCr = -krFrom * a / kgFrom;
    Rematrix m{};
    m.m01 = kgTo * gCb + kbTo * b;
    m.m02 = krTo * a + kgTo * gCr;
    m.m11 = (b - m.m01) / (2.0 * (1.0 - kbTo));
    m.m12 = -m.m02 / (2.0 * (1.0 - kbTo));
    m.m21 = -m.m01 / (2.0 * (1.0 - krTo));
    m.m22 = (a - m.m02) / (2.0 * (1.0 - krTo));
    return m;
}

inline constexpr double kKr601 = 0.299, kKb601 = 0.114;
inline constexpr double kKr709 = 0.2126, kKb709 = 0.0722;
inline constexpr Rematrix kRec601To709 = MakeRematrix(kKr601, kKb601, kKr709, kKb709);
inline constexpr Rematrix kRec709To601 = MakeRematrix(kKr709, kKb709, kKr601, kKb601);

/// (V, U, Y, A) bytes, studio range Rec. 601, to (V, U, Y, A) floats, Rec. 709.
void Convert8uTo32f(const unsigned char in[4], float out[4]) noexcept;
/// The inverse, rounded to nearest and clamped to 0..255 (not-a-number gives 0).
void Convert32fTo8u(const float in[4], unsigned char out[4]) noexcept;

} // namespace rk
