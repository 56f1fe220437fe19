#include "btmedia/FramePreview.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

namespace {

// A picture of float V, U, Y, A pixels given top row first, stored bottom-up
// with a padded pitch as a host stores it.
struct FloatPicture {
    std::vector<std::uint8_t> bytes;
    btmedia::VuyaPicture picture;

    FloatPicture(std::int32_t width, const std::vector<std::array<float, 4>>& topDown)
    {
        const auto height = static_cast<std::int32_t>(topDown.size()) / width;
        const std::ptrdiff_t rowBytes = width * 16 + 8;
        bytes.assign(static_cast<std::size_t>(rowBytes * height), 0);
        for (std::int32_t y = 0; y < height; ++y)
            for (std::int32_t x = 0; x < width; ++x)
                std::memcpy(bytes.data() + rowBytes * (height - 1 - y) + 16 * x,
                            topDown[static_cast<std::size_t>(y * width + x)].data(), 16);
        picture = {width, height, rowBytes, bytes.data(), btmedia::VuyaLayout::kFloats};
    }
};

// Rec. 709 Y'CbCr of 75% yellow from its R'G'B' (0.75, 0.75, 0).
std::array<float, 4> Yellow75Rec709()
{
    const double y = 0.75 * (0.2126 + 0.7152);
    return {static_cast<float>((0.75 - y) / 1.5748), static_cast<float>(-y / 1.8556), static_cast<float>(y), 1.0f};
}

} // namespace

TEST(FramePreview, DecodesWithTheNamedMatrixTopRowFirst)
{
    // Top: 75% yellow; bottom: 100% red of the Rec. 2020 table.
    FloatPicture p(1, {Yellow75Rec709(), {0.5f, -0.13963f, 0.2627f, 1.0f}});
    const auto yellow = btmedia::PreviewRgb8(p.picture, 1);
    EXPECT_EQ(std::vector<std::uint8_t>(yellow.begin(), yellow.begin() + 3), (std::vector<std::uint8_t>{191, 191, 0}));
    const auto red = btmedia::PreviewRgb8(p.picture, 9);
    EXPECT_EQ(std::vector<std::uint8_t>(red.begin() + 3, red.end()), (std::vector<std::uint8_t>{255, 0, 0}));
}

TEST(FramePreview, ExpandsStudioRangeBytesWithTheRec601Matrix)
{
    // 75% yellow as the Rec. 601 bars code it, and black, bottom-up.
    const std::uint8_t bytes[8] = {128, 128, 16, 255, 142, 44, 161, 255};
    const btmedia::VuyaPicture p{1, 2, 4, bytes, btmedia::VuyaLayout::kBytes};
    const auto rgb = btmedia::PreviewRgb8(p, 5);
    ASSERT_EQ(rgb.size(), 6u);
    EXPECT_NEAR(rgb[0], 191, 1);
    EXPECT_NEAR(rgb[1], 191, 1);
    EXPECT_NEAR(rgb[2], 0, 1);
    EXPECT_EQ((std::vector<std::uint8_t>(rgb.begin() + 3, rgb.end())), (std::vector<std::uint8_t>{0, 0, 0}));
}

TEST(FramePreview, PreviewClipsWhileSignalKeepsBelowBlackAndAboveWhite)
{
    FloatPicture p(4, {{0.0f, 0.0f, -0.0685f, 1.0f}, {0.0f, 0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 1.0f, 1.0f},
                       {0.0f, 0.0f, 1.09f, 1.0f}});
    const auto preview = btmedia::PreviewRgb8(p.picture, 1);
    const auto signal = btmedia::SignalRgb16(p.picture, 1);
    const std::uint8_t previewGrey[] = {0, 0, 255, 255};
    const std::uint16_t signalGrey[] = {256, 4096, 60160, 65206};
    for (std::size_t i = 0; i < 4; ++i)
        for (std::size_t c = 0; c < 3; ++c) {
            EXPECT_EQ(preview[i * 3 + c], previewGrey[i]) << i;
            EXPECT_NEAR(signal[i * 3 + c], signalGrey[i], 1) << i;
        }
    FloatPicture far(1, {{0.0f, 0.0f, 3.0f, 1.0f}});
    EXPECT_EQ(btmedia::SignalRgb16(far.picture, 1)[0], 65535);
}
