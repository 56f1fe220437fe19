#include "btmedia/StudioPicture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <limits>
#include <stdexcept>
#include <vector>

using namespace btmedia;

namespace {

float Luma(float y) { return static_cast<float>(StudioCode(y, 64.0f, 876.0f)); }
float Chroma(float c) { return static_cast<float>(StudioCode(c, 512.0f, 896.0f)); }

} // namespace

TEST(StudioCode, NominalLevelsLandOnTheTenBitStudioCodes)
{
    EXPECT_EQ(Luma(0.0f), 64);
    EXPECT_EQ(Luma(1.0f), 940);
    EXPECT_EQ(Chroma(0.0f), 512);
    EXPECT_EQ(Chroma(-0.5f), 64);
    EXPECT_EQ(Chroma(0.5f), 960);
    // 75% white of the 8-bit table (Y 180) after its float scaling.
    EXPECT_EQ(Luma((180.0f - 16.0f) / 219.0f), 720);
}

TEST(StudioCode, SignalOutsideNominalSurvivesUpToTheReservedCodes)
{
    EXPECT_EQ(Luma(-0.0685f), 4);   // lowest HDR step: 64 - 60.006 rounds to 4
    EXPECT_EQ(Luma(1.09f), 1019);   // highest HDR step: 1018.84
    EXPECT_EQ(Luma(-0.0183f), 48);  // 64 - 16.03
    EXPECT_EQ(Luma(0.0183f), 80);
    EXPECT_EQ(Luma(-1.0f), 4);
    EXPECT_EQ(Luma(2.0f), 1019);
    EXPECT_EQ(Luma(std::numeric_limits<float>::quiet_NaN()), 1019);
    EXPECT_EQ(Luma(-std::numeric_limits<float>::infinity()), 4);
}

TEST(ConvertToStudio, FloatFrameIsReadBottomUpInVuyaOrderWithPaddedPitch)
{
    // 2 x 2 picture, pitch of three pixels. Memory row 0 is the bottom row.
    const int width = 2, height = 2;
    const std::size_t pitchFloats = 3 * 4;
    std::vector<float> memory(pitchFloats * height, -9.0f);
    auto put = [&](int x, int pictureRow, float v, float u, float y) {
        float* p = memory.data() + (height - 1 - pictureRow) * pitchFloats + x * 4;
        p[0] = v, p[1] = u, p[2] = y, p[3] = 1.0f;
    };
    put(0, 0, 0.0f, 0.0f, 0.0f);      // top left: black
    put(1, 0, 0.25f, -0.25f, 0.5f);   // top right
    put(0, 1, 0.0f, 0.0f, 1.0f);      // bottom left: white
    put(1, 1, -0.5f, 0.5f, -0.0685f); // bottom right

    StudioPicture picture(width, height);
    ConvertToStudio({width, height, static_cast<std::ptrdiff_t>(pitchFloats * sizeof(float)),
                     reinterpret_cast<const std::uint8_t*>(memory.data()), VuyaLayout::kFloats},
                    picture.Planes());

    EXPECT_EQ(picture.At(0, 0, 0), 64);
    EXPECT_EQ(picture.At(0, 1, 0), 502); // 64 + 438
    EXPECT_EQ(picture.At(1, 1, 0), 288); // Cb from U: 512 - 224
    EXPECT_EQ(picture.At(2, 1, 0), 736); // Cr from V: 512 + 224
    EXPECT_EQ(picture.At(0, 0, 1), 940);
    EXPECT_EQ(picture.At(0, 1, 1), 4);
    EXPECT_EQ(picture.At(1, 1, 1), 960);
    EXPECT_EQ(picture.At(2, 1, 1), 64);
}

TEST(ConvertToStudio, EightBitFrameWidensExactly)
{
    const int width = 4, height = 1;
    const unsigned char pixels[] = {128, 128, 16, 255,  128, 128, 235, 255,
                                    240, 90, 12, 255,   0, 255, 254, 255};
    StudioPicture picture(width, height);
    ConvertToStudio({width, height, 16, pixels, VuyaLayout::kBytes}, picture.Planes());
    EXPECT_EQ(picture.At(0, 0, 0), 64);
    EXPECT_EQ(picture.At(0, 1, 0), 940);
    EXPECT_EQ(picture.At(0, 2, 0), 48);   // below black kept
    EXPECT_EQ(picture.At(2, 2, 0), 960);  // V 240
    EXPECT_EQ(picture.At(1, 2, 0), 360);  // U 90
    EXPECT_EQ(picture.At(2, 3, 0), 4);    // V 0: held to the lowest picture code
    EXPECT_EQ(picture.At(1, 3, 0), 1019); // U 255: held to the highest
    EXPECT_EQ(picture.At(0, 3, 0), 1016);
}

