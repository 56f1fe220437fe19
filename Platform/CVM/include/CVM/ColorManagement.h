#pragma once
// Whether the host manages colour. True unless the host says otherwise.

namespace CVM {

bool IsAbleToSupportColorManagement() noexcept;

namespace HostControl {
/// [host] Sets the answer of IsAbleToSupportColorManagement for the process.
void SetAbleToSupportColorManagement(bool able) noexcept;
} // namespace HostControl

} // namespace CVM
