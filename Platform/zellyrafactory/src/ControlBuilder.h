#pragma once
// Builds the live controls of a parsed layout.

#include "zellyrafactory/HostControl.h"
#include "zellyrafactory/LyraDocument.h"

#include <vector>

namespace zellyrafactory::detail {

/// The nodes of every widget in layout order; the first is the dialog.
/// Throws LyraSyntaxError naming the line of an unknown widget, a property
/// value of the wrong kind or an identifier used twice.
[[nodiscard]] std::vector<hostcontrol::DialogEntry> BuildControls(const LyraDocument& layout);

} // namespace zellyrafactory::detail
