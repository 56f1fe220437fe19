#pragma once
// How a new clip is made: the host's current sequence, then the user's
// actions in the module's settings dialog (selector 38), then, if asked, a
// host-side edit of the stored record. `new` takes these flags, and so do
// the commands that take a clip, in place of the clip file.

#include "ClipFile.h"
#include "CommandLine.h"

#include <string>
#include <vector>

namespace btcli {

class Session;

/// The host's current sequence, as selector 38 sees it.
struct SequenceOptions {
    std::string size = "1920x1080";
    std::string rate = "30000/1001";   ///< frames per second, "N" or "N/D"
    std::string par = "1/1";
    double audioRate = 48000.0;
    bool dropFrame = false;
    std::string workingSpace = "rec709"; ///< a name or a {GUID}
    std::string locale;                  ///< input locale, e.g. "en_US"; empty: the process's
};

/// What a user does in the settings dialog.
struct DialogOptions {
    std::string preset;
    std::string size;        ///< "WxH"
    std::string videoRate;
    std::string par;
    std::string colourSpace;
    std::string audioRate;
    std::string tone;        ///< "steady" or "identify"
    std::string frequency;   ///< Hz, as the user wrote it
    std::string amplitude;   ///< dB, as the user wrote it
    std::string identifier;
    std::vector<std::string> actions; ///< raw actions, after the ones above
    bool cancel = false;
    bool close = false;
    bool interactive = false;
};

struct ClipRecipe {
    SequenceOptions sequence;
    DialogOptions dialog;
    std::string channels; ///< "5.1": six channels stored after the dialog; empty: as the dialog makes it
};

/// Declares the recipe's flags; returns them, to tell whether any was given.
std::vector<Flag> AddRecipeFlags(Flags& flags, ClipRecipe& recipe);

/// Makes a new clip through selector 38 and the dialog. Throws Cancelled
/// when the dialog is dismissed, UsageError for a refused action or a clip
/// that could not be used (ClipRules.h).
[[nodiscard]] ClipFile CreateClip(Session& session, const ClipRecipe& recipe);

} // namespace btcli
