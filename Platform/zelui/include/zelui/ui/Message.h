#pragma once
// What a change notification carries: which control changed and how.

#include "barsandtone/PlatformApi.h"

namespace zelui::ui {

class UI_Node;

class BT_PLATFORM_API Message {
public:
    enum class Kind { ValueChanged, Pressed };
    Message(Kind kind, const UI_Node* sender) noexcept : mKind(kind), mSender(sender) {}

    [[nodiscard]] Kind GetKind() const noexcept { return mKind; }
    [[nodiscard]] const UI_Node* GetSender() const noexcept { return mSender; }

private:
    Kind mKind;
    const UI_Node* mSender;
};

} // namespace zelui::ui
