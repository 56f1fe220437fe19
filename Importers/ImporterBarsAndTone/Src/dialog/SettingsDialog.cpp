#include "dialog/SettingsDialog.h"

#include "ImporterBarsAndTone/DialogControls.h"
#include "dialog/DataExchange.h"
#include "dialog/ToneSettingsDialog.h"
#include "zelcore/config/Error.h"
#include "zelcore/debug/Debug.h"
#include "zelui/ui/UI_NodeManager.h"
#include "zelworkspace/WorkspaceUtils.h"

#include <new>

namespace bt::dialog {

// Rationale: a dialog that cannot be had for want of memory, whether its
// data exchange or anything the layout library builds, ends the review like
// a cancellation with its own outcome, so the host hears the memory error and
// nothing is stored. A data exchange that cannot be made raises the
// platform's null-pointer error as any missing object does; the only way to
// miss it is memory, so that is what the review answers.
ReviewResult ReviewSettings(const ToneSettings& proposed)
{
    try {
        // Shared with the dialog, which may hold it longer than this call does.
        const auto exchange = CreateDataExchange();
        if (!exchange)
            zelcore::config::DoThrowNullPtrException(zelcore::debug::GetTypeName<ToneSettingsDialogDataExchange>());
        exchange->SetToneSettings(proposed);
        HandleToneSettingsDialog(ids::kLayoutNameWide, exchange->GetClassRef(),
                                 zelui::ui::UI_NodeManager::Get(false).GetDefaultDrawSupplier(),
                                 zelworkspace::workspace::WorkspaceUtils::FindMainTopLevelWindow());
        if (exchange->IsCancelled())
            return {ReviewOutcome::Cancelled, proposed};
        return {ReviewOutcome::Accepted, exchange->GetToneSettings()};
    } catch (const std::bad_alloc&) {
        return {ReviewOutcome::OutOfMemory, proposed};
    } catch (const zelcore::config::NullPtrException&) {
        return {ReviewOutcome::OutOfMemory, proposed};
    }
}

} // namespace bt::dialog
