// A number field. Entering it selects the whole number, so that typing
// replaces it; the arrows end the selection to edit it instead. The text is
// typed into the control when Enter, Tab or Shift-Tab leaves the field.

#include "Keys.h"
#include "SettingsWindow.h"
#include "ShownControl.h"
#include "zelui/controls/UI_HotTextNumber.h"
#include "zelui/controls/UI_NumberEdit.h"

#include <cstdlib>

namespace bttui {

namespace {

using namespace zelui::controls;

class NumberShown final : public finalcut::FLineEdit, public Shown {
public:
    NumberShown(SettingsWindow& window, const ScreenField& f)
        : finalcut::FLineEdit(&window), mWindow(window), mCaptions(&window, f), mIdentifier(f.identifier),
          mDecimalPlaces(f.decimalPlaces)
    {
        PlaceField(*this, f);
        unsetShadow();
        setInputFilter("[-+.0-9]");
        window.FollowFocus(*this, FieldKind::Number);
    }

    void Refresh() override
    {
        zelui::ui::UI_Node* node = mWindow.Session().Find(mIdentifier);
        auto* control = dynamic_cast<UI_ControlView*>(node);
        if (control == nullptr)
            return;
        double value = 0.0;
        if (auto* edit = dynamic_cast<UI_NumberEdit*>(node))
            value = edit->GetValue();
        else if (auto* hot = dynamic_cast<UI_HotTextNumber*>(node))
            value = hot->GetValue();
        mShownText = FormatNumber(value, mDecimalPlaces);
        setText(Screen(mShownText));
        setEnable(control->IsEnabled());
        mCaptions.SetEnabled(control->IsEnabled());
    }

    finalcut::FWidget& Widget() override { return *this; }

    void onKeyPress(finalcut::FKeyEvent* event) override
    {
        if (mWindow.TakesAsClose(event))
            return;
        const finalcut::FKey key = event->key();
        if (IsEnter(key)) {
            Commit();
            event->accept();
            return;
        }
        if (key == finalcut::FKey::Tab || key == finalcut::FKey::Back_tab)
            Commit(); // and let the dialog move the focus
        if (mSelected) {
            const bool erases = key == finalcut::FKey::Backspace || key == finalcut::FKey::Del_char;
            if (TypedCharacter(key) || erases)
                clear();
            Select(false);
            if (erases) {
                redraw();
                event->accept();
                return;
            }
        }
        finalcut::FLineEdit::onKeyPress(event);
    }

    void onFocusIn(finalcut::FFocusEvent* event) override
    {
        finalcut::FLineEdit::onFocusIn(event);
        Select(true);
    }

    void onFocusOut(finalcut::FFocusEvent* event) override
    {
        Select(false);
        Commit();
        finalcut::FLineEdit::onFocusOut(event);
    }

    void resetColors() override
    {
        finalcut::FLineEdit::resetColors();
        if (mSelected) { // drawn as selected text is: the field's colours the other way round
            const finalcut::FColor fg = getForegroundColor();
            setForegroundColor(getBackgroundColor());
            setBackgroundColor(fg);
        }
    }

private:
    /// Types the edited text into the control, unless it is what was shown.
    void Commit()
    {
        if (mWindow.Refreshing())
            return;
        const std::string typed = getText().toString();
        if (typed == mShownText)
            return;
        char* end = nullptr;
        const double value = std::strtod(typed.c_str(), &end);
        if (typed.empty() || end != typed.c_str() + typed.size()) {
            Refresh(); // not a number: show the control's value again
            redraw();
            return;
        }
        mWindow.Act([this, value] { return mWindow.Session().TypeNumber(mIdentifier, value); });
    }

    void Select(bool selected)
    {
        if (mSelected == selected)
            return;
        mSelected = selected;
        resetColors();
        redraw();
    }

    SettingsWindow& mWindow;
    Captions mCaptions;
    std::string mIdentifier;
    int mDecimalPlaces;
    std::string mShownText; ///< the control's value as last shown
    bool mSelected = false;
};

} // namespace

std::unique_ptr<Shown> MakeNumber(SettingsWindow& window, const ScreenField& field)
{
    return std::make_unique<NumberShown>(window, field);
}

} // namespace bttui
