#include "dialog/SettingsDialog.h"

#include "dialog/ControlIds.h"
#include "dialog/DataExchange.h"
#include "dialog/ToneSettingsDialog.h"
#include "zelui/ui/UI_NodeManager.h"
#include "zelworkspace/WorkspaceUtils.h"

#include <new>

namespace bt::dialog {

// Rationale: a dialog that cannot be had for want of memory, whether its
// data exchange or anything the layout library builds, ends the review like
// a cancellation with its own outcome, so the host hears the memory error and
// nothing is stored.
ReviewResult ReviewSettings(const ToneSettings& proposed)
{
    try {
        // Shared with the dialog, which may hold it longer than this call does.
        const auto exchange = CreateDataExchange();
        if (!exchange)
            return {ReviewOutcome::OutOfMemory, proposed};
        exchange->SetToneSettings(proposed);
        HandleToneSettingsDialog(ids::kLayoutNameWide, exchange->GetClassRef(),
                                 zelui::ui::UI_NodeManager::Get(false).GetDefaultDrawSupplier(),
                                 zelworkspace::workspace::WorkspaceUtils::FindMainTopLevelWindow());
        if (exchange->IsCancelled())
            return {ReviewOutcome::Cancelled, proposed};
        return {ReviewOutcome::Accepted, exchange->GetToneSettings()};
    } catch (const std::bad_alloc&) {
        return {ReviewOutcome::OutOfMemory, proposed};
    }
}

} // namespace bt::dialog
