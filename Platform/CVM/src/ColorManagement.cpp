#include "CVM/ColorManagement.h"

#include "barsandtone/ProcessShared.h"

#include <atomic>

namespace CVM {

namespace {
// Set by the host, read by the module: one flag for the whole process.
// Zero (the initial state) means the host manages colour.
std::atomic<bool>& ColorManagementRefused()
{
    static std::atomic<bool>& refused = bt::ProcessShared<std::atomic<bool>>("CVM.ColorManagementRefused");
    return refused;
}
} // namespace

bool IsAbleToSupportColorManagement() noexcept
{
    return !ColorManagementRefused().load(std::memory_order_relaxed);
}

void HostControl::SetAbleToSupportColorManagement(bool able) noexcept
{
    ColorManagementRefused().store(!able, std::memory_order_relaxed);
}

} // namespace CVM
