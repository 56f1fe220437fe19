#pragma once
// The settings record a picture or sound request carries: a first choice, and
// a second one used when the first is null.

#include "barsandtone/PackedBytes.h"

#include <cstddef>

namespace bt {

/// The first-choice pointer, else the second; null when both are (or the
/// request itself is) missing.
[[nodiscard]] inline const void* RequestSettings(const void* request, std::size_t first, std::size_t second) noexcept
{
    if (request == nullptr)
        return nullptr;
    const void* settings = packed::LoadPtr(request, first);
    return settings != nullptr ? settings : packed::LoadPtr(request, second);
}

} // namespace bt
