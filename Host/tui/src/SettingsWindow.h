#pragma once
// The dialog's window on the terminal: one widget per control of the screen
// plan, placed in a frame with the dialog's title and a last line saying what
// the keys do. After every action it reads the whole dialog again, so the
// screen always shows the dialog's own values and enabled states.

#include "ShownControl.h"
#include "bttui/ScreenPlan.h"
#include "zellyrafactory/HostControl.h"

#include <final/final.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace bttui {

class SettingsWindow final : public finalcut::FDialog {
public:
    SettingsWindow(finalcut::FWidget* parent, zellyrafactory::hostcontrol::DialogSession& session,
                   const ScreenPlan& plan);

    /// Performs a user action, then shows the dialog as it now is; closes
    /// the window when the action closed the dialog.
    void Act(const std::function<zellyrafactory::hostcontrol::ActionOutcome()>& action);
    /// True while the widgets are being set from the live controls: the
    /// changes they report then are ours, not the person's.
    [[nodiscard]] bool Refreshing() const noexcept { return mRefreshing; }
    [[nodiscard]] zellyrafactory::hostcontrol::DialogSession& Session() noexcept { return mSession; }
    /// The radio buttons of the group `identifier` belongs to, in layout order.
    [[nodiscard]] const std::vector<std::string>& RadioGroupOf(const std::string& identifier) const;
    void FocusControl(const std::string& identifier);
    /// Esc or Ctrl-C pressed on any control closes the window, as its close box does.
    bool TakesAsClose(finalcut::FKeyEvent* event);
    /// When `widget` takes the focus, the last line says what the keys of a
    /// `kind` control do, and the keys go to it.
    void FollowFocus(finalcut::FWidget& widget, FieldKind kind);
    /// Centres the dialog on the terminal, or shows a notice in place of its
    /// controls while the terminal is too small to show all of them.
    void Place();

protected:
    void onKeyPress(finalcut::FKeyEvent* event) override;
    void onClose(finalcut::FCloseEvent* event) override;
    void adjustSize() override;

private:
    void Refresh();
    void ShowKeys(FieldKind kind);
    void KeysToFocus();
    void ShowControls(bool shown);

    zellyrafactory::hostcontrol::DialogSession& mSession;
    finalcut::FSize mNeeded; ///< the terminal size the whole dialog needs
    std::string mTitle;
    std::unique_ptr<finalcut::FLabel> mKeys;
    std::unique_ptr<finalcut::FLabel> mTooSmall; ///< the notice shown instead of the controls
    std::vector<finalcut::FWidget*> mControls;   ///< ours, not the window's own (its menu)
    finalcut::FWidget* mFocusBeforeNotice = nullptr;
    bool mShowingNotice = false;
    bool mRefreshing = false;
    std::vector<std::unique_ptr<Shown>> mShown;
    std::map<std::string, Shown*> mByIdentifier;
    std::map<std::string, std::vector<std::string>> mRadioGroups;
};

} // namespace bttui
