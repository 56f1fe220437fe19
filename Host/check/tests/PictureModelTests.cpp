// The coding hypotheses against published values: the 8-bit codes of the
// colour-bar patches in BT.601 and BT.709, and the range formulas.

#include "btcheck/PictureModel.h"

#include <gtest/gtest.h>

using namespace btcheck;

namespace {

constexpr Codes kBlack{64, 512, 512};
constexpr Codes kWhite{940, 512, 512};
// 75% yellow of HD bars: 8-bit (168, 44, 136) in BT.709, at 10 bits.
constexpr Codes kYellow709{672, 176, 544};

void ExpectCodes(const std::array<double, 3>& got, double y, double cb, double cr, double slack = 0)
{
    EXPECT_NEAR(got[0], y, slack);
    EXPECT_NEAR(got[1], cb, slack);
    EXPECT_NEAR(got[2], cr, slack);
}

} // namespace

TEST(PictureModel, NarrowCodingKeepsTheCodesAtEachDepth)
{
    const Hypothesis clean{};
    ExpectCodes(Predict(kYellow709, Matrix::Bt709, clean, {Family::YCbCr, 10}), 672, 176, 544);
    ExpectCodes(Predict(kYellow709, Matrix::Bt709, clean, {Family::YCbCr, 8}), 168, 44, 136);
    ExpectCodes(Predict(kWhite, Matrix::Bt709, clean, {Family::YCbCr, 16}), 60160, 32768, 32768);
}

TEST(PictureModel, FullAndSqueezedRangeMoveBlackAndWhite)
{
    const FileCoding ten{Family::YCbCr, 10};
    ExpectCodes(Predict(kBlack, Matrix::Bt709, {Matrix::Bt709, Coding::Full, kClipNone}, ten), 0, 512, 512);
    ExpectCodes(Predict(kWhite, Matrix::Bt709, {Matrix::Bt709, Coding::Full, kClipNone}, ten), 1023, 512, 512);
    // Narrow codes read as full and made narrow again: 16 + 219 × 16/255.
    ExpectCodes(Predict(kBlack, Matrix::Bt709, {Matrix::Bt709, Coding::Squeezed, kClipNone}, ten), 119, 512, 512);
    ExpectCodes(Predict(kWhite, Matrix::Bt709, {Matrix::Bt709, Coding::Squeezed, kClipNone}, ten), 871, 512, 512);
}

TEST(PictureModel, ReMatrixedYellowIsTheBt601Yellow)
{
    // 75% yellow of SD bars: 8-bit (162, 44, 142) in BT.601.
    const Hypothesis bt601{Matrix::Bt601, Coding::Narrow, kClipNone};
    ExpectCodes(Predict(kYellow709, Matrix::Bt709, bt601, {Family::YCbCr, 8}), 162, 44, 142, 1);
    // Greys have no colour difference under any coefficients.
    const Codes grey{500, 512, 512};
    ExpectCodes(Predict(grey, Matrix::Bt709, {Matrix::Bt2020, Coding::Narrow, kClipNone}, {Family::YCbCr, 10}), 500,
                512, 512);
}

TEST(PictureModel, ClippingHoldsOnlyWhatLiesBeyondBlackAndWhite)
{
    const FileCoding ten{Family::YCbCr, 10};
    const Codes belowBlack{4, 512, 512}, aboveWhite{1019, 512, 512};
    EXPECT_EQ(Predict(belowBlack, Matrix::Bt709, {}, ten)[0], 4);
    EXPECT_EQ(Predict(belowBlack, Matrix::Bt709, {Matrix::Bt709, Coding::Narrow, kClipBelow}, ten)[0], 64);
    EXPECT_EQ(Predict(aboveWhite, Matrix::Bt709, {Matrix::Bt709, Coding::Narrow, kClipBelow}, ten)[0], 1019);
    EXPECT_EQ(Predict(aboveWhite, Matrix::Bt709, {Matrix::Bt709, Coding::Narrow, kClipBoth}, ten)[0], 940);
}

TEST(PictureModel, RgbDecodesWithTheHypothesisMatrix)
{
    const FileCoding rgb8{Family::Rgb, 8};
    ExpectCodes(Predict(kWhite, Matrix::Bt709, {Matrix::Bt709, Coding::Full, kClipNone}, rgb8), 255, 255, 255);
    ExpectCodes(Predict(kWhite, Matrix::Bt709, {}, rgb8), 235, 235, 235);
    // 75% yellow is R = G = 75%, B = 0 when decoded as it was coded.
    ExpectCodes(Predict(kYellow709, Matrix::Bt709, {Matrix::Bt709, Coding::Full, kClipNone}, rgb8), 191, 191, 0, 1);
}

TEST(PictureModel, MatrixCodesAndTheCleanHypothesisFirst)
{
    Matrix m{};
    EXPECT_TRUE(MatrixOfCode(6, m));
    EXPECT_EQ(m, Matrix::Bt601);
    EXPECT_TRUE(MatrixOfCode(9, m));
    EXPECT_EQ(m, Matrix::Bt2020);
    EXPECT_FALSE(MatrixOfCode(2, m));
    const auto all = AllHypotheses(Matrix::Bt2020);
    EXPECT_EQ(all.front().Departures(Matrix::Bt2020), 0);
    EXPECT_EQ(all.size(), 36u);
}
