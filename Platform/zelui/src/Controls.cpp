#include "zelui/controls/UI_Button.h"
#include "zelui/controls/UI_HotTextNumber.h"
#include "zelui/controls/UI_NumberEdit.h"
#include "zelui/controls/UI_Popup.h"
#include "zelui/controls/UI_RadioButton.h"

#include <algorithm>
#include <cmath>

namespace zelui::controls {

UI_ControlView::~UI_ControlView() = default;

void UI_ControlView::NotifyWhenChanged(ChangeFunction onChange)
{
    if (onChange && *onChange)
        mOnChange.push_back(std::move(onChange));
}

void UI_ControlView::NotifyChanged(ui::Message::Kind kind)
{
    // A copy, so that a handler may register more functions meanwhile.
    const std::vector<ChangeFunction> functions = mOnChange;
    ui::Message message(kind, this);
    for (const ChangeFunction& function : functions)
        (*function)(&message);
}

UI_Popup::~UI_Popup() = default;

std::int64_t UI_Popup::AddItem(std::u16string text)
{
    mItems.push_back(std::move(text));
    return static_cast<std::int64_t>(mItems.size()) - 1;
}

std::u16string UI_Popup::GetItemText(std::int64_t index) const
{
    if (index < 0 || index >= GetItemCount())
        return {};
    return mItems[static_cast<std::size_t>(index)];
}

bool UI_Popup::ChooseItem(std::int64_t index)
{
    if (!IsEnabled() || index < 0 || index >= GetItemCount())
        return false;
    mValue = index;
    NotifyChanged(ui::Message::Kind::ValueChanged);
    return true;
}

UI_NumberEdit::~UI_NumberEdit() = default;

bool UI_NumberEdit::TypeValue(double value)
{
    if (!IsEnabled() || std::isnan(value))
        return false;
    mValue = std::clamp(value, mMin, std::max(mMin, mMax));
    NotifyChanged(ui::Message::Kind::ValueChanged);
    return true;
}

UI_HotTextNumber::~UI_HotTextNumber() = default;

UI_RadioButtonGroup::~UI_RadioButtonGroup()
{
    for (const auto& member : mMembers)
        member->mGroup = nullptr;
}

void UI_RadioButtonGroup::AddMember(UI_RadioButton* button)
{
    if (button == nullptr)
        return;
    button->mGroup = this;
    mMembers.emplace_back(button);
}

UI_RadioButton::~UI_RadioButton() = default;

bool UI_RadioButton::Select()
{
    if (!IsEnabled())
        return false;
    std::vector<zelcore::utility::IntrusivePtr<UI_RadioButton>> changed;
    if (mValue != 1)
        changed.emplace_back(this);
    mValue = 1;
    if (mGroup != nullptr)
        for (const auto& member : mGroup->GetMembers())
            if (member.Get() != this && member->mValue != 0) {
                member->mValue = 0;
                changed.push_back(member);
            }
    for (const auto& button : changed)
        button->NotifyChanged(ui::Message::Kind::ValueChanged);
    return true;
}

UI_Button::~UI_Button() = default;

bool UI_Button::Press()
{
    if (!IsEnabled())
        return false;
    NotifyChanged(ui::Message::Kind::Pressed);
    return true;
}

} // namespace zelui::controls
