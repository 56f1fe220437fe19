#pragma once
// How a host drives the dialogs that layouts build (for host writers).
//
// A dialog runs modally inside the plug-in's call. The layout library builds
// its controls, lets the plug-in initialise them, then hands the running
// dialog to the modal driver that the host installed: the driver shows the
// dialog (or not), performs the user's actions through the DialogSession and
// returns when the dialog has closed. Actions change controls exactly as a
// user would: they notify the control's change functions, are refused on
// disabled controls, and typed numbers are held to the control's range. If
// the driver returns while the dialog is still open, the window is closed
// (not accepted).
//
// With no driver installed, every dialog is accepted as it opens (its OK
// button is pressed). Rationale: a host without a user, such as a batch tool
// or a test written against the plug-in alone, then gets the record the
// dialog sets up at opening instead of a dialog that can never end.
//
// Drivers run on the thread of the plug-in call; install them before the call.

#include "barsandtone/PlatformApi.h"
#include "zelcore/utility/RefCountedObjectWithWeakPtr.h"
#include "zellyrafactory/LyraDocument.h"
#include "zelui/lyracontracts/UI_LyraDialogBase.h"
#include "zelui/ui/UI_Node.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zellyrafactory::hostcontrol {

/// One node of the running dialog, in layout order (depth-first). Entries for
/// the buttons of an OK/Cancel row have no widget of their own and carry the
/// row's.
struct DialogEntry {
    std::string kind;       ///< current-dialect widget kind ("zel_popup", "row"…; "zel_button" for OK/Cancel)
    std::string identifier; ///< empty for widgets without one
    int depth = 0;          ///< 0 for the dialog itself
    const LyraWidget* widget = nullptr; ///< the parsed widget: labels, ranges, decimal places as written
    zelcore::utility::IntrusivePtr<zelui::ui::UI_Node> node; ///< the live control
};

/// The outcome of a user action: done, or refused with the reason.
struct ActionOutcome {
    bool done = true;
    std::string reason;
    explicit operator bool() const noexcept { return done; }
};

class BT_PLATFORM_API DialogSession {
public:
    DialogSession(const LyraDocument& layout, const std::vector<DialogEntry>& entries,
                  zelui::lyracontracts::UI_LyraDialogBase& dialog) noexcept;

    [[nodiscard]] const LyraDocument& Layout() const noexcept { return mLayout; }
    [[nodiscard]] const std::vector<DialogEntry>& Entries() const noexcept { return mEntries; }
    [[nodiscard]] zelui::lyracontracts::UI_LyraDialogBase& Dialog() const noexcept { return mDialog; }
    /// The node with this identifier, or null.
    [[nodiscard]] zelui::ui::UI_Node* Find(std::string_view identifier) const noexcept;
    [[nodiscard]] bool IsClosed() const noexcept { return mDialog.IsClosed(); }

    // The user's actions.
    ActionOutcome ChooseItem(std::string_view popup, std::u16string_view itemText);
    ActionOutcome ChooseItemAt(std::string_view popup, std::int64_t index);
    ActionOutcome TypeNumber(std::string_view numberControl, double value); ///< number edits and hot-text numbers
    ActionOutcome SelectRadioButton(std::string_view radioButton);
    ActionOutcome PressButton(std::string_view button);
    /// The window's close control: the dialog closes without being accepted.
    void CloseWindow() noexcept;

private:
    template <typename Control>
    Control* Control_(std::string_view identifier, const char* kindName, ActionOutcome& outcome) const;

    const LyraDocument& mLayout;
    const std::vector<DialogEntry>& mEntries;
    zelui::lyracontracts::UI_LyraDialogBase& mDialog;
};

class BT_PLATFORM_API ModalDriver {
public:
    virtual ~ModalDriver();
    /// Runs the dialog until it closes (or returns early; see above).
    virtual void RunModal(DialogSession& session) = 0;
};

/// [host] The driver for the dialogs of this process; null restores the default.
BT_PLATFORM_API void InstallModalDriver(std::shared_ptr<ModalDriver> driver);
/// The driver a modal run uses now (the default when none is installed).
[[nodiscard]] BT_PLATFORM_API std::shared_ptr<ModalDriver> CurrentModalDriver();

/// [host] Supplies layout scripts in place of the module's resources: called
/// with the resource name ("BARSANDTONESETTINGSWITHIDENTIFIERSDIALOG" or the
/// same with ".ORIN"); nullopt means no such resource. An empty function
/// restores reading the module's resources.
using ScriptProvider = std::function<std::optional<std::string>(std::string_view resourceName)>;
BT_PLATFORM_API void SetScriptProvider(ScriptProvider provider);

} // namespace zellyrafactory::hostcontrol
