#pragma once
// The selector table: one row per selector the module handles.

#include "host/SelectorCall.h"

#include <cstdint>
#include <span>

namespace bt {

struct SelectorRow {
    std::uint32_t selector;
    const char* name;
    SelectorHandler handler;
};

/// The rows in ascending selector order. [any thread]
[[nodiscard]] std::span<const SelectorRow> SelectorTable() noexcept;

/// Routes a call to its handler; 3 for every selector without one. May throw
/// whatever a handler throws; the export turns that into a result code.
[[nodiscard]] Result Dispatch(std::uint32_t selector, const SelectorCall& call);

} // namespace bt
