#pragma once
// The window of a dialog built from a layout: its title and how it closed.

#include "barsandtone/PlatformApi.h"
#include "zelui/ui/UI_Node.h"

#include <cstdint>
#include <string>

namespace zelui::lyracontracts {

class BT_PLATFORM_API UI_LyraDialogBase : public ui::UI_Node {
public:
    using UI_Node::UI_Node;
    ~UI_LyraDialogBase() override;

    void SetTitle(std::u16string title) { mTitle = std::move(title); }
    [[nodiscard]] const std::u16string& GetTitle() const noexcept { return mTitle; }

    /// Ends the modal run. A non-zero result means the dialog was accepted;
    /// the first close wins.
    void CloseDialog(std::int32_t result) noexcept;
    [[nodiscard]] bool IsClosed() const noexcept { return mClosed; }
    /// The result given to CloseDialog; 0 while open.
    [[nodiscard]] std::int32_t GetCloseResult() const noexcept { return mResult; }
    [[nodiscard]] bool WasAccepted() const noexcept { return mClosed && mResult != 0; }

private:
    std::u16string mTitle;
    bool mClosed = false;
    std::int32_t mResult = 0;
};

} // namespace zelui::lyracontracts
