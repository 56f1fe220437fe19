// The screen plan of the module's settings dialog, opened through selector 38.

#include "bthost/DialogControl.h"
#include "bthost/Host.h"
#include "bthost/NewClip.h"
#include "bthost/SequenceInfoSuite.h"
#include "bttui/ScreenPlan.h"
#include "zelcore/config/Localizer.h"
#include "zelcore/text/Utf.h"
#include "zellyrafactory/LyraParser.h"
#include "zelui/controls/UI_Popup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

using namespace zellyrafactory::hostcontrol;
using bttui::FieldKind;
using bttui::ScreenField;
using bttui::ScreenPlan;

namespace {

std::string ReadLayout()
{
    std::ifstream file(std::string(BT_SOURCE_DIR) +
                       "/Importers/ImporterBarsAndTone/Resources/Layouts/BarsAndToneSettingsWithIdentifiersDialog.lyra");
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

/// Plans the running dialog and closes it; keeps the pop-ups' longest items.
class PlanningDriver : public ModalDriver {
public:
    ScreenPlan plan;
    std::map<std::string, int> longestItem;

    void RunModal(DialogSession& session) override
    {
        plan = bttui::PlanScreen(session.Entries());
        for (const DialogEntry& entry : session.Entries())
            if (auto* popup = dynamic_cast<zelui::controls::UI_Popup*>(entry.node.Get()))
                for (std::int64_t i = 0; i < popup->GetItemCount(); ++i)
                    longestItem[entry.identifier] = std::max(
                        longestItem[entry.identifier],
                        bttui::TextCells(zelcore::text::Utf16ToUtf8(popup->GetItemText(i))));
        session.CloseWindow();
    }
};

class ScreenPlanTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        InstallModalDriver(nullptr);
        SetScriptProvider(nullptr);
    }

    /// The plan of the dialog as selector 38 opens it, from the given layout.
    ScreenPlan Plan(const std::string& layout)
    {
        SetScriptProvider([layout](std::string_view) -> std::optional<std::string> { return layout; });
        InstallModalDriver(driver);
        bthost::Host host(BT_MODULE_PATH);
        bthost::SequenceInfoSuite sequences(host);
        sequences.SetSequence(1, {});
        (void)bthost::AcquireNewClipSettings(host, bthost::SequenceProperties{});
        return driver->plan;
    }

    std::shared_ptr<PlanningDriver> driver = std::make_shared<PlanningDriver>();
};

const ScreenField& Field(const ScreenPlan& plan, const std::string& identifier)
{
    const auto found = std::find_if(plan.fields.begin(), plan.fields.end(),
                                    [&](const ScreenField& f) { return f.identifier == identifier; });
    if (found == plan.fields.end())
        throw std::runtime_error("no field " + identifier);
    return *found;
}

int End(const ScreenField& f)
{
    return f.fieldColumn + f.fieldWidth + (f.postLabel.empty() ? 0 : 1 + bttui::TextCells(f.postLabel));
}

/// The layout's controls in written order with their shown texts, read from
/// the parsed script (the OK/Cancel row adds its two buttons).
std::vector<std::pair<std::string, std::string>> WrittenControls(const zellyrafactory::LyraWidget& w)
{
    std::vector<std::pair<std::string, std::string>> controls;
    if (const auto* id = w.Find("identifier"); id != nullptr && w.kind != "zel_dialog" && w.kind != "zel_radio_button_group") {
        const auto* text = w.Find(w.kind == "zel_radio_button" ? "name" : "label");
        controls.emplace_back(id->value.text,
                              text != nullptr ? std::string(zelcore::config::KeyDefault(text->value.text)) : "");
    }
    if (w.kind == "zel_ok_cancel_row") {
        controls.emplace_back("okButton", "OK");
        controls.emplace_back("cancelButton", "Cancel");
    }
    for (const auto& child : w.children)
        for (auto& c : WrittenControls(child))
            controls.push_back(std::move(c));
    return controls;
}

} // namespace

TEST_F(ScreenPlanTest, EveryControlOfTheLayoutInItsOrderWithItsTexts)
{
    const ScreenPlan plan = Plan(ReadLayout());
    EXPECT_EQ(plan.title, "New Bars And Tone");

    const auto written = WrittenControls(zellyrafactory::ParseLyraText(ReadLayout()).view);
    ASSERT_EQ(plan.fields.size(), written.size());
    for (std::size_t i = 0; i < written.size(); ++i) {
        EXPECT_EQ(plan.fields[i].identifier, written[i].first);
        EXPECT_EQ(plan.fields[i].label, written[i].second) << written[i].first;
    }
    EXPECT_EQ(Field(plan, "frequencyHotTextNumber").postLabel, "Hz");
    EXPECT_EQ(Field(plan, "amplitudeHotTextNumber").postLabel, "dB");
    EXPECT_EQ(Field(plan, "frequencyHotTextNumber").decimalPlaces, 1);
    EXPECT_EQ(Field(plan, "amplitudeHotTextNumber").decimalPlaces, 1);
    EXPECT_EQ(Field(plan, "frameWidthNumberEdit").decimalPlaces, 0);
    EXPECT_EQ(Field(plan, "presetPopup").kind, FieldKind::Popup);
    EXPECT_EQ(Field(plan, "steadyTonesBtn").kind, FieldKind::RadioButton);
    EXPECT_EQ(Field(plan, "okButton").kind, FieldKind::Button);
}

