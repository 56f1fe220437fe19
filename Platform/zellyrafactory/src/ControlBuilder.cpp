#include "ControlBuilder.h"

#include "zelcore/config/Localizer.h"
#include "zelcore/text/Utf.h"
#include "zellyrafactory/LyraParser.h"
#include "zelui/controls/UI_Button.h"
#include "zelui/controls/UI_HotTextNumber.h"
#include "zelui/controls/UI_NumberEdit.h"
#include "zelui/controls/UI_Popup.h"
#include "zelui/controls/UI_RadioButton.h"

#include <cmath>
#include <set>

namespace zellyrafactory::detail {

namespace {

using zelcore::utility::IntrusivePtr;
using namespace zelui;
using hostcontrol::DialogEntry;

constexpr const char* kOkKey = "$$$/zelui/Dialog/OK=OK";
constexpr const char* kCancelKey = "$$$/zelui/Dialog/Cancel=Cancel";

std::u16string Localized(const std::string& key) { return zelcore::config::Localizer::Get().Localize(key); }

std::string TextOf(const LyraWidget& widget, std::string_view name)
{
    const LyraProperty* p = widget.Find(name);
    if (p == nullptr)
        return {};
    if (p->value.kind == LyraValue::Kind::Number)
        throw LyraSyntaxError(p->line, "'" + std::string(name) + "' of '" + widget.kind + "' must be a text");
    return p->value.text;
}

template <typename Set>
void NumberOf(const LyraWidget& widget, std::string_view name, Set set)
{
    const LyraProperty* p = widget.Find(name);
    if (p == nullptr)
        return;
    if (p->value.kind != LyraValue::Kind::Number)
        throw LyraSyntaxError(p->line, "'" + std::string(name) + "' of '" + widget.kind + "' must be a number");
    set(p->value.number);
}

int Places(double written) { return std::isfinite(written) ? static_cast<int>(written) : 0; }

void Labels(controls::UI_ControlView& control, const LyraWidget& widget, std::string_view labelName)
{
    control.SetLabel(Localized(TextOf(widget, labelName)));
    control.SetPostLabel(Localized(TextOf(widget, "postLabel")));
}

IntrusivePtr<ui::UI_Node> Make(const LyraWidget& w, const std::string& id)
{
    const std::string& k = w.kind;
    if (k == "zel_dialog") {
        IntrusivePtr<lyracontracts::UI_LyraDialogBase> dialog(new lyracontracts::UI_LyraDialogBase(k, id));
        dialog->SetTitle(Localized(TextOf(w, "name")));
        return dialog;
    }
    if (k == "column" || k == "row" || k == "zel_ok_cancel_row")
        return IntrusivePtr<ui::UI_Node>(new ui::UI_Container(k, id));
    if (k == "zel_radio_button_group")
        return IntrusivePtr<ui::UI_Node>(new controls::UI_RadioButtonGroup(k, id));
    if (k == "zel_popup") {
        IntrusivePtr<controls::UI_Popup> popup(new controls::UI_Popup(k, id));
        Labels(*popup, w, "label");
        return popup;
    }
    if (k == "zel_number_edit") {
        IntrusivePtr<controls::UI_NumberEdit> edit(new controls::UI_NumberEdit(k, id));
        Labels(*edit, w, "label");
        NumberOf(w, "value", [&](double v) { edit->SetValue(v); });
        NumberOf(w, "minValue", [&](double v) { edit->SetMinValue(v); });
        NumberOf(w, "maxValue", [&](double v) { edit->SetMaxValue(v); });
        NumberOf(w, "decimalPlaces", [&](double v) { edit->SetDecimalPlaces(Places(v)); });
        return edit;
    }
    if (k == "zel_hot_text_number") {
        IntrusivePtr<controls::UI_HotTextNumber> hot(new controls::UI_HotTextNumber(k, id));
        Labels(*hot, w, "label");
        NumberOf(w, "value", [&](double v) { hot->SetValue(v); });
        NumberOf(w, "minValue", [&](double v) { hot->SetMinValue(v); });
        NumberOf(w, "maxValue", [&](double v) { hot->SetMaxValue(v); });
        NumberOf(w, "decimalPlaces", [&](double v) { hot->SetDecimalPlaces(Places(v)); });
        NumberOf(w, "increment", [&](double v) { hot->SetIncrement(v); });
        return hot;
    }
    if (k == "zel_radio_button") {
        IntrusivePtr<controls::UI_RadioButton> radio(new controls::UI_RadioButton(k, id));
        Labels(*radio, w, "name");
        radio->SetValue(TextOf(w, "state") == "checked" ? 1 : 0);
        return radio;
    }
    throw LyraSyntaxError(w.line, "unknown widget '" + k + "'");
}

class Builder {
public:
    std::vector<DialogEntry> entries;

    void Add(const LyraWidget& widget, int depth, controls::UI_RadioButtonGroup* group)
    {
        const std::string id = TextOf(widget, "identifier");
        IntrusivePtr<ui::UI_Node> node = Make(widget, id);
        Claim(id, widget.line);
        entries.push_back(DialogEntry{widget.kind, id, depth, &widget, node});

        if (auto* radio = dynamic_cast<controls::UI_RadioButton*>(node.Get()); radio != nullptr && group != nullptr)
            group->AddMember(radio);
        if (auto* inner = dynamic_cast<controls::UI_RadioButtonGroup*>(node.Get()))
            group = inner;

        if (widget.kind == "zel_ok_cancel_row") {
            AddButton(widget, depth + 1, "okButton", kOkKey);
            AddButton(widget, depth + 1, "cancelButton", kCancelKey);
        }
        for (const LyraWidget& child : widget.children)
            Add(child, depth + 1, group);
    }

private:
    void Claim(const std::string& id, int line)
    {
        if (!id.empty() && !mIdentifiers.insert(id).second)
            throw LyraSyntaxError(line, "identifier '" + id + "' is used twice");
    }

    void AddButton(const LyraWidget& row, int depth, const char* id, const char* key)
    {
        Claim(id, row.line);
        IntrusivePtr<controls::UI_Button> button(new controls::UI_Button("zel_button", id));
        button->SetLabel(Localized(key));
        entries.push_back(DialogEntry{"zel_button", id, depth, &row, button});
    }

    std::set<std::string> mIdentifiers;
};

} // namespace

std::vector<DialogEntry> BuildControls(const LyraDocument& layout)
{
    if (layout.view.kind != "zel_dialog")
        throw LyraSyntaxError(layout.view.line, "the view must be a dialog, not '" + layout.view.kind + "'");
    Builder builder;
    builder.Add(layout.view, 0, nullptr);
    return std::move(builder.entries);
}

} // namespace zellyrafactory::detail