namespace {

/// A float picture of awkward values: random signal across and beyond the
/// nominal range, NaN, infinities, and values whose code lands exactly
/// halfway between two codes (and one float either side of halfway).
std::vector<float> AwkwardFloats(int width, int height, std::size_t pitchFloats)
{
    std::vector<float> memory(pitchFloats * static_cast<std::size_t>(height), 0.0f);
    std::uint32_t state = 12345;
    auto next = [&] { return state = state * 1664525u + 1013904223u; };
    const float special[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity(), -0.0f, 0.0f, 1.0f, -0.5f, 0.5f};
    for (int y = 0; y < height; ++y)
        for (std::size_t i = 0; i < static_cast<std::size_t>(width) * 4; ++i) {
            float& v = memory[static_cast<std::size_t>(y) * pitchFloats + i];
            const std::uint32_t r = next();
            const int channel = static_cast<int>(i % 4);
            const float offset = channel == 2 ? 64.0f : 512.0f;
            const float scale = channel == 2 ? 876.0f : 896.0f;
            switch (r % 5) {
            case 0: v = special[(r >> 8) % 8]; break;
            case 1: { // the value whose code is k + 0.5, nudged by -1, 0 or +1 float
                const float halfway = (static_cast<float>((r >> 8) % 1030) - offset + 0.5f) / scale;
                const int nudge = static_cast<int>((r >> 20) % 3) - 1;
                v = nudge == 0 ? halfway : std::nextafter(halfway, static_cast<float>(nudge) * 10.0f);
                break;
            }
            default: v = static_cast<float>(static_cast<std::int32_t>(r) / 2147483648.0 * 0.75); break;
            }
        }
    return memory;
}

} // namespace

TEST(StudioPlanes, SameCodesComparesPictureNotPadding)
{
    StudioPicture a(5, 3, 1, 0), b(5, 3, 1, 0);
    EXPECT_EQ(a.Planes().ChromaWidth(), 3);
    EXPECT_TRUE(a.Planes().SameCodes(b.Planes()));
    b.Planes().plane[2][2 * 3 + 2] = 7; // last chroma sample of the last row
    EXPECT_FALSE(a.Planes().SameCodes(b.Planes()));
    // Equal codes behind different pitches are the same picture.
    std::vector<std::uint16_t> wide(8 * 3 * 3, 0xFFFF);
    StudioPlanes padded = a.Planes();
    for (int p = 0; p < 3; ++p) {
        padded.plane[p] = wide.data() + p * 24;
        padded.stride[p] = 8;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < (p == 0 ? 5 : 3); ++x)
                padded.plane[p][y * 8 + x] = 0;
    }
    EXPECT_TRUE(a.Planes().SameCodes(padded));
    EXPECT_FALSE(a.Planes().SameCodes(StudioPicture(5, 3).Planes()));
}

