#include "bthost/HostMemory.h"

#include <gtest/gtest.h>

using bthost::HostMemory;

TEST(HostMemory, LedgerCountsLiveBlocksAndCatchesBadReleases)
{
    HostMemory memory;
    void* a = memory.Allocate(72);
    void* b = memory.Allocate(8);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(memory.LiveBlocks(), 2u);
    EXPECT_EQ(memory.BlockSize(a), 72u);
    memory.Release(a);
    EXPECT_EQ(memory.LiveBlocks(), 1u);
    memory.Release(a); // twice
    int notOurs = 0;
    memory.Release(&notOurs);
    EXPECT_EQ(memory.BadReleaseCount(), 2u);
    memory.Release(b);
    EXPECT_EQ(memory.LiveBlocks(), 0u);
}

TEST(HostMemory, FailsTheRequestedNumberOfAllocations)
{
    HostMemory memory;
    memory.FailAllocations(2);
    EXPECT_EQ(memory.Allocate(4), nullptr);
    EXPECT_EQ(memory.Allocate(4), nullptr);
    void* third = memory.Allocate(4);
    EXPECT_NE(third, nullptr);
    memory.FailAllocations(-1);
    EXPECT_EQ(memory.Allocate(4), nullptr);
    EXPECT_EQ(memory.FailedAllocationCount(), 3u);
    memory.Release(third);
}

TEST(HostMemory, BlocksStartZeroedAndAnEmptyOneIsStillABlock)
{
    HostMemory memory;
    auto* block = static_cast<unsigned char*>(memory.Allocate(64));
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(block[i], 0) << i;
    void* empty = memory.Allocate(0);
    void* other = memory.Allocate(0);
    ASSERT_NE(empty, nullptr);
    EXPECT_NE(empty, other);
    EXPECT_EQ(memory.BlockSize(empty), 0u);
    memory.Release(nullptr); // as free() takes it: not a bad release
    EXPECT_EQ(memory.BadReleaseCount(), 0u);
    for (void* b : {static_cast<void*>(block), empty, other})
        memory.Release(b);
    EXPECT_EQ(memory.LiveBlocks(), 0u);
    EXPECT_EQ(memory.AllocationCount(), 3u);
}
