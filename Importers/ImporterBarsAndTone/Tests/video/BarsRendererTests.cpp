// The painting on its own, on memory laid out as no host frame pool makes it.

#include "ExpectedPicture.h"
#include "video/BarsRenderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr std::uint8_t kSentinel = 0xCD;

/// Sentinel-filled memory of `height` rows `pitch` bytes apart.
struct Memory {
    Memory(std::int32_t pitch, std::int32_t height)
        : bytes(static_cast<std::size_t>(pitch) * static_cast<std::size_t>(height), kSentinel)
    {
    }
    [[nodiscard]] bool Untouched() const
    {
        return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == kSentinel; });
    }
    std::vector<std::uint8_t> bytes;
};

} // namespace

TEST(BarsRenderer, PaintsRowsThatRunDownwardInMemory)
{
    // The bottom picture row last in memory and a negative pitch, with
    // padding that must stay as it was.
    const std::int32_t width = 50, height = 30, padding = 12;
    for (const bt::ColorSpaceRow& space : bt::kColorSpaceRows) {
        SCOPED_TRACE(space.Facts().token);
        const std::int32_t rowUsed = width * RK_BytesPerPixel(space.format);
        const std::int32_t pitch = rowUsed + padding;
        Memory memory(pitch, height);
        unsigned char* lastRow = memory.bytes.data() + static_cast<std::ptrdiff_t>(pitch) * (height - 1);
        bt::RenderBarsFrame({lastRow, -pitch, width, height, space.format}, {0, 0, width, height}, space);

        const bttest::ExpectedPicture expected(space, width, height);
        for (std::int32_t y = 0; y < height; ++y) {
            // Picture row y is the y-th row from the start of memory.
            const std::uint8_t* row = memory.bytes.data() + static_cast<std::ptrdiff_t>(pitch) * y;
            EXPECT_EQ(std::memcmp(row, expected.Row(y).data(), static_cast<std::size_t>(rowUsed)), 0) << "row " << y;
            EXPECT_TRUE(std::all_of(row + rowUsed, row + pitch, [](std::uint8_t b) { return b == kSentinel; }));
        }
    }
}

TEST(BarsRenderer, LeavesMemoryItCannotHoldThePictureInAsItIs)
{
    const bt::ColorSpaceRow& hd = bt::kColorSpaceRows[bt::RecordValue(bt::ColorSpace::Rec709)];
    const std::int32_t width = 16, height = 8, pitch = width * 16;
    const bt::FrameRect rect{0, 0, width, height};
    Memory memory(pitch, height);
    unsigned char* first = memory.bytes.data();
    const struct {
        const char* what;
        bt::PictureBuffer buffer;
    } cases[] = {
        {"no memory", {nullptr, pitch, width, height, hd.format}},
        {"8-bit memory for a float picture", {first, pitch, width, height, RK_PixelFormat_VUYA_4444_8u}},
        {"no format", {first, pitch, width, height, RK_PixelFormat_Invalid}},
        {"a pitch shorter than a row", {first, pitch - 1, width, height, hd.format}},
        {"no width", {first, pitch, 0, height, hd.format}},
        {"negative height", {first, pitch, width, -height, hd.format}},
    };
    for (const auto& c : cases) {
        bt::RenderBarsFrame(c.buffer, rect, hd);
        EXPECT_TRUE(memory.Untouched()) << c.what;
        std::fill(memory.bytes.begin(), memory.bytes.end(), kSentinel);
    }
    // An empty rectangle paints nothing either.
    bt::RenderBarsFrame({first, pitch, width, height, hd.format}, {4, 4, 4, 8}, hd);
    EXPECT_TRUE(memory.Untouched());
}
