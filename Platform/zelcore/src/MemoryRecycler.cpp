#include "zelcore/memory/MemoryRecycler.h"

#include "barsandtone/ProcessShared.h"

#include <array>
#include <atomic>
#include <mutex>
#include <vector>

namespace zelcore::memory {

namespace {

// Rationale: sizes are kept in 16-byte classes up to 512 bytes, at most 64
// blocks per class; anything bigger goes straight back to the heap. The
// dialog and its helpers allocate a handful of small objects per run, so this
// bounds the cache at a few tens of kilobytes.
constexpr std::size_t kGranule = 16;
constexpr std::size_t kClasses = 32;
constexpr std::size_t kKeptPerClass = 64;

struct FreeLists {
    std::mutex mutex;
    std::array<std::vector<void*>, kClasses> lists;
    ~FreeLists()
    {
        for (auto& list : lists)
            for (void* block : list)
                ::operator delete(block);
    }
};

FreeLists& Lists()
{
    static FreeLists lists;
    return lists;
}

// Counts the module's blocks and the host's alike (barsandtone/ProcessShared.h).
std::atomic<std::size_t>& Outstanding()
{
    static auto& count = bt::ProcessShared<std::atomic<std::size_t>>("zelcore.MemoryRecycler.Outstanding");
    return count;
}

// The host's allocation limit (hostcontrol::LimitAllocations): 0 when there
// is none, else one more than the allocations still granted.
std::atomic<std::size_t>& Limit()
{
    static auto& limit = bt::ProcessShared<std::atomic<std::size_t>>("zelcore.MemoryRecycler.Limit");
    return limit;
}

/// Takes one allocation from the limit; false when none is left.
bool Granted() noexcept
{
    auto& limit = Limit();
    std::size_t left = limit.load(std::memory_order_relaxed);
    while (left != 0) {
        if (left == 1)
            return false;
        if (limit.compare_exchange_weak(left, left - 1, std::memory_order_relaxed))
            return true;
    }
    return true;
}

std::size_t ClassOf(std::size_t size) noexcept { return size == 0 ? 0 : (size - 1) / kGranule; }

} // namespace

void* MemoryRecycler::Allocate(std::size_t size)
{
    if (!Granted())
        throw std::bad_alloc();
    const std::size_t sizeClass = ClassOf(size);
    void* block = nullptr;
    if (sizeClass < kClasses) {
        FreeLists& free = Lists();
        std::lock_guard lock(free.mutex);
        auto& list = free.lists[sizeClass];
        if (!list.empty()) {
            block = list.back();
            list.pop_back();
        }
    }
    if (block == nullptr)
        block = ::operator new(sizeClass < kClasses ? (sizeClass + 1) * kGranule : size);
    Outstanding().fetch_add(1, std::memory_order_relaxed);
    return block;
}

void MemoryRecycler::Recycle(void* block, std::size_t size) noexcept
{
    if (block == nullptr)
        return;
    Outstanding().fetch_sub(1, std::memory_order_relaxed);
    const std::size_t sizeClass = ClassOf(size);
    if (sizeClass < kClasses) {
        FreeLists& free = Lists();
        std::lock_guard lock(free.mutex);
        auto& list = free.lists[sizeClass];
        if (list.size() < kKeptPerClass) {
            try {
                list.push_back(block);
                return;
            } catch (...) {
                // No room to keep it: give it back below.
            }
        }
    }
    ::operator delete(block);
}

void hostcontrol::LimitAllocations(std::optional<std::size_t> count) noexcept
{
    Limit().store(count && *count < static_cast<std::size_t>(-1) ? *count + 1 : 0, std::memory_order_relaxed);
}

std::size_t MemoryRecycler::OutstandingBlocks() noexcept { return Outstanding().load(std::memory_order_relaxed); }

} // namespace zelcore::memory
