#include "zellyrafactory/ScriptedDriver.h"

#include "zelcore/text/Utf.h"

#include <charconv>
#include <sstream>

namespace zellyrafactory::hostcontrol {

ScriptedAction ScriptedAction::Choose(std::string identifier, std::u16string itemText)
{
    ScriptedAction a;
    a.kind = Kind::ChooseItem;
    a.identifier = std::move(identifier);
    a.itemText = std::move(itemText);
    return a;
}

ScriptedAction ScriptedAction::Type(std::string identifier, double number)
{
    ScriptedAction a;
    a.kind = Kind::TypeNumber;
    a.identifier = std::move(identifier);
    a.number = number;
    return a;
}

ScriptedAction ScriptedAction::Select(std::string identifier)
{
    ScriptedAction a;
    a.kind = Kind::SelectRadioButton;
    a.identifier = std::move(identifier);
    return a;
}

ScriptedAction ScriptedAction::Press(std::string identifier)
{
    ScriptedAction a;
    a.kind = Kind::PressButton;
    a.identifier = std::move(identifier);
    return a;
}

ScriptedAction ScriptedAction::Close() { return ScriptedAction{}; }

ScriptedAction ScriptedAction::Parse(std::string_view text)
{
    if (text == "ok")
        return Press("okButton");
    if (text == "cancel")
        return Press("cancelButton");
    if (text == "close")
        return Close();
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon + 1 == text.size())
        throw std::invalid_argument("dialog action '" + std::string(text) + "' has no control");
    const std::string_view verb = text.substr(0, colon);
    const std::string_view rest = text.substr(colon + 1);
    const std::size_t equals = rest.find('=');
    const std::string id(rest.substr(0, equals));
    const std::string_view argument = equals == std::string_view::npos ? std::string_view{} : rest.substr(equals + 1);
    const bool hasArgument = equals != std::string_view::npos;

    if (verb == "choose" && hasArgument)
        return Choose(id, zelcore::text::Utf8ToUtf16(argument));
    if (verb == "type" && hasArgument) {
        double value = 0.0;
        const auto [end, error] = std::from_chars(argument.data(), argument.data() + argument.size(), value);
        if (error != std::errc() || end != argument.data() + argument.size())
            throw std::invalid_argument("dialog action '" + std::string(text) + "': not a number");
        return Type(id, value);
    }
    if (verb == "select" && !hasArgument)
        return Select(id);
    if (verb == "press" && !hasArgument)
        return Press(id);
    throw std::invalid_argument("dialog action '" + std::string(text) +
                                "' is not choose:<id>=<item>, type:<id>=<number>, select:<id>, press:<id>, "
                                "ok, cancel or close");
}

std::string ScriptedAction::Describe() const
{
    std::ostringstream out;
    switch (kind) {
    case Kind::ChooseItem: out << "choose '" << zelcore::text::Utf16ToUtf8(itemText) << "' in " << identifier; break;
    case Kind::TypeNumber: out << "type " << number << " into " << identifier; break;
    case Kind::SelectRadioButton: out << "select " << identifier; break;
    case Kind::PressButton: out << "press " << identifier; break;
    case Kind::CloseWindow: out << "close the window"; break;
    }
    return out.str();
}

DriverError::~DriverError() = default;

ScriptedDriver::ScriptedDriver(std::vector<ScriptedAction> actions) : mActions(std::move(actions)) {}

ScriptedDriver::~ScriptedDriver() = default;

void ScriptedDriver::RunModal(DialogSession& session)
{
    ++mRuns;
    mFailure.clear();
    for (const ScriptedAction& action : mActions) {
        ActionOutcome outcome;
        switch (action.kind) {
        case ScriptedAction::Kind::ChooseItem: outcome = session.ChooseItem(action.identifier, action.itemText); break;
        case ScriptedAction::Kind::TypeNumber: outcome = session.TypeNumber(action.identifier, action.number); break;
        case ScriptedAction::Kind::SelectRadioButton: outcome = session.SelectRadioButton(action.identifier); break;
        case ScriptedAction::Kind::PressButton: outcome = session.PressButton(action.identifier); break;
        case ScriptedAction::Kind::CloseWindow: session.CloseWindow(); break;
        }
        if (!outcome) {
            mFailure = action.Describe() + ": " + outcome.reason;
            throw DriverError(mFailure);
        }
    }
}

std::vector<ScriptedAction> AcceptAsOpened() { return {ScriptedAction::Press("okButton")}; }

} // namespace zellyrafactory::hostcontrol
