#include "zellyrafactory/HostControl.h"
#include "zellyrafactory/ScriptedDriver.h"

#include "zelcore/text/Utf.h"
#include "zelui/controls/UI_Button.h"
#include "zelui/controls/UI_HotTextNumber.h"
#include "zelui/controls/UI_NumberEdit.h"
#include "zelui/controls/UI_Popup.h"
#include "zelui/controls/UI_RadioButton.h"

#include "barsandtone/ProcessShared.h"

#include <mutex>

namespace zellyrafactory::hostcontrol {

using namespace zelui::controls;

namespace {
// Installed by the host, used by the module's dialogs: one for the process
// (barsandtone/ProcessShared.h).
struct DriverSlot {
    std::mutex mutex;
    std::shared_ptr<ModalDriver> driver;
};
DriverSlot& InstalledDriver()
{
    static DriverSlot& slot = bt::ProcessSingleton<DriverSlot>("zellyrafactory.ModalDriver");
    return slot;
}

ActionOutcome Refused(std::string reason) { return ActionOutcome{false, std::move(reason)}; }
} // namespace

ModalDriver::~ModalDriver() = default;

void InstallModalDriver(std::shared_ptr<ModalDriver> driver)
{
    std::lock_guard lock(InstalledDriver().mutex);
    InstalledDriver().driver = std::move(driver);
}

std::shared_ptr<ModalDriver> CurrentModalDriver()
{
    {
        std::lock_guard lock(InstalledDriver().mutex);
        if (InstalledDriver().driver)
            return InstalledDriver().driver;
    }
    return std::make_shared<ScriptedDriver>(AcceptAsOpened());
}

DialogSession::DialogSession(const LyraDocument& layout, const std::vector<DialogEntry>& entries,
                             zelui::lyracontracts::UI_LyraDialogBase& dialog) noexcept
    : mLayout(layout), mEntries(entries), mDialog(dialog)
{
}

zelui::ui::UI_Node* DialogSession::Find(std::string_view identifier) const noexcept
{
    for (const DialogEntry& entry : mEntries)
        if (!identifier.empty() && entry.identifier == identifier)
            return entry.node.Get();
    return nullptr;
}

template <typename Control>
Control* DialogSession::Control_(std::string_view identifier, const char* kindName, ActionOutcome& outcome) const
{
    const std::string id(identifier);
    if (IsClosed()) {
        outcome = Refused("the dialog is closed");
        return nullptr;
    }
    zelui::ui::UI_Node* node = Find(identifier);
    if (node == nullptr) {
        outcome = Refused("no control '" + id + "'");
        return nullptr;
    }
    auto* control = dynamic_cast<Control*>(node);
    if (control == nullptr) {
        outcome = Refused("'" + id + "' is not " + kindName);
        return nullptr;
    }
    if (!control->IsEnabled()) {
        outcome = Refused("'" + id + "' is disabled");
        return nullptr;
    }
    return control;
}

ActionOutcome DialogSession::ChooseItem(std::string_view popup, std::u16string_view itemText)
{
    ActionOutcome outcome;
    if (auto* control = Control_<UI_Popup>(popup, "a pop-up", outcome)) {
        for (std::int64_t i = 0; i < control->GetItemCount(); ++i)
            if (control->GetItemText(i) == itemText) {
                control->ChooseItem(i);
                return outcome;
            }
        return Refused("'" + std::string(popup) + "' has no item '" + zelcore::text::Utf16ToUtf8(itemText) + "'");
    }
    return outcome;
}

ActionOutcome DialogSession::ChooseItemAt(std::string_view popup, std::int64_t index)
{
    ActionOutcome outcome;
    if (auto* control = Control_<UI_Popup>(popup, "a pop-up", outcome))
        if (!control->ChooseItem(index))
            return Refused("'" + std::string(popup) + "' has no item " + std::to_string(index));
    return outcome;
}

ActionOutcome DialogSession::TypeNumber(std::string_view numberControl, double value)
{
    ActionOutcome outcome;
    if (auto* control = Control_<UI_ControlView>(numberControl, "a number", outcome)) {
        bool typed = false;
        if (auto* edit = dynamic_cast<UI_NumberEdit*>(control))
            typed = edit->TypeValue(value);
        else if (auto* hot = dynamic_cast<UI_HotTextNumber*>(control))
            typed = hot->TypeValue(value);
        else
            return Refused("'" + std::string(numberControl) + "' is not a number");
        if (!typed)
            return Refused("'" + std::string(numberControl) + "' takes no such number");
    }
    return outcome;
}

ActionOutcome DialogSession::SelectRadioButton(std::string_view radioButton)
{
    ActionOutcome outcome;
    if (auto* control = Control_<UI_RadioButton>(radioButton, "a radio button", outcome))
        control->Select();
    return outcome;
}

ActionOutcome DialogSession::PressButton(std::string_view button)
{
    ActionOutcome outcome;
    if (auto* control = Control_<UI_Button>(button, "a button", outcome))
        control->Press();
    return outcome;
}

void DialogSession::CloseWindow() noexcept { mDialog.CloseDialog(0); }

} // namespace zellyrafactory::hostcontrol
