#include "zellyrafactory/LyraParser.h"
#include "zellyrafactory/ScriptedDriver.h"
#include "zellyrafactory/UI_LyraViewBase.h"
#include "zelui/controls/UI_Popup.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <sstream>

using namespace zellyrafactory;
using namespace zellyrafactory::hostcontrol;
using zelcore::utility::IntrusivePtr;
namespace controls = zelui::controls;

namespace {

constexpr const char* kSmallLayout = "layout Small\r\n"
                                     "{\r\n"
                                     "\tview zel_dialog(identifier:'Small', name:'$$$/T/Title=Small Title')\r\n"
                                     "\t{\r\n"
                                     "\t\tzel_popup(identifier:'choice', label:'$$$/T/Choice=Choice:');\r\n"
                                     "\t\tzel_number_edit(identifier:'width', value:720, minValue:24, maxValue:100);\r\n"
                                     "\t\tzel_hot_text_number(identifier:'level', value:-6, minValue:-300.0, "
                                     "maxValue:0.0, decimalPlaces:1, postLabel:'$$$/T/dB=dB');\r\n"
                                     "\t\tzel_radio_button_group(identifier:'group')\r\n"
                                     "\t\t{\r\n"
                                     "\t\t\tzel_radio_button(identifier:'one', state:'checked');\r\n"
                                     "\t\t\trow { zel_radio_button(identifier:'two'); }\r\n"
                                     "\t\t}\r\n"
                                     "\t\tzel_ok_cancel_row;\r\n"
                                     "\t}\r\n"
                                     "}\r\n";

// A view that connects every control to a log, as a plug-in dialog would.
class TestView : public UI_LyraViewBase {
public:
    explicit TestView(std::int32_t preference = 0)
        : UI_LyraViewBase(u"Small", nullptr, nullptr, preference) {}

    void Initialize() override
    {
        auto popup = GetUINodePtr("choice", true);
        if (auto* p = dynamic_cast<controls::UI_Popup*>(popup.Get())) {
            p->AddItem(u"First");
            p->AddItem(u"Second");
            p->SetValue(0);
        }
        for (const char* id : {"choice", "width", "level", "one", "two", "okButton", "cancelButton"})
            if (auto* control = dynamic_cast<controls::UI_ControlView*>(GetUINodePtr(id, true).Get()))
                control->NotifyWhenChanged(std::make_shared<const std::function<void(zelui::ui::Message*)>>(
                    [this, id](zelui::ui::Message*) { OnChanged(id); }));
    }

    void OnChanged(const std::string& id)
    {
        log.push_back(id);
        if (id == "okButton" || id == "cancelButton")
            GetView()->CloseDialog(id == "okButton" ? 1 : 0);
    }

    std::vector<std::string> log;
};

class LyraViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetScriptProvider([this](std::string_view name) -> std::optional<std::string> {
            const auto found = scripts.find(std::string(name));
            return found == scripts.end() ? std::nullopt : std::optional(found->second);
        });
        scripts["SMALL"] = kSmallLayout;
    }
    void TearDown() override
    {
        SetScriptProvider(nullptr);
        InstallModalDriver(nullptr);
    }

    /// Runs the small layout under a scripted driver; returns the view.
    IntrusivePtr<TestView> Run(std::vector<ScriptedAction> actions)
    {
        driver = std::make_shared<ScriptedDriver>(std::move(actions));
        InstallModalDriver(driver);
        IntrusivePtr<TestView> view(new TestView);
        std::stringstream script;
        EXPECT_TRUE(view->GetScriptStream(u"Small", script));
        view->ParseLyraScript(script, false);
        return view;
    }

    std::map<std::string, std::string> scripts;
    std::shared_ptr<ScriptedDriver> driver;
};

} // namespace

TEST_F(LyraViewTest, RunOutOfActionsClosesTheWindowUnaccepted)
{
    auto view = Run({ScriptedAction::Choose("choice", u"First")});
    EXPECT_TRUE(view->GetView()->IsClosed());
    EXPECT_EQ(view->GetView()->GetCloseResult(), 0);
    EXPECT_THROW(Run({ScriptedAction::Close(), ScriptedAction::Press("okButton")}), DriverError);
    EXPECT_EQ(driver->Failure(), "press okButton: the dialog is closed");
}

TEST_F(LyraViewTest, RefusedActionsStopTheRunWithTheReason)
{
    const std::pair<ScriptedAction, std::string> cases[] = {
        {ScriptedAction::Choose("choice", u"Third"), "'choice' has no item 'Third'"},
        {ScriptedAction::Type("choice", 1), "'choice' is not a number"},
        {ScriptedAction::Press("missing"), "no control 'missing'"},
        {ScriptedAction::Select("width"), "'width' is not a radio button"},
    };
    for (const auto& [action, reason] : cases) {
        EXPECT_THROW(Run({action}), DriverError);
        EXPECT_NE(driver->Failure().find(reason), std::string::npos) << driver->Failure();
    }
}

TEST_F(LyraViewTest, WithoutADriverTheDialogIsAcceptedAsItOpens)
{
    IntrusivePtr<TestView> view(new TestView);
    std::stringstream script(kSmallLayout);
    view->ParseLyraScript(script, false);
    EXPECT_TRUE(view->GetView()->WasAccepted());
    EXPECT_EQ(view->log, std::vector<std::string>{"okButton"});
}

TEST_F(LyraViewTest, ScriptStreamPrefersTheChosenDialect)
{
    const auto read = [](std::int32_t preference, const std::u16string& name) -> std::optional<std::string> {
        IntrusivePtr<TestView> view(new TestView(preference));
        std::stringstream text;
        return view->GetScriptStream(name, text) ? std::optional(text.str()) : std::nullopt;
    };
    scripts["SMALL.ORIN"] = "older";
    EXPECT_EQ(read(0, u"Small"), kSmallLayout);
    EXPECT_EQ(read(1, u"small"), "older");
    scripts.erase("SMALL");
    EXPECT_EQ(read(0, u"Small"), "older");
    scripts.clear();
    EXPECT_EQ(read(0, u"Small"), std::nullopt);
    EXPECT_EQ(read(0, u"Sm\u00E4ll"), std::nullopt);
}

TEST_F(LyraViewTest, LayoutErrorsNameTheLine)
{
    IntrusivePtr<TestView> view(new TestView);
    const std::pair<const char*, int> cases[] = {
        {"layout L\n{\n\tview zel_dialog\n\t{\n\t\tzel_slider(identifier:'x');\n\t}\n}", 5},
        {"layout L\n{\n\tview zel_dialog\n\t{\n\t\tzel_popup(identifier:'x');\n\t\tzel_popup(identifier:'x');\n\t}\n}", 6},
        {"layout L\n{\n\tview zel_dialog\n\t{\n\t\tzel_number_edit(identifier:'x',\n\t\t\tvalue:'ten');\n\t}\n}", 6},
        {"layout L\n{\n\tview column;\n}", 3},
    };
    for (const auto& [text, line] : cases) {
        std::stringstream script(text);
        try {
            view->ParseLyraScript(script, false);
            ADD_FAILURE() << "no error for " << text;
        } catch (const LyraSyntaxError& e) {
            EXPECT_EQ(e.Line(), line) << e.what();
        }
    }
}
