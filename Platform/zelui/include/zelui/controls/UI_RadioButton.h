#pragma once
// Radio buttons and the group that keeps one of them selected.

#include "zelui/controls/UI_ControlView.h"

#include <cstdint>
#include <vector>

namespace zelui::controls {

class UI_RadioButton;

class BT_PLATFORM_API UI_RadioButtonGroup : public ui::UI_Node {
public:
    using UI_Node::UI_Node;
    ~UI_RadioButtonGroup() override;

    /// Adds a member; the group holds a use count of it.
    void AddMember(UI_RadioButton* button);
    [[nodiscard]] const std::vector<zelcore::utility::IntrusivePtr<UI_RadioButton>>& GetMembers() const noexcept
    {
        return mMembers;
    }

private:
    std::vector<zelcore::utility::IntrusivePtr<UI_RadioButton>> mMembers;
};

class BT_PLATFORM_API UI_RadioButton : public UI_ControlView {
public:
    using UI_ControlView::UI_ControlView;
    ~UI_RadioButton() override;

    /// 1 selected, 0 not; set silently, the group is not touched.
    void SetValue(std::int32_t value) noexcept { mValue = value; }
    [[nodiscard]] std::int32_t GetValue() const noexcept { return mValue; }

    /// User action: selects this button and deselects the others of its
    /// group; every button whose value changed notifies. Refused (false) when
    /// disabled.
    bool Select();

private:
    friend class UI_RadioButtonGroup;
    std::int32_t mValue = 0;
    UI_RadioButtonGroup* mGroup = nullptr; // the group outlives its members' use in a dialog
};

} // namespace zelui::controls
