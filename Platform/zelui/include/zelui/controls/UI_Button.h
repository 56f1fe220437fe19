#pragma once
// A push button.

#include "zelui/controls/UI_ControlView.h"

namespace zelui::controls {

class BT_PLATFORM_API UI_Button : public UI_ControlView {
public:
    using UI_ControlView::UI_ControlView;
    ~UI_Button() override;

    /// User action: presses the button. Refused (false) when disabled.
    bool Press();
};

} // namespace zelui::controls
