#include "bthost/FramePool.h"

#include "FrameStore/FrameStore.h"

#include <gtest/gtest.h>

#include <cstring>

using bthost::FrameCreation;
using bthost::FramePool;

namespace {

constexpr std::uint32_t kFloatCode = 0x37785556;
constexpr std::uint32_t kByteCode = 0x41595556;

FrameCreation Make(std::uint32_t format, std::int32_t width, std::int32_t height)
{
    FrameCreation c;
    c.two = 2;
    c.pixelFormat = format;
    c.width = width;
    c.height = height;
    return c;
}

} // namespace

TEST(FramePool, FramesCarryTheirRecordWithPaddedPitchAndAlignedRows)
{
    FramePool pool;
    pool.SetOptions({.rowPadding = 12});
    BT_FrameHandle frame = nullptr;
    ASSERT_EQ(pool.Create(&frame, Make(kFloatCode, 10, 3)), 0);
    // The record as the platform's frame reader sees it.
    EXPECT_EQ(cpixGetRowbytes(frame), 10 * 16 + 12);
    EXPECT_EQ(cpixGetWidth(frame), 10);
    EXPECT_EQ(cpixGetHeight(frame), 3);
    EXPECT_EQ(cpixGetPixelFormat(frame), kFloatCode);
    auto* first = static_cast<std::uint8_t*>(cpixGetPixels(frame));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(first) % 64, 0u);

    // New memory is untouched; a write inside the rows keeps the outside so,
    // a write into a row's padding does not.
    EXPECT_TRUE(pool.OutsideUntouched(frame));
    std::memset(first, 0, 160);
    EXPECT_TRUE(pool.OutsideUntouched(frame));
    first[160] = 0;
    EXPECT_FALSE(pool.OutsideUntouched(frame));
}

TEST(FramePool, PitchesOfAnEvenNumberOfCacheLinesGainOneUnlessExactIsAsked)
{
    FramePool pool;
    BT_FrameHandle wide = nullptr, odd = nullptr, exact = nullptr;
    ASSERT_EQ(pool.Create(&wide, Make(kFloatCode, 256, 4)), 0);
    ASSERT_EQ(pool.Create(&odd, Make(kFloatCode, 252, 4)), 0);
    EXPECT_EQ(cpixGetRowbytes(wide), 4096 + 64);
    EXPECT_EQ(cpixGetRowbytes(odd), 252 * 16);
    pool.SetOptions({.exactPitch = true});
    ASSERT_EQ(pool.Create(&exact, Make(kFloatCode, 256, 4)), 0);
    EXPECT_EQ(cpixGetRowbytes(exact), 4096);
}

TEST(FramePool, ReleasedFramesAreReusedForTheSameLayout)
{
    FramePool pool;
    BT_FrameHandle a = nullptr, b = nullptr, c = nullptr;
    ASSERT_EQ(pool.Create(&a, Make(kByteCode, 8, 8)), 0);
    const void* memory = cpixGetPixels(a);
    static_cast<std::uint8_t*>(cpixGetPixels(a))[0] = 7;
    pool.Release(a);
    EXPECT_EQ(pool.LiveFrames(), 0u);
    ASSERT_EQ(pool.Create(&b, Make(kByteCode, 8, 8)), 0);
    EXPECT_EQ(cpixGetPixels(b), memory);
    EXPECT_EQ(static_cast<std::uint8_t*>(cpixGetPixels(b))[0], 7); // as the last picture left it
    ASSERT_EQ(pool.Create(&c, Make(kByteCode, 8, 8)), 0);
    EXPECT_NE(cpixGetPixels(c), memory);
    EXPECT_EQ(pool.LiveFrames(), 2u);
}

