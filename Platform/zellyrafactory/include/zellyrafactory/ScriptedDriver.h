#pragma once
// A modal driver that performs a fixed list of user actions, for tests and
// command-line hosts. A refused action stops the run with a DriverError
// (which propagates out of the plug-in's call); when the list is done and the
// dialog is still open, the window is closed.

#include "barsandtone/PlatformApi.h"
#include "zellyrafactory/HostControl.h"

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zellyrafactory::hostcontrol {

struct BT_PLATFORM_API ScriptedAction {
    enum class Kind { ChooseItem, TypeNumber, SelectRadioButton, PressButton, CloseWindow };
    Kind kind = Kind::CloseWindow;
    std::string identifier;
    std::u16string itemText; ///< ChooseItem
    double number = 0.0;     ///< TypeNumber

    static ScriptedAction Choose(std::string identifier, std::u16string itemText);
    static ScriptedAction Type(std::string identifier, double number);
    static ScriptedAction Select(std::string identifier);
    static ScriptedAction Press(std::string identifier);
    static ScriptedAction Close();

    /// From the command-line form: "choose:<id>=<item text>", "type:<id>=<number>",
    /// "select:<id>", "press:<id>", "ok", "cancel" or "close" (UTF-8). Throws
    /// std::invalid_argument naming what is wrong.
    static ScriptedAction Parse(std::string_view text);
    [[nodiscard]] std::string Describe() const;
};

class BT_PLATFORM_API DriverError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    ~DriverError() override;
};

class BT_PLATFORM_API ScriptedDriver : public ModalDriver {
public:
    explicit ScriptedDriver(std::vector<ScriptedAction> actions);
    ~ScriptedDriver() override;

    void RunModal(DialogSession& session) override;

    /// Dialog runs seen so far.
    [[nodiscard]] int Runs() const noexcept { return mRuns; }
    /// Why the last run stopped early; empty when every action was done.
    [[nodiscard]] const std::string& Failure() const noexcept { return mFailure; }

private:
    std::vector<ScriptedAction> mActions;
    int mRuns = 0;
    std::string mFailure;
};

/// The default: presses OK as the dialog opens.
[[nodiscard]] BT_PLATFORM_API std::vector<ScriptedAction> AcceptAsOpened();

} // namespace zellyrafactory::hostcontrol
