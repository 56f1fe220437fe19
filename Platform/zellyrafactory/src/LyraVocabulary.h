#pragma once
// The older dialect's words and their current-dialect equivalents.

#include "zellyrafactory/LyraDocument.h"

namespace zellyrafactory::detail {

/// Rewrites a widget tree written in the older dialect into the current one.
void RewriteOlderDialect(LyraWidget& widget);

} // namespace zellyrafactory::detail
