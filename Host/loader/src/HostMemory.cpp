#include "bthost/HostMemory.h"

#include <cstdlib>

namespace bthost {

HostMemory::~HostMemory()
{
    for (auto& [block, size] : mLive)
        std::free(const_cast<void*>(block));
}

void* HostMemory::Allocate(std::uint32_t size)
{
    std::lock_guard lock(mMutex);
    ++mAllocations;
    if (mFailCount != 0) {
        if (mFailCount > 0)
            --mFailCount;
        ++mFailed;
        return nullptr;
    }
    void* block = std::calloc(size == 0 ? 1 : size, 1);
    if (block != nullptr)
        mLive.emplace(block, size);
    return block;
}

void HostMemory::Release(void* block)
{
    if (block == nullptr)
        return;
    std::lock_guard lock(mMutex);
    if (mLive.erase(block) == 0) {
        ++mBadReleases;
        return;
    }
    std::free(block);
}

void HostMemory::FailAllocations(int count)
{
    std::lock_guard lock(mMutex);
    mFailCount = count;
}

std::size_t HostMemory::LiveBlocks() const
{
    std::lock_guard lock(mMutex);
    return mLive.size();
}

std::size_t HostMemory::BlockSize(const void* block) const
{
    std::lock_guard lock(mMutex);
    auto it = mLive.find(block);
    return it == mLive.end() ? 0 : it->second;
}

std::size_t HostMemory::AllocationCount() const
{
    std::lock_guard lock(mMutex);
    return mAllocations;
}

std::size_t HostMemory::FailedAllocationCount() const
{
    std::lock_guard lock(mMutex);
    return mFailed;
}

std::size_t HostMemory::BadReleaseCount() const
{
    std::lock_guard lock(mMutex);
    return mBadReleases;
}

} // namespace bthost
