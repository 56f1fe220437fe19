#include "zelcore/debug/Debug.h"

#include "barsandtone/ProcessShared.h"

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <mutex>

#if defined(__GNUG__)
#include <cxxabi.h>
#endif

namespace zelcore::debug {

namespace {
// Set by the host, called for the module's assertions: one for the process
// (barsandtone/ProcessShared.h).
struct ObserverSlot {
    std::mutex mutex;
    std::function<void(const AssertReport&)> observer;
};
ObserverSlot& InstalledObserver()
{
    static ObserverSlot& slot = bt::ProcessSingleton<ObserverSlot>("zelcore.AssertObserver");
    return slot;
}
} // namespace

bool DoSimpleAssert(const char* file, int line, const char* function, const char* condition,
                    const char* message) noexcept
{
    try {
        AssertReport report{file ? file : "", line, function ? function : "", condition ? condition : "",
                            message ? message : ""};
        std::function<void(const AssertReport&)> observer;
        {
            std::lock_guard lock(InstalledObserver().mutex);
            observer = InstalledObserver().observer;
        }
        if (observer)
            observer(report);
        else
            std::cerr << "assertion failed: " << report.file << ":" << report.line << " in " << report.function
                      << ": " << report.condition << (report.message.empty() ? "" : " - ") << report.message
                      << "\n";
    } catch (...) {
        // Reporting must not add a failure of its own.
    }
    return true;
}

bool IsDebuggerAttached() noexcept
{
#if defined(__linux__)
    try {
        std::ifstream status("/proc/self/status");
        std::string line;
        while (std::getline(status, line))
            if (line.rfind("TracerPid:", 0) == 0)
                return std::strtol(line.c_str() + 10, nullptr, 10) != 0;
    } catch (...) {
    }
#endif
    return false;
}

void BreakIntoDebugger() noexcept
{
#if defined(SIGTRAP)
    std::raise(SIGTRAP);
#endif
}

std::string ReadableTypeName(const std::type_info& type)
{
#if defined(__GNUG__)
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status),
                                                std::free);
    if (status == 0 && name)
        return name.get();
#endif
    return type.name();
}

namespace hostcontrol {
void SetAssertObserver(std::function<void(const AssertReport&)> observer)
{
    std::lock_guard lock(InstalledObserver().mutex);
    InstalledObserver().observer = std::move(observer);
}
} // namespace hostcontrol

} // namespace zelcore::debug
