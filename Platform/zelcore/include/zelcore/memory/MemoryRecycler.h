#pragma once
// Small blocks for the platform's and the module's own containers: allocate by
// size, recycle by address and the same size. Recycled blocks of the common
// sizes are kept for the next allocation of that size. [any thread]

#include "barsandtone/PlatformApi.h"

#include <cstddef>
#include <new>
#include <optional>

namespace zelcore::memory {

class BT_PLATFORM_API MemoryRecycler {
public:
    /// A block of at least `size` bytes, aligned for any object; throws
    /// std::bad_alloc when there is none.
    [[nodiscard]] static void* Allocate(std::size_t size);
    /// Gives back a block from Allocate with the size it was asked for.
    static void Recycle(void* block, std::size_t size) noexcept;
    /// Blocks handed out and not yet recycled.
    [[nodiscard]] static std::size_t OutstandingBlocks() noexcept;
};

namespace hostcontrol {
/// [host] Lets the next `count` allocations succeed and refuses every later
/// one with std::bad_alloc, as a process out of memory would; nullopt lifts
/// the limit. For checking how callers cope with running out.
BT_PLATFORM_API void LimitAllocations(std::optional<std::size_t> count) noexcept;
} // namespace hostcontrol

/// An allocator over the recycler, for std::allocate_shared and containers.
template <typename T>
struct RecyclerAllocator {
    using value_type = T;
    RecyclerAllocator() noexcept = default;
    template <typename U>
    RecyclerAllocator(const RecyclerAllocator<U>&) noexcept {}

    [[nodiscard]] T* allocate(std::size_t n)
    {
        if (n > static_cast<std::size_t>(-1) / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T*>(MemoryRecycler::Allocate(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t n) noexcept { MemoryRecycler::Recycle(p, n * sizeof(T)); }

    template <typename U>
    friend bool operator==(const RecyclerAllocator&, const RecyclerAllocator<U>&) noexcept { return true; }
};

} // namespace zelcore::memory
