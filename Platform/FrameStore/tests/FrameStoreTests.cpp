#include "FrameStore/FrameStore.h"

#include <gtest/gtest.h>

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
