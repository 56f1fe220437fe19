// A radio button. Space or Enter selects it; the arrows move the group's
// selection, and the focus with it, to the next button that can take it.

#include "Keys.h"
#include "SettingsWindow.h"
#include "ShownControl.h"
#include "zelui/controls/UI_RadioButton.h"

#include <algorithm>

namespace bttui {

namespace {

using zelui::controls::UI_RadioButton;

class RadioShown final : public finalcut::FRadioButton, public Shown {
public:
    RadioShown(SettingsWindow& window, const ScreenField& f)
        : finalcut::FRadioButton(Screen(f.label), &window), mWindow(window), mIdentifier(f.identifier)
    {
        PlaceField(*this, f);
        addCallback("clicked", [this] { SelectFrom(mIdentifier); });
        window.FollowFocus(*this, FieldKind::RadioButton);
    }

    void Refresh() override
    {
        auto* radio = dynamic_cast<UI_RadioButton*>(mWindow.Session().Find(mIdentifier));
        if (radio == nullptr)
            return;
        setChecked(radio->GetValue() == 1);
        setEnable(radio->IsEnabled());
    }

    finalcut::FWidget& Widget() override { return *this; }

    void onKeyPress(finalcut::FKeyEvent* event) override
    {
        if (mWindow.TakesAsClose(event))
            return;
        const finalcut::FKey key = event->key();
        if (IsEnter(key) || key == finalcut::FKey::Space) {
            SelectFrom(mIdentifier);
            event->accept();
        } else if (key == finalcut::FKey::Down || key == finalcut::FKey::Right) {
            Step(+1);
            event->accept();
        } else if (key == finalcut::FKey::Up || key == finalcut::FKey::Left) {
            Step(-1);
            event->accept();
        } else {
            finalcut::FRadioButton::onKeyPress(event);
        }
    }

private:
    void SelectFrom(const std::string& identifier)
    {
        if (mWindow.Refreshing())
            return;
        mWindow.Act([this, identifier] { return mWindow.Session().SelectRadioButton(identifier); });
    }

    void Step(int direction)
    {
        const std::vector<std::string>& group = mWindow.RadioGroupOf(mIdentifier);
        const auto here = std::find(group.begin(), group.end(), mIdentifier);
        if (group.size() < 2 || here == group.end())
            return;
        const auto n = static_cast<std::ptrdiff_t>(group.size());
        std::ptrdiff_t at = here - group.begin();
        for (std::ptrdiff_t tried = 1; tried < n; ++tried) {
            at = ((at + direction) % n + n) % n;
            const std::string& next = group[static_cast<std::size_t>(at)];
            const auto* radio = dynamic_cast<UI_RadioButton*>(mWindow.Session().Find(next));
            if (radio != nullptr && radio->IsEnabled()) {
                SelectFrom(next);
                mWindow.FocusControl(next);
                return;
            }
        }
    }

    SettingsWindow& mWindow;
    std::string mIdentifier;
};

} // namespace

std::unique_ptr<Shown> MakeRadioButton(SettingsWindow& window, const ScreenField& field)
{
    return std::make_unique<RadioShown>(window, field);
}

} // namespace bttui