TEST(FramePool, RefusesFramesItCannotMake)
{
    FramePool pool;
    BT_FrameHandle frame = reinterpret_cast<BT_FrameHandle>(0x1);
    EXPECT_EQ(pool.Create(&frame, Make(0x12345678, 8, 8)), -1);
    EXPECT_EQ(frame, nullptr);
    for (auto size : {std::pair{0, 8}, std::pair{8, -1}, std::pair{INT32_MAX, 2}, std::pair{65536, 65536}}) {
        frame = reinterpret_cast<BT_FrameHandle>(0x1);
        EXPECT_EQ(pool.Create(&frame, Make(kFloatCode, size.first, size.second)), -1);
        EXPECT_EQ(frame, nullptr);
    }
    EXPECT_EQ(pool.Create(nullptr, Make(kFloatCode, 8, 8)), -1);
    EXPECT_EQ(pool.LiveFrames(), 0u);
}


TEST(FramePool, FramesUpToFourGibibytesAndPitchesUpToTheLargestSignedThirtyTwoBitNumber)
{
    FramePool pool;
    pool.SetOptions({.withoutMemory = true, .exactPitch = true}); // sizes only: nothing is allocated
    BT_FrameHandle frame = nullptr;
    // 16384 pixels of 4 bytes, 65536 rows: 2^32 bytes exactly, then one row more.
    EXPECT_EQ(pool.Create(&frame, Make(kByteCode, 16384, 65536)), 0);
    EXPECT_EQ(pool.Create(&frame, Make(kByteCode, 16384, 65537)), -1);
    // 16-byte pixels: 2^27 - 1 of them make a pitch of 2^31 - 16 bytes; 2^27 of them, 2^31.
    EXPECT_EQ(pool.Create(&frame, Make(kFloatCode, (1 << 27) - 1, 1)), 0);
    EXPECT_EQ(pool.Create(&frame, Make(kFloatCode, 1 << 27, 1)), -1);
    EXPECT_EQ(pool.LiveFrames(), 2u);
}

TEST(FramePool, ChecksAnswerForLiveFramesOfTheirOwnSlotsOnly)
{
    FramePool pool;
    BT_FrameHandle frame = nullptr;
    ASSERT_EQ(pool.Create(&frame, Make(kByteCode, 6, 5)), 0);
    void* firstRow = nullptr;
    EXPECT_EQ(pool.Check(1, frame, &firstRow), 0);
    EXPECT_EQ(firstRow, cpixGetPixels(frame));
    std::int32_t format = 0;
    pool.FailCheck(3, true);
    EXPECT_EQ(pool.Check(3, frame, &format), -1);
    pool.FailCheck(3, false);
    EXPECT_EQ(pool.Check(3, frame, &format), 0);
    EXPECT_EQ(pool.Check(0, frame, &format), -1);
    EXPECT_EQ(pool.Check(4, frame, &format), -1);
    int notAFrame = 0;
    EXPECT_EQ(pool.Check(1, reinterpret_cast<BT_FrameHandle>(&notAFrame), &firstRow), -1);

    pool.Release(frame);
    EXPECT_EQ(pool.Check(1, frame, &firstRow), -1) << "a released frame still answers";
    EXPECT_FALSE(pool.View(frame).has_value());
    EXPECT_FALSE(pool.Creation(frame).has_value());
    EXPECT_EQ(pool.CheckCalls(), (std::vector<int>{1, 3, 3, 0, 4, 1, 1}));
}

TEST(FramePool, AFrameReleasedTwiceIsPooledOnce)
{
    FramePool pool;
    pool.SetOptions({.refillReused = true});
    BT_FrameHandle frame = nullptr, first = nullptr, second = nullptr;
    ASSERT_EQ(pool.Create(&frame, Make(kByteCode, 4, 4)), 0);
    static_cast<std::uint8_t*>(cpixGetPixels(frame))[0] = 7;
    pool.Release(frame);
    pool.Release(frame);
    ASSERT_EQ(pool.Create(&first, Make(kByteCode, 4, 4)), 0);
    ASSERT_EQ(pool.Create(&second, Make(kByteCode, 4, 4)), 0);
    EXPECT_NE(cpixGetPixels(first), cpixGetPixels(second)) << "two live frames share memory";
    EXPECT_EQ(static_cast<std::uint8_t*>(cpixGetPixels(first))[0], bthost::kUntouchedByte); // refilled
}
