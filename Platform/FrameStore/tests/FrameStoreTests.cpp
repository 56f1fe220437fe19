#include "FrameStore/FrameRecord.h"
#include "FrameStore/FrameStore.h"

#include "barsandtone/PackedBytes.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace rec = FrameStore::FrameRecord;
using namespace bt::packed;

TEST(FrameStore, MissingHandleOrRecordReadsAsEmpty)
{
    void* noRecord = nullptr;
    for (CPixFrameHandle handle : {static_cast<void*>(nullptr), static_cast<void*>(&noRecord)}) {
        EXPECT_EQ(cpixGetRowbytes(handle), 0);
        EXPECT_EQ(cpixGetPixels(handle), nullptr);
        EXPECT_EQ(cpixGetWidth(handle), 0);
        EXPECT_EQ(cpixGetHeight(handle), 0);
        EXPECT_EQ(cpixGetPixelFormat(handle), 0u);
    }
}

TEST(FrameStore, EachQueryReadsItsOwnFieldOfAnUnalignedRecord)
{
    // One byte in, so that no field sits at its natural alignment; every
    // field a value no other field has.
    std::array<std::uint8_t, rec::kSize + 1> bytes{};
    std::uint8_t* record = bytes.data() + 1;
    std::uint8_t pixels[4]{};
    StorePtr(record, rec::kFirstRow, pixels);
    StoreI32(record, rec::kRowPitch, -4100);
    StoreI32(record, rec::kWidth, 1021);
    StoreI32(record, rec::kHeight, 577);
    StoreU32(record, rec::kPixelFormat, 0x41595556);
    void* handle = record;
    EXPECT_EQ(cpixGetPixels(&handle), pixels);
    EXPECT_EQ(cpixGetRowbytes(&handle), -4100);
    EXPECT_EQ(cpixGetWidth(&handle), 1021);
    EXPECT_EQ(cpixGetHeight(&handle), 577);
    EXPECT_EQ(cpixGetPixelFormat(&handle), 0x41595556u);
}
