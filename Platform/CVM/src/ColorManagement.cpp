#include "CVM/ColorManagement.h"

#include <atomic>

namespace CVM {

namespace {
std::atomic<bool> gAble{true};
}

bool IsAbleToSupportColorManagement() noexcept { return gAble.load(std::memory_order_relaxed); }

void HostControl::SetAbleToSupportColorManagement(bool able) noexcept { gAble.store(able, std::memory_order_relaxed); }

} // namespace CVM
