#include "zelworkspace/WorkspaceUtils.h"

#include <atomic>

namespace zelworkspace::workspace {

namespace {
std::atomic<zelui::ui::UI_Node*> gMainWindow{nullptr};
}

zelui::ui::UI_Node* WorkspaceUtils::FindMainTopLevelWindow() noexcept { return gMainWindow.load(); }

void HostControl::SetMainTopLevelWindow(zelui::ui::UI_Node* window) noexcept { gMainWindow.store(window); }

} // namespace zelworkspace::workspace
