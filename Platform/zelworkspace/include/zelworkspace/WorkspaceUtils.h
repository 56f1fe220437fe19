#pragma once
// The host's main window, which dialogs are placed under.

#include "barsandtone/PlatformApi.h"
#include "zelui/ui/UI_Node.h"

namespace zelworkspace::workspace {

class BT_PLATFORM_API WorkspaceUtils {
public:
    /// The main top-level window, or null when the host has none (a host
    /// without windows, such as a command-line tool).
    [[nodiscard]] static zelui::ui::UI_Node* FindMainTopLevelWindow() noexcept;
};

namespace HostControl {
/// [host] Sets the main window; null removes it. The host keeps it alive.
BT_PLATFORM_API void SetMainTopLevelWindow(zelui::ui::UI_Node* window) noexcept;
} // namespace HostControl

} // namespace zelworkspace::workspace
