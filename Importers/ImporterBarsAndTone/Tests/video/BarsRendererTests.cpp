// The painting on its own: what lands in each pixel, written down as numbers
// from the bars' definition, and digests of whole pictures on top.

#include "PlainPicture.h"

#include <gtest/gtest.h>

#include <bit>

using bttest::PlainPicture;

namespace {

const bt::ColorSpaceRow& RowOf(bt::ColorSpace space) { return bt::kColorSpaceRows[bt::RecordValue(space)]; }

PlainPicture Paint(bt::ColorSpace space, std::int32_t width, std::int32_t height)
{
    return PlainPicture(RowOf(space), width, height);
}

struct Golden {
    std::int32_t width, height;
    std::array<std::uint64_t, 4> digest; ///< Rec. 601, Rec. 709, HLG, PQ
};

// Sizes where truncation of the fractions bites differently. The digests were
// taken when every pixel agreed with a region-by-region walk of the tables and
// with the literal pixels below; a new digest is a new picture, reviewed as one.
constexpr Golden kGolden[] = {
    {720, 486, {0xf2bcc3471c1dfda5, 0x55f1156567583d6b, 0x0c0a3a5c358f7c7e, 0xd66dd12f9bd0771e}},
    {720, 480, {0x62781a95054489a5, 0x1046302563ceb6db, 0xbe4e525cf9af2485, 0x17f3846ad4694545}},
    {24, 24, {0xb9deb40a3128d4d8, 0x42027c925448a5d1, 0xffa8b422348f3c81, 0xa853e97aed0c2979}},
    {1920, 1080, {0x1002689e1ef8c3e5, 0xef0e6bdd18ec448f, 0x70799c35d0919c35, 0x1dc9543de47d12d5}},
    {1280, 720, {0xf068b6366f8d1fbc, 0x8e31f21f2d764077, 0x1f2392dce3e3c985, 0x28d06f1b0aeb173d}},
    {3840, 2160, {0xae54a28d5e3db9e0, 0x2d0d42e83cef6908, 0x718b69915964b485, 0xbe447631b1b9132d}},
    {70000, 4, {0x42836add55d6cd33, 0xe89dfd838f3d6950, 0x320815b5ca013b73, 0xa4e78319482f182c}},
    {24, 10000, {0x803a24cbce7fb155, 0xb4f79661eb399120, 0x3d748a6f019635a5, 0x05a61b74bf1e0ee8}},
};

} // namespace

TEST(BarsRenderer, EveryPictureMatchesItsDigestAndLeavesThePaddingAlone)
{
    for (const Golden& golden : kGolden) {
        for (const bt::ColorSpaceRow& space : bt::kColorSpaceRows) {
            const PlainPicture picture(space, golden.width, golden.height);
            EXPECT_EQ(picture.Digest(), golden.digest[bt::RecordValue(space.space)])
                << space.Facts().token << " at " << golden.width << "x" << golden.height;
            EXPECT_TRUE(picture.PaddingUntouched());
        }
    }
}

TEST(BarsRenderer, StandardDefinitionRegionsFallWhereTruncationPutsThem)
{
    const auto sd = Paint(bt::ColorSpace::Rec601, 720, 486);
    const std::array<std::uint8_t, 4> white75{128, 128, 180, 255}, yellow75{142, 44, 161, 255};
    const std::array<std::uint8_t, 4> minusI{97, 156, 58, 255}, white100{128, 128, 235, 255};
    // Region 1: columns 0 to 101, rows 0 to 319.
    EXPECT_EQ(sd.At<std::uint8_t>(101, 319), white75);
    EXPECT_EQ(sd.At<std::uint8_t>(102, 0), yellow75);
    EXPECT_NE(sd.At<std::uint8_t>(0, 320), white75);
    // Region 15 (-I): columns 0 to 127, rows 364 to 485.
    EXPECT_EQ(sd.At<std::uint8_t>(127, 364), minusI);
    EXPECT_EQ(sd.At<std::uint8_t>(0, 485), minusI);
    EXPECT_EQ(sd.At<std::uint8_t>(128, 485), white100);
    EXPECT_NE(sd.At<std::uint8_t>(0, 363), minusI);
}

