#pragma once
// A modal driver for a person at a terminal: draws the running dialog from
// its layout (ScreenPlan.h) and turns keys into the user's actions.
//
// Keys: Tab and Shift-Tab move between controls; Up/Down change a pop-up's
// item (Enter opens its list) and move the selection in a radio group
// (Space or Enter selects the focused button); entering a number selects it,
// so that digits, '-' and '.' replace it (the arrows edit it instead), and
// it is typed into the control when Enter, Tab or Shift-Tab leaves it; Enter
// or Space presses the focused button; Esc, Ctrl-C or the window's close box
// closes the dialog without accepting it. The dialog's last line says what
// the keys do in the focused control. A terminal too small for the whole
// dialog shows a notice saying so instead, until it grows. After every action the
// screen is read again from the live controls, so values, items and enabled
// states are always the dialog's own. Disabled controls are drawn dimmed and
// are passed over by Tab.
//
// The driver needs a terminal on standard input and output; a host checks
// StandardInputIsTerminal() before installing it. One dialog runs at a time.
//
// The host's handlers of SIGINT, SIGTERM and SIGHUP stay in place while the
// dialog runs (the terminal library would otherwise end the program there
// and then); the host says through `stopRequested` when one has arrived, and
// the dialog then closes unaccepted.

#include "zellyrafactory/HostControl.h"

#include <functional>

namespace bttui {

class TerminalDriver : public zellyrafactory::hostcontrol::ModalDriver {
public:
    explicit TerminalDriver(std::function<bool()> stopRequested = {});
    ~TerminalDriver() override;

    void RunModal(zellyrafactory::hostcontrol::DialogSession& session) override;

private:
    std::function<bool()> mStopRequested;
};

/// Whether standard input is a terminal a person can type at.
[[nodiscard]] bool StandardInputIsTerminal() noexcept;

} // namespace bttui
