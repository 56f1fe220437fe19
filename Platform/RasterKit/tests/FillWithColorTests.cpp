#include "RasterKit/RasterKit.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr unsigned char kSentinel = 0xCD;

struct Block {
    std::size_t offset;   ///< first byte of the block in the buffer
    std::int32_t rowBytes;
    std::int32_t width;
    std::int32_t height;
};

// Fills a block inside a sentinel buffer and checks every byte of the buffer:
// the block's pixels hold the pixel, everything else the sentinel.
void ExpectBlockFilled(const Block& b, RK_PixelFormat format, const void* pixel)
{
    const std::size_t bpp = static_cast<std::size_t>(RK_BytesPerPixel(format));
    const std::size_t span = static_cast<std::size_t>(std::abs(b.rowBytes)) * static_cast<std::size_t>(b.height);
    std::vector<unsigned char> buffer(b.offset + span + 256, kSentinel);
    // Negative pitch: the first row is the last one in the buffer.
    const std::ptrdiff_t firstRow =
        b.rowBytes >= 0 ? 0 : static_cast<std::ptrdiff_t>(-b.rowBytes) * (b.height - 1);
    unsigned char* dest = buffer.data() + b.offset + firstRow;
    ASSERT_EQ(RK_FillWithColor(dest, b.rowBytes, b.width, b.height, format, pixel, format), RK_Success);

    // The expected byte of every buffer position: the sentinel outside the block.
    const auto* bytes = static_cast<const unsigned char*>(pixel);
    std::vector<unsigned char> expected(buffer.size(), kSentinel);
    for (std::int32_t r = 0; r < b.height; ++r) {
        const std::size_t rowStart = static_cast<std::size_t>(dest - buffer.data() + std::ptrdiff_t{r} * b.rowBytes);
        for (std::size_t i = 0; i < static_cast<std::size_t>(b.width) * bpp; ++i)
            expected[rowStart + i] = bytes[i % bpp];
    }
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < buffer.size(); ++i)
        wrong += buffer[i] != expected[i];
    EXPECT_EQ(wrong, 0u) << "offset " << b.offset << " pitch " << b.rowBytes << " size " << b.width << "x" << b.height;
}

const std::array<float, 4> kFloatPixel{-0.0f, 7e-09f, 1.0901852f, 1.0f};
const std::array<unsigned char, 4> kBytePixel{142, 44, 161, 255};

} // namespace

TEST(RasterKitFill, WritesExactlyTheBlockAtEveryAlignmentAndPitch)
{
    // Small blocks, short rows, misaligned starts and pitches that are not a
    // multiple of 16 bytes, in both formats.
    for (std::size_t offset : {0u, 1u, 4u, 12u, 16u, 52u}) {
        for (std::int32_t width : {1, 2, 3, 5, 17, 64}) {
            const std::int32_t pitchF = width * 16 + 12;
            const std::int32_t pitchB = width * 4 + 3;
            ExpectBlockFilled({offset, pitchF, width, 3}, RK_PixelFormat_VUYA_4444_32f, kFloatPixel.data());
            ExpectBlockFilled({offset, pitchB, width, 3}, RK_PixelFormat_VUYA_4444_8u, kBytePixel.data());
        }
    }
}

TEST(RasterKitFill, LargeBlocksAndNegativePitchesWithoutTouchingNeighbours)
{
    // Past the streaming size: padded pitch, misaligned start, odd widths,
    // and rows that touch each other (one long row); then rows running
    // upward in memory.
    ExpectBlockFilled({20, 1920 * 16 + 48, 1001, 40}, RK_PixelFormat_VUYA_4444_32f, kFloatPixel.data());
    ExpectBlockFilled({3, 4001 * 4 + 5, 4001, 70}, RK_PixelFormat_VUYA_4444_8u, kBytePixel.data());
    ExpectBlockFilled({16, 300 * 16, 300, 120}, RK_PixelFormat_VUYA_4444_32f, kFloatPixel.data());
    ExpectBlockFilled({8, -(50 * 16 + 16), 50, 4}, RK_PixelFormat_VUYA_4444_32f, kFloatPixel.data());
    ExpectBlockFilled({8, -(30 * 4 + 1), 30, 5}, RK_PixelFormat_VUYA_4444_8u, kBytePixel.data());
}

TEST(RasterKitFill, EmptyBlocksAndBadArgumentsWriteNothing)
{
    std::array<unsigned char, 64> buffer;
    buffer.fill(kSentinel);
    const auto untouched = buffer;
    constexpr auto k8u = RK_PixelFormat_VUYA_4444_8u;
    const auto* pixel = kBytePixel.data();
    EXPECT_EQ(RK_FillWithColor(buffer.data(), 64, 0, 1, k8u, pixel, k8u), RK_Success);
    EXPECT_EQ(RK_FillWithColor(buffer.data(), 64, 1, -3, k8u, pixel, k8u), RK_Success);
    EXPECT_EQ(RK_FillWithColor(nullptr, 64, 1, 1, k8u, pixel, k8u), RK_ErrorBadParameter);
    EXPECT_EQ(RK_FillWithColor(buffer.data(), 64, 1, 1, k8u, nullptr, k8u), RK_ErrorBadParameter);
    EXPECT_EQ(RK_FillWithColor(buffer.data(), 64, 1, 1, static_cast<RK_PixelFormat>(2062), pixel, k8u), RK_ErrorUnsupportedFormat);
    EXPECT_EQ(RK_FillWithColor(buffer.data(), 64, 1, 1, k8u, pixel, RK_PixelFormat_Invalid), RK_ErrorUnsupportedFormat);
    EXPECT_EQ(buffer, untouched);
}
