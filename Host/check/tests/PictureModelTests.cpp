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

Hypothesis Coded(Matrix m, Coding c, int clip)
{
    Hypothesis h;
    h.matrix = m;
    h.coding = c;
    h.clip = clip;
    return h;
}

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
    ExpectCodes(Predict(kBlack, Matrix::Bt709, Coded(Matrix::Bt709, Coding::Full, kClipNone), ten), 0, 512, 512);
    ExpectCodes(Predict(kWhite, Matrix::Bt709, Coded(Matrix::Bt709, Coding::Full, kClipNone), ten), 1023, 512, 512);
    // Narrow codes read as full and made narrow again: 16 + 219 × 16/255.
    ExpectCodes(Predict(kBlack, Matrix::Bt709, Coded(Matrix::Bt709, Coding::Squeezed, kClipNone), ten), 119, 512, 512);
    ExpectCodes(Predict(kWhite, Matrix::Bt709, Coded(Matrix::Bt709, Coding::Squeezed, kClipNone), ten), 871, 512, 512);
}

TEST(PictureModel, ReMatrixedYellowIsTheBt601Yellow)
{
    // 75% yellow of SD bars: 8-bit (162, 44, 142) in BT.601.
    const Hypothesis bt601 = Coded(Matrix::Bt601, Coding::Narrow, kClipNone);
    ExpectCodes(Predict(kYellow709, Matrix::Bt709, bt601, {Family::YCbCr, 8}), 162, 44, 142, 1);
    // Greys have no colour difference under any coefficients.
    const Codes grey{500, 512, 512};
    ExpectCodes(Predict(grey, Matrix::Bt709, Coded(Matrix::Bt2020, Coding::Narrow, kClipNone), {Family::YCbCr, 10}), 500,
                512, 512);
}

TEST(PictureModel, ClippingHoldsOnlyWhatLiesBeyondBlackAndWhite)
{
    const FileCoding ten{Family::YCbCr, 10};
    const Codes belowBlack{4, 512, 512}, aboveWhite{1019, 512, 512};
    EXPECT_EQ(Predict(belowBlack, Matrix::Bt709, {}, ten)[0], 4);
    EXPECT_EQ(Predict(belowBlack, Matrix::Bt709, Coded(Matrix::Bt709, Coding::Narrow, kClipBelow), ten)[0], 64);
    EXPECT_EQ(Predict(aboveWhite, Matrix::Bt709, Coded(Matrix::Bt709, Coding::Narrow, kClipBelow), ten)[0], 1019);
    EXPECT_EQ(Predict(aboveWhite, Matrix::Bt709, Coded(Matrix::Bt709, Coding::Narrow, kClipBoth), ten)[0], 940);
}

TEST(PictureModel, RgbDecodesWithTheHypothesisMatrix)
{
    const FileCoding rgb8{Family::Rgb, 8};
    ExpectCodes(Predict(kWhite, Matrix::Bt709, Coded(Matrix::Bt709, Coding::Full, kClipNone), rgb8), 255, 255, 255);
    ExpectCodes(Predict(kWhite, Matrix::Bt709, {}, rgb8), 235, 235, 235);
    // 75% yellow is R = G = 75%, B = 0 when decoded as it was coded.
    ExpectCodes(Predict(kYellow709, Matrix::Bt709, Coded(Matrix::Bt709, Coding::Full, kClipNone), rgb8), 191, 191, 0, 1);
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
    for (std::size_t i = 1; i < all.size(); ++i)
        EXPECT_GE(all[i].Departures(Matrix::Bt2020), all[i - 1].Departures(Matrix::Bt2020));
    // R'G'B' is decoded once, and HDR pictures have no SDR gamut conversion.
    for (const Hypothesis& h : AllHypotheses(Matrix::Bt709, Family::Rgb, false))
        EXPECT_TRUE(!h.decoded && h.gamut == Gamut::None);
}

TEST(PictureModel, DecodedWithOneMatrixAndCodedWithAnother)
{
    // HD yellow decoded as if BT.601 gives R' 0.744, G' 0.798, B' 0.030
    // (not 0.75, 0.75, 0); coded with BT.709's weights that is 8-bit
    // (176, 43, 130), worked by hand from the two sets of weights.
    Hypothesis h;
    h.matrix = Matrix::Bt709;
    h.decoded = Matrix::Bt601;
    const auto got = Predict(kYellow709, Matrix::Bt709, h, {Family::YCbCr, 8});
    EXPECT_NE(got, Predict(kYellow709, Matrix::Bt709, Hypothesis{}, {Family::YCbCr, 8}));
    ExpectCodes(got, 176, 43, 130, 1);
    EXPECT_EQ(h.Departures(Matrix::Bt709), 1);
}

TEST(PictureModel, GamutConversionsMoveSaturatedColoursAndLeaveGreys)
{
    const FileCoding ten{Family::YCbCr, 10};
    const Codes grey{500, 512, 512};
    auto with = [](Gamut g) {
        Hypothesis h;
        h.gamut = g;
        return h;
    };
    for (Gamut g : {Gamut::SmpteCTo709, Gamut::Bt709ToSmpteC, Gamut::EbuTo709, Gamut::Bt709ToEbu}) {
        SCOPED_TRACE(GamutName(g));
        ExpectCodes(Predict(grey, Matrix::Bt709, with(g), ten), 500, 512, 512, 0.5);
        ExpectCodes(Predict(kWhite, Matrix::Bt709, with(g), ten), 940, 512, 512, 0.5);
    }
    // Each way moves the yellow by a few codes, the two ways opposite.
    const auto clean = Predict(kYellow709, Matrix::Bt709, Hypothesis{}, ten);
    const auto there = Predict(kYellow709, Matrix::Bt709, with(Gamut::Bt709ToSmpteC), ten);
    const auto back = Predict(kYellow709, Matrix::Bt709, with(Gamut::SmpteCTo709), ten);
    EXPECT_GT(std::abs(there[1] - clean[1]), 3);
    EXPECT_LT(std::abs(there[1] - clean[1]), 60);
    EXPECT_LT((there[1] - clean[1]) * (back[1] - clean[1]), 0);
}