TEST(ConvertToStudio, EachWayGivesTheScalarCodesAndWritesNothingForTheSamePicture)
{
    // 37 wide: four blocks of eight and a tail of five; the pitch pads rows.
    const int width = 37, height = 6;
    const std::size_t pitchFloats = 40 * 4;
    const std::vector<float> memory = AwkwardFloats(width, height, pitchFloats);
    auto index = [&](int x, int pictureRow, int channel) {
        return static_cast<std::size_t>(height - 1 - pictureRow) * pitchFloats + static_cast<std::size_t>(x) * 4 +
               static_cast<std::size_t>(channel);
    };
    auto pictureOf = [&](const std::vector<float>& floats) {
        return VuyaPicture{width, height, static_cast<std::ptrdiff_t>(pitchFloats * sizeof(float)),
                           reinterpret_cast<const std::uint8_t*>(floats.data()), VuyaLayout::kFloats};
    };
    struct Change {
        int x, row, channel; ///< channel 0 V, 1 U, 2 Y
        const char* what;
    };
    // Each changes one value to a code of its own (0.3 is none of the awkward values' codes).
    const Change changes[] = {{0, 0, 2, "luma of the first pixel"},   {36, 5, 2, "luma in the tail of the last row"},
                              {12, 3, 2, "luma of a middle row"},     {8, 2, 1, "Cb of a pixel that carries chroma"},
                              {32, 5, 0, "Cr of the last row's last block"}};
    const std::pair<decltype(&ConvertToStudio), decltype(&ConvertToStudioUnlessSame)> ways[] = {
        {&ConvertToStudio, &ConvertToStudioUnlessSame}, {&ConvertToStudioPortable, &ConvertToStudioUnlessSamePortable}};
    for (const auto& [sx, sy] : {std::pair{0, 0}, std::pair{1, 0}, std::pair{1, 1}})
        for (const auto& [convert, unlessSame] : ways) {
            StudioPicture reference(width, height, sx, sy);
            convert(pictureOf(memory), reference.Planes());
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    ASSERT_EQ(reference.At(0, x, y), StudioCode(memory[index(x, y, 2)], 64.0f, 876.0f))
                        << x << "," << y;
                    if (x % (1 << sx) != 0 || y % (1 << sy) != 0)
                        continue;
                    for (int c : {1, 2}) // Cb from U, Cr from V
                        ASSERT_EQ(reference.At(c, x >> sx, y >> sy),
                                  StudioCode(memory[index(x, y, 2 - c)], 512.0f, 896.0f))
                            << x << "," << y;
                }

            StudioPicture out(width, height, sx, sy);
            const StudioPlanes planes = out.Planes();
            for (int p = 0; p < 3; ++p) {
                const int rows = p == 0 ? height : planes.ChromaHeight();
                std::fill_n(planes.plane[p], rows * planes.stride[p], std::uint16_t{0xFFFF});
            }
            EXPECT_TRUE(unlessSame(pictureOf(memory), planes, reference.Planes()));
            EXPECT_EQ(out.At(0, 0, 0), 0xFFFF) << "the same picture wrote";
            EXPECT_EQ(out.At(1, planes.ChromaWidth() - 1, planes.ChromaHeight() - 1), 0xFFFF) << "the same picture wrote";

            for (const Change& change : changes) {
                std::vector<float> changed = memory;
                changed[index(change.x, change.row, change.channel)] = 0.3f;
                StudioPicture expected(width, height, sx, sy);
                convert(pictureOf(changed), expected.Planes());
                // Chroma the planes do not keep is no change.
                const bool kept = change.channel == 2 || (change.x % (1 << sx) == 0 && change.row % (1 << sy) == 0);
                ASSERT_EQ(expected.Planes().SameCodes(reference.Planes()), !kept) << change.what;

                StudioPicture converted(width, height, sx, sy);
                EXPECT_EQ(unlessSame(pictureOf(changed), converted.Planes(), reference.Planes()), !kept)
                    << change.what << ", chroma " << sx << sy;
                if (kept) {
                    EXPECT_TRUE(converted.Planes().SameCodes(expected.Planes())) << change.what << ", chroma " << sx << sy;
                }
            }
        }
}

TEST(ConvertToStudio, RefusesWhatItCannotReadAndPlanesOfAnotherShape)
{
    const std::vector<float> floats(4 * 2 * 2, 0.0f);
    const VuyaPicture picture{2, 2, 32, reinterpret_cast<const std::uint8_t*>(floats.data()), VuyaLayout::kFloats};
    StudioPicture out(2, 2, 1, 0), otherChroma(2, 2, 0, 0), otherSize(2, 1, 1, 0);
    EXPECT_THROW(ConvertToStudio({2, 2, 32, nullptr, VuyaLayout::kFloats}, out.Planes()), std::invalid_argument);
    EXPECT_THROW(ConvertToStudio(picture, otherSize.Planes()), std::invalid_argument);
    EXPECT_THROW((void)ConvertToStudioUnlessSame(picture, out.Planes(), otherChroma.Planes()), std::invalid_argument);
    EXPECT_THROW((void)ConvertToStudioUnlessSame(picture, out.Planes(), otherSize.Planes()), std::invalid_argument);
}
