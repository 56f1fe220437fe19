#include "zelui/controls/UI_HotTextNumber.h"
#include "zelui/controls/UI_NumberEdit.h"
#include "zelui/controls/UI_Popup.h"
#include "zelui/controls/UI_RadioButton.h"
#include "zelui/lyracontracts/UI_LyraDialogBase.h"
#include "zelui/ui/UI_NodeManager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

using namespace zelui;
using zelcore::utility::IntrusivePtr;

namespace {

// Counts the notifications of one control.
struct Counter {
    int calls = 0;
    controls::UI_ControlView::ChangeFunction Function()
    {
        return std::make_shared<const std::function<void(ui::Message*)>>([this](ui::Message*) { ++calls; });
    }
};

template <typename T>
IntrusivePtr<T> Make(const char* id)
{
    return IntrusivePtr<T>(new T("kind", id));
}

} // namespace

TEST(Controls, TypedNumbersAreHeldToTheRangeAndNotANumberIsRefused)
{
    auto edit = Make<controls::UI_NumberEdit>("e");
    edit->SetMinValue(24);
    EXPECT_TRUE(edit->TypeValue(-5));
    EXPECT_FALSE(edit->TypeValue(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_EQ(edit->GetValue(), 24.0);

    auto hot = Make<controls::UI_HotTextNumber>("h");
    hot->SetMinValue(-300.0);
    hot->SetMaxValue(0.0);
    EXPECT_TRUE(hot->TypeValue(-std::numeric_limits<double>::infinity()));
    EXPECT_EQ(hot->GetValue(), -300.0);
    EXPECT_TRUE(hot->TypeValue(3.0));
    EXPECT_EQ(hot->GetValue(), 0.0);
}

TEST(Controls, PopupRefusesItemsOutsideTheList)
{
    auto popup = Make<controls::UI_Popup>("p");
    EXPECT_FALSE(popup->ChooseItem(0));
    EXPECT_EQ(popup->AddItem(u"x"), 0);
    EXPECT_EQ(popup->AddItem(u"y"), 1);
    EXPECT_FALSE(popup->ChooseItem(2));
    EXPECT_FALSE(popup->ChooseItem(-1));
    EXPECT_EQ(popup->GetItemText(1), u"y");
    EXPECT_EQ(popup->GetItemText(5), u"");
    popup->SetValue(7); // the program may set any index
    EXPECT_EQ(popup->GetValue(), 7);
}

TEST(Controls, SelectingARadioButtonDeselectsTheOthersAndNotifiesBoth)
{
    auto group = Make<controls::UI_RadioButtonGroup>("g");
    auto steady = Make<controls::UI_RadioButton>("s");
    auto identify = Make<controls::UI_RadioButton>("i");
    group->AddMember(steady.Get());
    group->AddMember(identify.Get());
    steady->SetValue(1);
    Counter s, i;
    steady->NotifyWhenChanged(s.Function());
    identify->NotifyWhenChanged(i.Function());

    EXPECT_TRUE(identify->Select());
    EXPECT_EQ(steady->GetValue(), 0);
    EXPECT_EQ(identify->GetValue(), 1);
    EXPECT_EQ(s.calls, 1);
    EXPECT_EQ(i.calls, 1);
    EXPECT_TRUE(identify->Select()); // no change, no notification
    EXPECT_EQ(s.calls + i.calls, 2);
}

TEST(Controls, DialogKeepsItsFirstCloseResult)
{
    auto dialog = Make<lyracontracts::UI_LyraDialogBase>("d");
    EXPECT_FALSE(dialog->IsClosed());
    EXPECT_FALSE(dialog->WasAccepted());
    dialog->CloseDialog(1);
    dialog->CloseDialog(0);
    EXPECT_TRUE(dialog->WasAccepted());
    EXPECT_NE(ui::UI_NodeManager::Get(false).GetDefaultDrawSupplier(), nullptr);
}
