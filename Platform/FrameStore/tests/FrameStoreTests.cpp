#include "FrameStore/FrameStore.h"

#include "ImporterBarsAndTone/HostRecords.h"
#include "barsandtone/PackedBytes.h"

#include <gtest/gtest.h>

#include <array>

using namespace bt::packed;
namespace rec = bt::records::FrameRecord;

TEST(FrameStore, ReadsTheRecordThroughTheHandle)
{
    // An odd record address: the record is packed and may sit anywhere.
    std::array<std::uint8_t, rec::kSize + 1> storage{};
    void* record = storage.data() + 1;
    int pixel = 0;
    StorePtr(record, rec::kFirstRow, &pixel);
    StoreI32(record, rec::kRowPitch, 7696);
    StoreI32(record, rec::kWidth, 1920);
    StoreI32(record, rec::kHeight, 1080);
    StoreU32(record, rec::kPixelFormat, 0x37785556u);
    void* handle = &record;

    EXPECT_EQ(cpixGetRowbytes(handle), 7696);
    EXPECT_EQ(cpixGetPixels(handle), &pixel);
    EXPECT_EQ(cpixGetWidth(handle), 1920);
    EXPECT_EQ(cpixGetHeight(handle), 1080);
    EXPECT_EQ(cpixGetPixelFormat(handle), 0x37785556u);
}

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
