#pragma once
// The new-clip part of the run: selector 38 with the settings dialog driven
// by scripted actions, and the stored record and clip name printed.

#include "bthost/Host.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace btrun {

/// Whether a command-line argument is a dialog action ("--dialog=<action>").
[[nodiscard]] bool IsDialogActionArgument(const std::string& argument);

/// Creates a clip for a 1920 × 1080, 29.97 fps, Rec. 709 sequence. The dialog
/// performs the actions of the "--dialog=" arguments (their forms are those of
/// ScriptedAction::Parse), or is accepted as it opens when there are none.
/// Returns the selector's result.
int RunNewClip(std::ostream& out, bthost::Host& host, const std::vector<std::string>& dialogArguments);

} // namespace btrun