TEST_F(ScreenPlanTest, RowsSideBySideAndTheToneRowBetweenTheRadioButtons)
{
    const ScreenPlan plan = Plan(ReadLayout());
    const ScreenField& width = Field(plan, "frameWidthNumberEdit");
    const ScreenField& height = Field(plan, "frameHeightNumberEdit");
    EXPECT_EQ(width.line, height.line);
    EXPECT_GT(height.labelColumn, End(width));

    const ScreenField& steady = Field(plan, "steadyTonesBtn");
    const ScreenField& frequency = Field(plan, "frequencyHotTextNumber");
    const ScreenField& amplitude = Field(plan, "amplitudeHotTextNumber");
    const ScreenField& identify = Field(plan, "identifyChannelsBtn");
    const ScreenField& format = Field(plan, "identifierFormatPopup");
    EXPECT_EQ(frequency.line, steady.line + 1);
    EXPECT_EQ(amplitude.line, frequency.line);
    EXPECT_GT(amplitude.labelColumn, End(frequency));
    EXPECT_EQ(identify.line, frequency.line + 1);
    EXPECT_EQ(format.line, identify.line + 1);
    // The group's other controls sit under the buttons' texts.
    EXPECT_EQ(identify.labelColumn, steady.labelColumn);
    EXPECT_GT(frequency.labelColumn, steady.labelColumn);
    EXPECT_EQ(format.labelColumn, frequency.labelColumn);

    // The column's own controls are a line apart (its 30-pixel spacing).
    EXPECT_EQ(width.line, Field(plan, "presetPopup").line + 2);
}

TEST_F(ScreenPlanTest, ControlsLineUpFitTheirTextsAndStayInside)
{
    const ScreenPlan plan = Plan(ReadLayout());
    const int popupColumn = Field(plan, "presetPopup").fieldColumn;
    for (const char* id : {"videoFrameRatePopup", "parPopup", "colorSpaceTypePopup", "audioFrameRatePopup"}) {
        EXPECT_EQ(Field(plan, id).fieldColumn, popupColumn) << id;
        EXPECT_EQ(Field(plan, id).fieldWidth, Field(plan, "presetPopup").fieldWidth) << id;
    }
    for (const auto& [id, longest] : driver->longestItem)
        EXPECT_GE(Field(plan, id).fieldWidth, longest + 3) << id; // text, arrow and margins
    EXPECT_GE(Field(plan, "identifierFormatPopup").fieldWidth, 150 / 8); // minWidth 150 pixels
    EXPECT_GT(Field(plan, "frameWidthNumberEdit").fieldWidth, 5);      // "16384"
    EXPECT_GT(Field(plan, "amplitudeHotTextNumber").fieldWidth, 6);    // "-300.0"

    for (const ScreenField& a : plan.fields) {
        EXPECT_GE(a.labelColumn, 0);
        EXPECT_LE(End(a), plan.width) << a.identifier;
        EXPECT_LT(a.line, plan.height) << a.identifier;
        for (const ScreenField& b : plan.fields) {
            if (&a != &b && a.line == b.line && a.labelColumn < b.labelColumn) {
                EXPECT_LT(End(a), b.labelColumn) << a.identifier << " runs into " << b.identifier;
            }
        }
    }

    const ScreenField& ok = Field(plan, "okButton");
    const ScreenField& cancel = Field(plan, "cancelButton");
    EXPECT_EQ(ok.line, plan.height - 1);
    EXPECT_EQ(cancel.line, ok.line);
    EXPECT_EQ(End(cancel), plan.width); // the buttons keep to the right edge
    EXPECT_GT(ok.line, Field(plan, "identifierFormatPopup").line + 1);
}

TEST(ScreenPlanText, NumbersAndCells)
{
    EXPECT_EQ(bttui::FormatNumber(-12.041199684143066, 1), "-12.0");
    EXPECT_EQ(bttui::FormatNumber(1919.7, 0), "1920");
    EXPECT_EQ(bttui::FormatNumber(24000.0, 1), "24000.0");
    EXPECT_EQ(bttui::TextCells("(•) Rec. 709"), 12);
    EXPECT_EQ(bttui::TextCells(""), 0);
    EXPECT_THROW((void)bttui::PlanScreen({}), std::invalid_argument);
}

TEST(ScreenPlanText, WordsWrapAtTheWidthFromBothSides)
{
    using Lines = std::vector<std::string>;
    // "needs 24" is 8 cells: it fits a width of 8 and breaks at 7.
    EXPECT_EQ(bttui::WrapWords("needs 24 x 8", 8), (Lines{"needs 24", "x 8"}));
    EXPECT_EQ(bttui::WrapWords("needs 24 x 8", 7), (Lines{"needs", "24 x 8"}));
    // Cells, not bytes: "·" is two bytes but one cell.
    EXPECT_EQ(bttui::WrapWords("a · b", 5), (Lines{"a · b"}));
    // A word wider than the line keeps a line of its own, uncut.
    EXPECT_EQ(bttui::WrapWords("a terminal b", 4), (Lines{"a", "terminal", "b"}));
    EXPECT_EQ(bttui::WrapWords("", 10), (Lines{""}));
}
