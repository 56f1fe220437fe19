#include "dialog/SettingsDialog.h"

#include "dialog/ControlIds.h"
#include "dialog/DataExchange.h"
#include "dialog/ToneSettingsDialog.h"
#include "zelcore/config/Error.h"
#include "zelcore/debug/Debug.h"
#include "zelui/ui/UI_NodeManager.h"
#include "zelworkspace/WorkspaceUtils.h"

namespace bt::dialog {

ReviewResult ReviewSettings(const ToneSettings& proposed)
{
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
}

} // namespace bt::dialog
