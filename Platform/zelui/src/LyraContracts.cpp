#include "zelui/lyracontracts/UI_ILyraView.h"
#include "zelui/lyracontracts/UI_LyraDialogBase.h"

namespace zelui::lyracontracts {

UI_LyraDialogBase::~UI_LyraDialogBase() = default;

void UI_LyraDialogBase::CloseDialog(std::int32_t result) noexcept
{
    if (mClosed)
        return;
    mClosed = true;
    mResult = result;
}

UI_LyraSignalCallbackSuite::~UI_LyraSignalCallbackSuite() = default;
UI_ILyraView::~UI_ILyraView() = default;

} // namespace zelui::lyracontracts
