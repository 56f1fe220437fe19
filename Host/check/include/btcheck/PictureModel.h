#pragma once
// How a chain can have coded the bars: which matrix the colour differences
// (or R'G'B') were formed with, and which the chain decoded them with on the
// way; whether it converted the primaries (a gamut conversion between the
// SD primaries and BT.709's); whether the codes are narrow, full or squeezed
// range, and whether luma was clipped to black and white. Each hypothesis
// predicts the codes a region of the bars would have in the file.

#include "btcheck/MediaFile.h"
#include "btcheck/Regions.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace btcheck {

/// Luma coefficients the picture's colour differences are formed with.
enum class Matrix { Bt601, Bt709, Bt2020 };
inline constexpr int kMatrixCount = 3;

/// The coefficients an H.273 matrix code names; false for codes that name
/// none of the three.
bool MatrixOfCode(int code, Matrix& out) noexcept;
[[nodiscard]] const char* MatrixName(Matrix m) noexcept;

enum class Coding {
    Narrow,   ///< black at 16, white at 235 (8-bit terms)
    Full,     ///< black at 0, white at 255: narrow codes expanded
    Squeezed, ///< narrow codes taken for full and squeezed once more
};
[[nodiscard]] const char* CodingName(Coding c) noexcept;

/// Luma (or R'G'B') held to nominal black and white.
enum Clip : int { kClipNone = 0, kClipBelow = 1, kClipAbove = 2, kClipBoth = 3 };
[[nodiscard]] const char* ClipName(int clip) noexcept;

/// A conversion of the primaries in linear light, SDR pictures only: the
/// SD primaries (SMPTE C for 525 lines, EBU for 625) taken to BT.709's, or back.
enum class Gamut { None, SmpteCTo709, Bt709ToSmpteC, EbuTo709, Bt709ToEbu };
inline constexpr int kGamutCount = 5;
[[nodiscard]] const char* GamutName(Gamut g) noexcept;

struct Hypothesis {
    Matrix matrix = Matrix::Bt709; ///< the coefficients the file's colour differences (or R'G'B') come from
    Coding coding = Coding::Narrow;
    int clip = kClipNone;
    /// Y'CbCr only: the coefficients the chain decoded the bars with before
    /// coding them again with `matrix`; none: decoded with the bars' own.
    std::optional<Matrix> decoded;
    Gamut gamut = Gamut::None;
    /// How many ways it departs from the clean coding (ties go to fewer).
    [[nodiscard]] int Departures(Matrix reference) const noexcept
    {
        return (matrix != reference || decoded.has_value()) + (gamut != Gamut::None) + (coding != Coding::Narrow) +
               (clip != kClipNone);
    }
};

/// R'G'B' of a Y'CbCr signal value (Y' 0..1, Cb and Cr ±0.5).
[[nodiscard]] std::array<double, 3> YccToRgb(const std::array<double, 3>& ycc, Matrix m) noexcept;

/// Every hypothesis, the clean one for `reference` first. `sdr` false leaves
/// out gamut conversions (they assume an SDR transfer); R'G'B' files are
/// decoded once, so `family` Rgb leaves out a second matrix.
[[nodiscard]] std::vector<Hypothesis> AllHypotheses(Matrix reference, Family family = Family::YCbCr, bool sdr = true);

/// The file's coding: family and depth.
struct FileCoding {
    Family family = Family::YCbCr;
    int depth = 10;
};

/// The codes, at the file's depth, that a 10-bit narrow Y'CbCr value of the
/// bars (formed with `reference`) has under hypothesis `h`.
[[nodiscard]] std::array<double, 3> Predict(const Codes& bars, Matrix reference, const Hypothesis& h,
                                            const FileCoding& file) noexcept;

} // namespace btcheck
