#pragma once
// Contract checks: a failed check is reported with where it happened, and the
// caller stops in a debugger when one is attached.

#include "barsandtone/PlatformApi.h"

#include <functional>
#include <string>
#include <typeinfo>

namespace zelcore::debug {

struct AssertReport {
    std::string file;
    int line = 0;
    std::string function;
    std::string condition;
    std::string message;
};

/// Reports a failed check (to the host's observer, else to standard error).
/// Returns true: a failure was reported, and the caller breaks into the
/// debugger when IsDebuggerAttached() says one is there.
BT_PLATFORM_API bool DoSimpleAssert(const char* file, int line, const char* function, const char* condition,
                                    const char* message) noexcept;

/// Whether a debugger is tracing this process.
[[nodiscard]] BT_PLATFORM_API bool IsDebuggerAttached() noexcept;

/// Stops in the attached debugger.
BT_PLATFORM_API void BreakIntoDebugger() noexcept;

/// A readable type name from the compiler's type information.
[[nodiscard]] BT_PLATFORM_API std::string ReadableTypeName(const std::type_info& type);

template <typename T>
[[nodiscard]] std::string GetTypeName()
{
    return ReadableTypeName(typeid(T));
}

namespace hostcontrol {
/// [host] Receives every failed check instead of standard error; an empty
/// function restores the default.
BT_PLATFORM_API void SetAssertObserver(std::function<void(const AssertReport&)> observer);
} // namespace hostcontrol

} // namespace zelcore::debug
