#pragma once
// The command line's dialog flags as user actions on the module's settings
// dialog. A choice is given as a person would say it ("UHD Rec.2100 PQ",
// "pq", "25", "48000") and matched against the items the pop-up holds at the
// moment the action is performed, since some lists depend on earlier choices.
//
// Matching, first rule that finds exactly one item wins:
//   1. the item's text as written;
//   2. the same ignoring case, spaces and punctuation ("hd rec709");
//   3. a number equal to the last number of an item's text ("25" is
//      "25.00 fps", "1.0940" is "D1/DV PAL(1.0940)", "48000" is "48000 Hz");
//   4. a short name: a colour space's or an identifier format's token
//      (rec601, hlg, ebu400, blits, ...) for its dialog item;
//   5. the only item whose plain text contains the words given.
// When none or several match, the action is refused with the items listed.
//
// The dialog holds a typed number to its control's range, as it does for a
// person; the driver reads the control back and reports each value the
// dialog changed, in the user's own flags. Values no control can take (zero
// or negative where only more than zero makes sense, not a number) are
// refused before the dialog opens.

#include "ClipRecipe.h"

#include "zellyrafactory/HostControl.h"

#include <memory>
#include <string>
#include <vector>

namespace btcli {

struct DialogStep {
    enum class Kind { Choose, Type, Select, Press, Close };
    Kind kind = Kind::Close;
    std::string control;
    std::string text;   ///< Choose: what the user asked for
    double number = 0;  ///< Type
    std::string flag;   ///< the user's words: "--frequency 1e9", "--size 99999x99999"
    std::string part;   ///< what of the flag this control takes ("width"); empty for all of it
};

/// The steps for the flags, in a fixed order (preset first, so that later
/// flags refine it), ending with OK, Cancel or closing the window.
/// Throws UsageError for a malformed flag value.
[[nodiscard]] std::vector<DialogStep> StepsFor(const DialogOptions& dialog);

/// UTF-16 text (the dialog's) as UTF-8.
[[nodiscard]] std::string Utf8(const std::u16string& text);

/// Index of the item `wanted` names among `items`, or -1; `why` says what
/// went wrong when it is -1.
[[nodiscard]] long MatchItem(const std::vector<std::string>& items, const std::string& wanted, std::string& why);

/// Performs the steps on the running dialog. A refused step closes the
/// dialog unaccepted and is reported by Failure(); numbers the dialog held
/// to a range are reported by Adjustments().
class FlagDriver : public zellyrafactory::hostcontrol::ModalDriver {
public:
    explicit FlagDriver(std::vector<DialogStep> steps) : mSteps(std::move(steps)) {}
    void RunModal(zellyrafactory::hostcontrol::DialogSession& session) override;
    [[nodiscard]] const std::string& Failure() const noexcept { return mFailure; }
    [[nodiscard]] const std::vector<std::string>& Adjustments() const noexcept { return mAdjustments; }
    [[nodiscard]] int Runs() const noexcept { return mRuns; }

private:
    std::vector<DialogStep> mSteps;
    std::string mFailure;
    std::vector<std::string> mAdjustments;
    int mRuns = 0;
};

} // namespace btcli
