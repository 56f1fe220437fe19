#include "PictureFixture.h"

#include <bit>
#include <cmath>

namespace {

struct Size {
    std::int32_t width, height;
    std::int64_t rowStep; ///< rows compared, besides those at band edges
};

// Sizes where truncation of the fractions bites differently.
constexpr Size kSizes[] = {{720, 486, 1},   {720, 480, 1},    {24, 24, 1},
                           {1920, 1080, 5}, {1280, 720, 1}, {3840, 2160, 97}};

} // namespace

TEST_F(PictureTest, EveryColourSpaceMatchesItsTableAtEverySize)
{
    // Padded rows whose pitch is not a multiple of 16 bytes, so fills start
    // at every alignment.
    host->Frames().SetOptions({.rowPadding = 12});
    for (const bt::ColorSpaceRow& space : bt::kColorSpaceRows) {
        for (Size size : kSizes) {
            const auto picture = Paint(space.space, size.width, size.height);
            ASSERT_EQ(picture.result, 0);
            const auto frame = View(picture);
            EXPECT_EQ(frame.rowBytes, size.width * RK_BytesPerPixel(space.format) + 12);
            ExpectPicture(frame, space, size.width, size.height, size.rowStep);
            EXPECT_TRUE(host->Frames().OutsideUntouched(picture.frame));
            host->Frames().Release(picture.frame);
        }
    }
}

TEST_F(PictureTest, StandardDefinitionRegionsFallWhereTruncationPutsThem)
{
    const auto picture = Paint(bt::ColorSpace::Rec601, 720, 486);
    const auto frame = View(picture);
    const std::array<std::uint8_t, 4> white75{128, 128, 180, 255}, yellow75{142, 44, 161, 255};
    const std::array<std::uint8_t, 4> minusI{97, 156, 58, 255}, white100{128, 128, 235, 255};
    // Region 1: columns 0 to 101, rows 0 to 319.
    EXPECT_EQ(At<std::uint8_t>(frame, 101, 319), white75);
    EXPECT_EQ(At<std::uint8_t>(frame, 102, 0), yellow75);
    EXPECT_NE(At<std::uint8_t>(frame, 0, 320), white75);
    // Region 15 (-I): columns 0 to 127, rows 364 to 485.
    EXPECT_EQ(At<std::uint8_t>(frame, 127, 364), minusI);
    EXPECT_EQ(At<std::uint8_t>(frame, 0, 485), minusI);
    EXPECT_EQ(At<std::uint8_t>(frame, 128, 485), white100);
    EXPECT_NE(At<std::uint8_t>(frame, 0, 363), minusI);
}

TEST_F(PictureTest, HighDefinitionRampStepsOneValuePerColumn)
{
    const auto frame = View(Paint(bt::ColorSpace::Rec709, 1920, 1080));
    // Band edges at rows 629, 720 and 810.
    EXPECT_EQ(Y(frame, 0, 628), Y(frame, 0, 0));
    EXPECT_NE(Y(frame, 0, 629), Y(frame, 0, 0));
    // The ramp covers columns 445 to 1472 of rows 720 to 809 (w = 1028).
    const float step = 1.0f / 1028.0f;
    for (std::int32_t y : {720, 765, 809}) {
        EXPECT_EQ(Y(frame, 445, y), 0.0f);
        EXPECT_EQ(Y(frame, 446, y), step);
        EXPECT_EQ(Y(frame, 1000, y), 555.0f * step);
        EXPECT_EQ(Y(frame, 1472, y), 1027.0f * step);
        EXPECT_LT(Y(frame, 1472, y), 1.0f);
        EXPECT_EQ(At<float>(frame, 1473, y), (std::array<float, 4>{0.0f, 0.0f, 1.0f, 1.0f})); // 100% white
    }
    EXPECT_EQ(At<float>(frame, 900, 719)[2], static_cast<float>((180 - 16) / 219.0)); // 75% white above
    EXPECT_NE(Y(frame, 446, 810), step);
}

