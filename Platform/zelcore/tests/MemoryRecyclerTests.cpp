#include "zelcore/memory/MemoryRecycler.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using zelcore::memory::MemoryRecycler;

TEST(MemoryRecycler, RecycledBlocksServeTheNextAllocationOfTheirSize)
{
    const std::size_t before = MemoryRecycler::OutstandingBlocks();
    void* a = MemoryRecycler::Allocate(72);
    std::memset(a, 0xCD, 72);
    EXPECT_EQ(MemoryRecycler::OutstandingBlocks(), before + 1);
    MemoryRecycler::Recycle(a, 72);
    EXPECT_EQ(MemoryRecycler::OutstandingBlocks(), before);
    void* b = MemoryRecycler::Allocate(80); // same 16-byte class
    EXPECT_EQ(a, b);
    MemoryRecycler::Recycle(b, 80);
}

TEST(MemoryRecycler, LargeAndZeroSizedBlocksWork)
{
    void* big = MemoryRecycler::Allocate(1 << 20);
    std::memset(big, 1, 1 << 20);
    MemoryRecycler::Recycle(big, 1 << 20);
    void* none = MemoryRecycler::Allocate(0);
    EXPECT_NE(none, nullptr);
    MemoryRecycler::Recycle(none, 0);
    MemoryRecycler::Recycle(nullptr, 16); // ignored
}

TEST(MemoryRecycler, AllocatorServesContainers)
{
    std::vector<int, zelcore::memory::RecyclerAllocator<int>> values(1000, 3);
    EXPECT_EQ(values[999], 3);
}

TEST(MemoryRecycler, HostLimitRefusesAllocationsPastIt)
{
    namespace hc = zelcore::memory::hostcontrol;
    hc::LimitAllocations(2);
    void* a = MemoryRecycler::Allocate(16);
    void* b = MemoryRecycler::Allocate(16);
    EXPECT_THROW((void)MemoryRecycler::Allocate(16), std::bad_alloc);
    EXPECT_THROW((void)MemoryRecycler::Allocate(16), std::bad_alloc);
    hc::LimitAllocations(std::nullopt);
    void* c = MemoryRecycler::Allocate(16);
    for (void* block : {a, b, c})
        MemoryRecycler::Recycle(block, 16);
    hc::LimitAllocations(0);
    EXPECT_THROW((void)MemoryRecycler::Allocate(1 << 20), std::bad_alloc);
    hc::LimitAllocations(std::nullopt);
}
