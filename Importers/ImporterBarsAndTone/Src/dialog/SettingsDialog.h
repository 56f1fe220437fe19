#pragma once
// The settings dialog as the rest of the module sees it: one call that shows
// a new clip's proposed settings to the user and answers with their choice.
// The data exchange, the layout name, the drawing supplier and the parent
// window stay behind this face.

#include "host/ToneSettings.h"

namespace bt::dialog {

/// How a review ended.
enum class ReviewOutcome {
    Accepted,    ///< closed through OK, or no layout to show: the settings are the ones to store
    Cancelled,   ///< closed any other way: nothing is to be stored
    OutOfMemory, ///< there was no memory to set up or run the dialog: nothing is to be stored
};

struct ReviewResult {
    ReviewOutcome outcome = ReviewOutcome::Cancelled;
    ToneSettings settings; ///< the user's choice when accepted, else the proposal
};

/// Runs the settings dialog modally under the host's main window, opening on
/// `proposed`. With no layout text to show, nothing is shown and the answer
/// is Accepted with `proposed` unchanged. Running out of memory anywhere in
/// the dialog answers OutOfMemory; errors the layout library raises reach the
/// caller. [user-interface thread]
[[nodiscard]] ReviewResult ReviewSettings(const ToneSettings& proposed);

} // namespace bt::dialog
