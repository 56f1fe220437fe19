#pragma once
// The screen side of one live control: a terminal widget placed where the
// screen plan puts the control, which shows the control's state on Refresh
// and turns the person's keys into the dialog's actions.

#include "bttui/ScreenPlan.h"

#include <final/final.h>

#include <memory>
#include <string>

namespace bttui {

class SettingsWindow;

constexpr int kMarginColumns = 2; ///< blank cells between the frame and the controls, each side
constexpr int kMarginLines = 1;

[[nodiscard]] inline finalcut::FString Screen(const std::string& utf8) { return finalcut::FString(utf8); }

class Shown {
public:
    virtual ~Shown() = default;
    Shown() = default;
    Shown(const Shown&) = delete;
    Shown& operator=(const Shown&) = delete;
    /// Reads the live control again: value, items, enabled state.
    virtual void Refresh() = 0;
    [[nodiscard]] virtual finalcut::FWidget& Widget() = 0;
};

/// The widget that shows the control of `field` in `window`.
[[nodiscard]] std::unique_ptr<Shown> MakeShown(SettingsWindow& window, const ScreenField& field);

/// Puts a control's widget at its place in the window's client area.
void PlaceField(finalcut::FWidget& widget, const ScreenField& field);

/// The label before a control and the unit after it; dimmed with it.
class Captions {
public:
    Captions(finalcut::FWidget* parent, const ScreenField& field);
    void SetEnabled(bool enabled);

private:
    std::unique_ptr<finalcut::FLabel> mLabel;
    std::unique_ptr<finalcut::FLabel> mPostLabel;
};

// One maker per kind of control, each in its own file.
[[nodiscard]] std::unique_ptr<Shown> MakePopup(SettingsWindow& window, const ScreenField& field);
[[nodiscard]] std::unique_ptr<Shown> MakeNumber(SettingsWindow& window, const ScreenField& field);
[[nodiscard]] std::unique_ptr<Shown> MakeRadioButton(SettingsWindow& window, const ScreenField& field);
[[nodiscard]] std::unique_ptr<Shown> MakeButton(SettingsWindow& window, const ScreenField& field);

} // namespace bttui
