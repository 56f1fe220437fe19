#include "zelworkspace/WorkspaceUtils.h"

#include "barsandtone/ProcessShared.h"

#include <atomic>

namespace zelworkspace::workspace {

namespace {
// Set by the host, read by the module (barsandtone/ProcessShared.h).
std::atomic<zelui::ui::UI_Node*>& MainWindow()
{
    static auto& window = bt::ProcessShared<std::atomic<zelui::ui::UI_Node*>>("zelworkspace.MainWindow");
    return window;
}
}

zelui::ui::UI_Node* WorkspaceUtils::FindMainTopLevelWindow() noexcept { return MainWindow().load(); }

void HostControl::SetMainTopLevelWindow(zelui::ui::UI_Node* window) noexcept { MainWindow().store(window); }

} // namespace zelworkspace::workspace
