#pragma once
// A pop-up menu: a list of texts, one of them selected by index.

#include "zelui/controls/UI_ControlView.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zelui::controls {

class BT_PLATFORM_API UI_Popup : public UI_ControlView {
public:
    using UI_ControlView::UI_ControlView;
    ~UI_Popup() override;

    /// Appends an item; returns its index (0 for the first).
    std::int64_t AddItem(std::u16string text);
    [[nodiscard]] std::int64_t GetItemCount() const noexcept { return static_cast<std::int64_t>(mItems.size()); }
    /// The item's text; empty for an index outside the list.
    [[nodiscard]] std::u16string GetItemText(std::int64_t index) const;

    /// Selects an item silently. Rationale: any index is held as given, also
    /// one outside the list, so that a program reads back what it set.
    void SetValue(std::int64_t index) noexcept { mValue = index; }
    [[nodiscard]] std::int64_t GetValue() const noexcept { return mValue; }

    /// User action: picks an item. Refused (false, nothing changes) when the
    /// control is disabled or the index is outside the list.
    bool ChooseItem(std::int64_t index);

private:
    std::vector<std::u16string> mItems;
    std::int64_t mValue = 0;
};

} // namespace zelui::controls
