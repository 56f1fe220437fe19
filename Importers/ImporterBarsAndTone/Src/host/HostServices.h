#pragma once
// The services the host offers through the standard-parameter record: memory
// blocks it keeps, and named suites acquired and released within one call.
// Every step of the way may be missing; a missing step reads as "not offered".

#include <cstdint>

namespace bt {

class HostServices {
public:
    explicit HostServices(const void* stdParms) noexcept : mStdParms(stdParms) {}

    /// A block the host keeps after the call; null when the host gives none.
    [[nodiscard]] void* Allocate(std::uint32_t sizeInBytes) const noexcept;
    /// Returns a block from Allocate (or one the host gave us) to the host.
    void Release(void* block) const noexcept;

    /// The host's basic suite, or null when it offers none.
    [[nodiscard]] const void* GetBasicSuite() const noexcept;

private:
    const void* mStdParms;
};

/// Acquires a named suite through a basic suite. Returns the host's result
/// (0 on success); *suite receives the table or stays null.
std::int32_t AcquireSuite(const void* basicSuite, const char* name, std::int32_t version, const void** suite) noexcept;
/// Releases a named suite acquired with AcquireSuite.
void ReleaseSuite(const void* basicSuite, const char* name, std::int32_t version) noexcept;

/// Function at a byte offset of a host function table, or null.
template <typename Fn>
[[nodiscard]] Fn SuiteFunction(const void* table, std::size_t byteOffset) noexcept;

} // namespace bt

#include "barsandtone/PackedBytes.h"

template <typename Fn>
Fn bt::SuiteFunction(const void* table, std::size_t byteOffset) noexcept
{
    if (table == nullptr)
        return nullptr;
    return packed::Load<Fn>(table, byteOffset);
}