TEST(BarsRenderer, HighDefinitionRampStepsOneValuePerColumn)
{
    const auto hd = Paint(bt::ColorSpace::Rec709, 1920, 1080);
    // Band edges at rows 629, 720 and 810.
    EXPECT_EQ(hd.Y(0, 628), hd.Y(0, 0));
    EXPECT_NE(hd.Y(0, 629), hd.Y(0, 0));
    // The ramp covers columns 445 to 1472 of rows 720 to 809 (w = 1028).
    const float step = 1.0f / 1028.0f;
    for (std::int32_t y : {720, 765, 809}) {
        EXPECT_EQ(hd.Y(445, y), 0.0f);
        EXPECT_EQ(hd.Y(446, y), step);
        EXPECT_EQ(hd.Y(1000, y), 555.0f * step);
        EXPECT_EQ(hd.Y(1472, y), 1027.0f * step);
        EXPECT_LT(hd.Y(1472, y), 1.0f);
        EXPECT_EQ(hd.At<float>(1473, y), (std::array<float, 4>{0.0f, 0.0f, 1.0f, 1.0f})); // 100% white
    }
    EXPECT_EQ(hd.Y(900, 719), static_cast<float>((180 - 16) / 219.0)); // 75% white above
    EXPECT_NE(hd.Y(446, 810), step);
}

TEST(BarsRenderer, HighDynamicRangeBandsAndRampsAt1920By1080)
{
    for (const bt::ColorSpace space : {bt::ColorSpace::Rec2100Hlg, bt::ColorSpace::Rec2100Pq}) {
        const bool hlg = space == bt::ColorSpace::Rec2100Hlg;
        const auto p = Paint(space, 1920, 1080);
        // Band edges at rows 90, 630, 720 and 810: white of band A, the
        // 75%/58% white of band B, a stair step, black of band D, band E.
        EXPECT_EQ(p.Y(300, 89), 1.0f);
        EXPECT_LT(p.Y(300, 90), 1.0f);
        EXPECT_EQ(p.Y(300, 630), hlg ? -0.0685f : -0.06849342f);
        EXPECT_EQ(p.Y(0, 719), hlg ? 0.749756f : 0.5799104f);
        EXPECT_EQ(p.Y(0, 720), 0.0f);
        EXPECT_NE(p.Y(0, 810), 0.0f);
        // Descending ramp: columns 806 to 856 (w = 51), rising to 0.0.
        const float down = -0.0685f / 51.0f;
        EXPECT_EQ(p.Y(805, 750), -0.0685f);
        EXPECT_EQ(p.Y(806, 750), 51.0f * down);
        EXPECT_EQ(p.Y(830, 750), 27.0f * down);
        EXPECT_EQ(p.Y(856, 750), down);
        // Ascending ramp: columns 857 to 1812 (w = 956), then above white.
        const float up = 1.09f / 956.0f;
        EXPECT_EQ(p.Y(857, 750), 0.0f);
        EXPECT_EQ(p.Y(858, 750), up);
        EXPECT_EQ(p.Y(1812, 750), 955.0f * up);
        EXPECT_EQ(p.Y(1813, 750), 1.09f);
        EXPECT_EQ(p.At<float>(1000, 750)[3], 1.0f);
    }
}

TEST(BarsRenderer, ValuesOutsideNominalRangeAndSignedZerosReachThePictureAsTabled)
{
    const auto pq = Paint(bt::ColorSpace::Rec2100Pq, 1920, 1080);
    // Region 30 (1.0901852), region 41 (-0.0183), region 43 (+0.0183).
    EXPECT_EQ(pq.Y(1600, 650), 1.0901852f);
    EXPECT_EQ(pq.Y(400, 1000), -0.0183f);
    EXPECT_EQ(pq.Y(540, 1000), 0.0183f);
    // Region 19: V is a negative zero, Y 7.31e-07.
    const auto step0 = pq.At<float>(500, 650);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(step0[0]), 0x80000000u);
    EXPECT_EQ(step0[2], 7.31e-07f);
    // Region 37: a colour patch with its tiny and ordinary values.
    EXPECT_EQ(pq.At<float>(10, 1000), (std::array<float, 4>{0.007009974f, -0.10796814f, 0.56500316f, 1.0f}));
    const auto hlg = Paint(bt::ColorSpace::Rec2100Hlg, 1920, 1080);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(hlg.At<float>(500, 650)[0]), 0u);
    EXPECT_EQ(hlg.At<float>(500, 50), (std::array<float, 4>{0.0402143f, -0.5f, 0.9407f, 1.0f}));
}

