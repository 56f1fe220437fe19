// A pop-up shown as a drop-down list: Up/Down change its item, Enter opens
// the list, Esc in the open list closes the list only.

#include "Keys.h"
#include "SettingsWindow.h"
#include "ShownControl.h"
#include "zelcore/text/Utf.h"
#include "zelui/controls/UI_Popup.h"

#include <algorithm>

namespace bttui {

namespace {

class PopupShown final : public finalcut::FComboBox, public Shown {
public:
    PopupShown(SettingsWindow& window, const ScreenField& f)
        : finalcut::FComboBox(&window), mWindow(window), mCaptions(&window, f), mIdentifier(f.identifier)
    {
        PlaceField(*this, f);
        unsetShadow();
        addCallback("row-changed", [this] { Chosen(); });
        window.FollowFocus(*this, FieldKind::Popup);
        // Enter reaches the pop-up's text field, not the pop-up: it opens the list there.
        for (finalcut::FObject* child : getChildren())
            if (auto* field = dynamic_cast<finalcut::FLineEdit*>(child)) {
                field->addCallback("activate", [this] {
                    if (!mItems.empty() && isEnabled())
                        showDropDown();
                });
                window.FollowFocus(*field, FieldKind::Popup);
            }
    }

    void Refresh() override
    {
        auto* popup = dynamic_cast<zelui::controls::UI_Popup*>(mWindow.Session().Find(mIdentifier));
        if (popup == nullptr)
            return;
        std::vector<std::string> items;
        for (std::int64_t i = 0; i < popup->GetItemCount(); ++i)
            items.push_back(zelcore::text::Utf16ToUtf8(popup->GetItemText(i)));
        if (items != mItems) {
            clear();
            for (const std::string& item : items)
                insert(Screen(item));
            mItems = std::move(items);
        }
        const std::int64_t selected = popup->GetValue();
        if (selected >= 0 && selected < static_cast<std::int64_t>(mItems.size()))
            setCurrentItem(static_cast<std::size_t>(selected) + 1); // the list counts from 1
        else
            clearText(); // the dialog selected no item of the list
        setEnable(popup->IsEnabled());
        mCaptions.SetEnabled(popup->IsEnabled());
    }

    finalcut::FWidget& Widget() override { return *this; }

    void onKeyPress(finalcut::FKeyEvent* event) override
    {
        if (mDropped && IsEscape(event->key())) {
            hideDropDown();
            event->accept();
            return;
        }
        if (!mWindow.TakesAsClose(event))
            finalcut::FComboBox::onKeyPress(event);
    }

    void showDropDown() override
    {
        mDropped = true;
        finalcut::FComboBox::showDropDown();
    }

    void hideDropDown() override
    {
        mDropped = false;
        finalcut::FComboBox::hideDropDown();
    }

private:
    void Chosen()
    {
        if (mWindow.Refreshing() || mItems.empty())
            return;
        // The list shows the pop-up's items in order, so the text gives the index.
        const auto found = std::find(mItems.begin(), mItems.end(), getText().toString());
        if (found == mItems.end())
            return;
        const auto index = static_cast<std::int64_t>(found - mItems.begin());
        mWindow.Act([this, index] { return mWindow.Session().ChooseItemAt(mIdentifier, index); });
    }

    SettingsWindow& mWindow;
    Captions mCaptions;
    std::string mIdentifier;
    std::vector<std::string> mItems;
    bool mDropped = false;
};

} // namespace

std::unique_ptr<Shown> MakePopup(SettingsWindow& window, const ScreenField& field)
{
    return std::make_unique<PopupShown>(window, field);
}

} // namespace bttui
