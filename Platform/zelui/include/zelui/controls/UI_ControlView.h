#pragma once
// A control the user can change. Change notifications come from user actions
// only (the public methods that a modal driver calls on the user's behalf);
// the program's own SetValue calls change the value silently.

#include "barsandtone/PlatformApi.h"
#include "zelui/ui/Message.h"
#include "zelui/ui/UI_Node.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zelui::controls {

class BT_PLATFORM_API UI_ControlView : public ui::UI_Node {
public:
    using ChangeFunction = std::shared_ptr<const std::function<void(ui::Message*)>>;

    using UI_Node::UI_Node;
    ~UI_ControlView() override;

    /// Calls `onChange` after every user change of this control, in the order
    /// of registration.
    void NotifyWhenChanged(ChangeFunction onChange);

    void SetEnabled(bool enabled) noexcept { mEnabled = enabled; }
    [[nodiscard]] bool IsEnabled() const noexcept { return mEnabled; }

    /// The localised texts shown before and after the control.
    void SetLabel(std::u16string label) { mLabel = std::move(label); }
    [[nodiscard]] const std::u16string& GetLabel() const noexcept { return mLabel; }
    void SetPostLabel(std::u16string postLabel) { mPostLabel = std::move(postLabel); }
    [[nodiscard]] const std::u16string& GetPostLabel() const noexcept { return mPostLabel; }

protected:
    /// Tells every registered function; only user actions call this.
    void NotifyChanged(ui::Message::Kind kind);

private:
    std::vector<ChangeFunction> mOnChange;
    bool mEnabled = true;
    std::u16string mLabel;
    std::u16string mPostLabel;
};

} // namespace zelui::controls