TEST_F(PictureTest, HighDynamicRangeBandsAndRampsAt1920By1080)
{
    for (const bt::ColorSpace space : {bt::ColorSpace::Rec2100Hlg, bt::ColorSpace::Rec2100Pq}) {
        const bool hlg = space == bt::ColorSpace::Rec2100Hlg;
        const auto frame = View(Paint(space, 1920, 1080));
        // Band edges at rows 90, 630, 720 and 810: white of band A, the
        // 75%/58% white of band B, a stair step, black of band D, band E.
        EXPECT_EQ(Y(frame, 300, 89), 1.0f);
        EXPECT_LT(Y(frame, 300, 90), 1.0f);
        EXPECT_EQ(Y(frame, 300, 630), hlg ? -0.0685f : -0.06849342f);
        EXPECT_EQ(Y(frame, 0, 719), hlg ? 0.749756f : 0.5799104f);
        EXPECT_EQ(Y(frame, 0, 720), 0.0f);
        EXPECT_NE(Y(frame, 0, 810), 0.0f);
        // Descending ramp: columns 806 to 856 (w = 51), rising to 0.0.
        const float down = -0.0685f / 51.0f;
        EXPECT_EQ(Y(frame, 805, 750), -0.0685f);
        EXPECT_EQ(Y(frame, 806, 750), 51.0f * down);
        EXPECT_EQ(Y(frame, 830, 750), 27.0f * down);
        EXPECT_EQ(Y(frame, 856, 750), down);
        // Ascending ramp: columns 857 to 1812 (w = 956), then above white.
        const float up = 1.09f / 956.0f;
        EXPECT_EQ(Y(frame, 857, 750), 0.0f);
        EXPECT_EQ(Y(frame, 858, 750), up);
        EXPECT_EQ(Y(frame, 1812, 750), 955.0f * up);
        EXPECT_EQ(Y(frame, 1813, 750), 1.09f);
        EXPECT_EQ(At<float>(frame, 1000, 750)[3], 1.0f);
    }
}

TEST_F(PictureTest, ValuesOutsideNominalRangeAndSignedZerosReachTheFrameAsTabled)
{
    const auto pq = View(Paint(bt::ColorSpace::Rec2100Pq, 1920, 1080));
    // Region 30 (1.0901852), region 41 (-0.0183), region 43 (+0.0183).
    EXPECT_EQ(Y(pq, 1600, 650), 1.0901852f);
    EXPECT_EQ(Y(pq, 400, 1000), -0.0183f);
    EXPECT_EQ(Y(pq, 540, 1000), 0.0183f);
    // Region 19: V is a negative zero, Y 7.31e-07.
    const auto step0 = At<float>(pq, 500, 650);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(step0[0]), 0x80000000u);
    EXPECT_EQ(step0[2], 7.31e-07f);
    // Region 37: a colour patch with its tiny and ordinary values.
    EXPECT_EQ(At<float>(pq, 10, 1000), (std::array<float, 4>{0.007009974f, -0.10796814f, 0.56500316f, 1.0f}));
    const auto hlg = View(Paint(bt::ColorSpace::Rec2100Hlg, 1920, 1080));
    EXPECT_EQ(std::bit_cast<std::uint32_t>(At<float>(hlg, 500, 650)[0]), 0u);
    EXPECT_EQ(At<float>(hlg, 500, 50), (std::array<float, 4>{0.0402143f, -0.5f, 0.9407f, 1.0f}));
}

TEST_F(PictureTest, TinyFramesDropZeroWidthRegions)
{
    // HD at 24 × 24: region 24 truncates to zero width (columns 15 to 15).
    const auto hd = View(Paint(bt::ColorSpace::Rec709, 24, 24));
    EXPECT_EQ(Y(hd, 14, 20), static_cast<float>((12 - 16) / 219.0));
    EXPECT_EQ(Y(hd, 15, 20), static_cast<float>((20 - 16) / 219.0));
    // HDR at 24 × 24: the descending ramp is empty; the ascending ramp starts
    // where it would have started (column 10).
    const auto hlg = View(Paint(bt::ColorSpace::Rec2100Hlg, 24, 24));
    EXPECT_EQ(Y(hlg, 9, 17), -0.0685f);
    EXPECT_EQ(Y(hlg, 10, 17), 0.0f);
    EXPECT_EQ(Y(hlg, 11, 17), 1.09f / 12.0f);
}

TEST_F(PictureTest, RampsWiderThanAShortCountEndInTheirRegion)
{
    // 70000 columns: the HD ramp is 37513 columns wide.
    const auto frame = View(Paint(bt::ColorSpace::Rec709, 70000, 4));
    const std::int32_t left = 16226, right = 53739;
    const float step = 1.0f / static_cast<float>(right - left);
    EXPECT_EQ(Y(frame, left, 2), 0.0f);
    EXPECT_EQ(Y(frame, left + 40000 - 16226, 2), static_cast<float>(40000 - 16226) * step);
    EXPECT_EQ(Y(frame, right - 1, 2), static_cast<float>(right - 1 - left) * step);
    EXPECT_EQ(Y(frame, right, 2), 1.0f);
    ExpectPicture(frame, RowOf(bt::ColorSpace::Rec709), 70000, 4);
}

TEST_F(PictureTest, TallFramesGiveTheSharedRowToTheLaterBand)
{
    // At 10000 rows band C ends at row 6667 and band D starts at 6666: the
    // later band D (black at the left) owns row 6666.
    const auto frame = View(Paint(bt::ColorSpace::Rec2100Hlg, 24, 10000));
    EXPECT_EQ(Y(frame, 0, 6665), 0.749756f);
    EXPECT_EQ(Y(frame, 0, 6666), 0.0f);
    ExpectPicture(frame, RowOf(bt::ColorSpace::Rec2100Hlg), 24, 10000, 50);
}