TEST(BarsRenderer, TinyPicturesDropZeroWidthRegions)
{
    // HD at 24 × 24: region 24 truncates to zero width (columns 15 to 15).
    const auto hd = Paint(bt::ColorSpace::Rec709, 24, 24);
    EXPECT_EQ(hd.Y(14, 20), static_cast<float>((12 - 16) / 219.0));
    EXPECT_EQ(hd.Y(15, 20), static_cast<float>((20 - 16) / 219.0));
    // HDR at 24 × 24: the descending ramp is empty; the ascending ramp starts
    // where it would have started (column 10).
    const auto hlg = Paint(bt::ColorSpace::Rec2100Hlg, 24, 24);
    EXPECT_EQ(hlg.Y(9, 17), -0.0685f);
    EXPECT_EQ(hlg.Y(10, 17), 0.0f);
    EXPECT_EQ(hlg.Y(11, 17), 1.09f / 12.0f);
}

TEST(BarsRenderer, RampsWiderThanAShortCountEndInTheirRegion)
{
    // 70000 columns: the HD ramp is 37513 columns wide.
    const auto hd = Paint(bt::ColorSpace::Rec709, 70000, 4);
    const std::int32_t left = 16226, right = 53739;
    const float step = 1.0f / static_cast<float>(right - left);
    EXPECT_EQ(hd.Y(left, 2), 0.0f);
    EXPECT_EQ(hd.Y(40000, 2), static_cast<float>(40000 - left) * step);
    EXPECT_EQ(hd.Y(right - 1, 2), static_cast<float>(right - 1 - left) * step);
    EXPECT_EQ(hd.Y(right, 2), 1.0f);
}

TEST(BarsRenderer, TallPicturesGiveTheSharedRowToTheLaterBand)
{
    // At 10000 rows band C ends at row 6667 and band D starts at 6666: the
    // later band D (black at the left) owns row 6666.
    const auto hlg = Paint(bt::ColorSpace::Rec2100Hlg, 24, 10000);
    EXPECT_EQ(hlg.Y(0, 6665), 0.749756f);
    EXPECT_EQ(hlg.Y(0, 6666), 0.0f);
}

TEST(BarsRenderer, LeavesMemoryItCannotHoldThePictureInAsItIs)
{
    const bt::ColorSpaceRow& hd = RowOf(bt::ColorSpace::Rec709);
    const std::int32_t width = 16, height = 8, pitch = width * 16;
    std::vector<std::uint8_t> memory(static_cast<std::size_t>(pitch) * height, bttest::kSentinel);
    const std::vector<std::uint8_t> untouched = memory;
    unsigned char* first = memory.data();
    const struct {
        const char* what;
        bt::PictureBuffer buffer;
        bt::FrameRect rect;
    } cases[] = {
        {"no memory", {nullptr, pitch, width, height, hd.format}, {0, 0, width, height}},
        {"8-bit memory for a float picture", {first, pitch, width, height, RK_PixelFormat_VUYA_4444_8u}, {0, 0, width, height}},
        {"no format", {first, pitch, width, height, RK_PixelFormat_Invalid}, {0, 0, width, height}},
        {"a pitch shorter than a row", {first, pitch - 1, width, height, hd.format}, {0, 0, width, height}},
        {"no width", {first, pitch, 0, height, hd.format}, {0, 0, width, height}},
        {"negative height", {first, pitch, width, -height, hd.format}, {0, 0, width, height}},
        {"an empty rectangle", {first, pitch, width, height, hd.format}, {4, 4, 4, 8}},
    };
    for (const auto& c : cases) {
        bt::RenderBarsFrame(c.buffer, c.rect, hd);
        EXPECT_EQ(memory, untouched) << c.what;
    }
}
