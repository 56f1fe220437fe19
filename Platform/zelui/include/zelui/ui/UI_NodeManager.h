#pragma once
// The process's node manager and its default draw supplier.

#include "barsandtone/PlatformApi.h"
#include "zelui/paintbox/SupplierInterface.h"

namespace zelui::ui {

class BT_PLATFORM_API UI_NodeManager {
public:
    /// The process's manager. Rationale: the flag of the host's signature
    /// asks for an off-screen manager; the stand-in has one manager for both.
    static UI_NodeManager& Get(bool offscreen);

    [[nodiscard]] const paintbox::SupplierInterface* GetDefaultDrawSupplier() const noexcept;

private:
    UI_NodeManager() = default;
};

} // namespace zelui::ui
