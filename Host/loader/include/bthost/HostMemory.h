#pragma once
// The host's memory functions with a ledger: every block the module asks for
// is recorded until it is released, so tests can count live blocks, make
// allocations fail and catch releases of blocks the host never gave out.
// [any thread]

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace bthost {

class HostMemory {
public:
    HostMemory() = default;
    ~HostMemory();
    HostMemory(const HostMemory&) = delete;
    HostMemory& operator=(const HostMemory&) = delete;

    /// A zero-filled block, or null when failing.
    void* Allocate(std::uint32_t size);
    /// Releases a block from Allocate; a block the ledger does not know is
    /// counted as a bad release and left alone.
    void Release(void* block);

    /// The next `count` allocations fail (return null); -1 fails all of them.
    void FailAllocations(int count);

    [[nodiscard]] std::size_t LiveBlocks() const;
    [[nodiscard]] std::size_t BlockSize(const void* block) const; ///< 0 for unknown blocks
    [[nodiscard]] std::size_t AllocationCount() const;
    [[nodiscard]] std::size_t FailedAllocationCount() const;
    [[nodiscard]] std::size_t BadReleaseCount() const;

private:
    mutable std::mutex mMutex;
    std::unordered_map<const void*, std::size_t> mLive;
    int mFailCount = 0;
    std::size_t mAllocations = 0;
    std::size_t mFailed = 0;
    std::size_t mBadReleases = 0;
};

} // namespace bthost
