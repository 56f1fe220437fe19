#pragma once
// Process-wide state of a platform library: what the host sets through a
// library's host-control functions and the module reads.
//
// Rationale: on Linux each platform library is one shared object in the
// process, so its statics are process-wide already. The Windows module carries
// the platform libraries linked in, and so does each host program that uses
// them, so module and host would each hold a copy of every static and a
// host's setting would never reach the module. Such state lives instead in a
// block named after the process and the state, which every copy maps.
//
// ProcessShared<T>: the block starts zero-filled, so T must have all-zero
// bytes as its initial state and need no destructor (std::atomic of an
// integer, a bool or a pointer). ProcessSingleton<T>: any default-constructible
// T, made by whichever copy asks first and never destroyed. Callers keep the
// reference in a function-local static.

#include <atomic>
#include <type_traits>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#else
#include <map>
#include <memory>
#include <mutex>
#include <string>
#endif

namespace bt {

namespace detail {
#if defined(_WIN32)
inline void* ProcessSharedBlock(const char* name, unsigned size) noexcept
{
    char fullName[160];
    std::snprintf(fullName, sizeof fullName, "Local\\barsandtone-%lu-%s", GetCurrentProcessId(), name);
    // The mapping handle stays open until the process ends, and with it the block.
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, fullName);
    void* view = mapping == nullptr ? nullptr : MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, size);
    if (view == nullptr)
        std::abort(); // no process-wide state means no platform library: nothing sensible to go on with
    return view;
}
#else
inline void* ProcessSharedBlock(const char* name, unsigned size)
{
    static std::mutex mutex;
    // Never destroyed, like the Windows blocks: state must outlive every
    // static destructor that may still read it.
    static auto* blocks = new std::map<std::string, std::unique_ptr<unsigned char[]>>;
    std::lock_guard lock(mutex);
    auto& block = (*blocks)[name];
    if (!block)
        block = std::make_unique<unsigned char[]>(size); // zero-filled
    return block.get();
}
#endif
} // namespace detail

template <typename T>
[[nodiscard]] T& ProcessShared(const char* name)
{
    static_assert(std::is_trivially_destructible_v<T> && std::is_standard_layout_v<T>);
    return *static_cast<T*>(detail::ProcessSharedBlock(name, static_cast<unsigned>(sizeof(T))));
}

template <typename T>
[[nodiscard]] T& ProcessSingleton(const char* name)
{
    auto& slot = ProcessShared<std::atomic<T*>>(name);
    T* current = slot.load(std::memory_order_acquire);
    if (current == nullptr) {
        T* fresh = new T();
        if (slot.compare_exchange_strong(current, fresh, std::memory_order_acq_rel))
            current = fresh;
        else
            delete fresh; // another copy was first; `current` holds its object
    }
    return *current;
}

} // namespace bt
