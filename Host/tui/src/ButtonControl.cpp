// A push button (OK, Cancel): Enter or Space presses it.

#include "SettingsWindow.h"
#include "ShownControl.h"
#include "zelui/controls/UI_Button.h"

namespace bttui {

namespace {

class ButtonShown final : public finalcut::FButton, public Shown {
public:
    ButtonShown(SettingsWindow& window, const ScreenField& f)
        : finalcut::FButton(Screen(f.label), &window), mWindow(window), mIdentifier(f.identifier)
    {
        PlaceField(*this, f);
        unsetShadow();
        addCallback("clicked", [this] {
            if (!mWindow.Refreshing())
                mWindow.Act([this] { return mWindow.Session().PressButton(mIdentifier); });
        });
        window.FollowFocus(*this, FieldKind::Button);
    }

    void Refresh() override
    {
        if (auto* button = dynamic_cast<zelui::controls::UI_Button*>(mWindow.Session().Find(mIdentifier)))
            setEnable(button->IsEnabled());
    }

    void onKeyPress(finalcut::FKeyEvent* event) override
    {
        if (!mWindow.TakesAsClose(event))
            finalcut::FButton::onKeyPress(event);
    }

    finalcut::FWidget& Widget() override { return *this; }

private:
    SettingsWindow& mWindow;
    std::string mIdentifier;
};

} // namespace

std::unique_ptr<Shown> MakeButton(SettingsWindow& window, const ScreenField& field)
{
    return std::make_unique<ButtonShown>(window, field);
}

} // namespace bttui
