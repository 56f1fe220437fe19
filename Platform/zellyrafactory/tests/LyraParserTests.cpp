#include "zellyrafactory/LyraParser.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

using namespace zellyrafactory;

namespace {

std::string ReadData(const char* name)
{
    std::ifstream in(std::string(BT_SOURCE_DIR) + "/Importers/ImporterBarsAndTone/Resources/Layouts/" + name, std::ios::binary);
    std::string text(1 << 16, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

void Flatten(const LyraWidget& w, std::vector<std::string>& out)
{
    const LyraProperty* id = w.Find("identifier");
    out.push_back(w.kind + (id != nullptr ? ":" + id->value.text : ""));
    for (const LyraWidget& child : w.children)
        Flatten(child, out);
}

int ErrorLine(const std::string& script)
{
    try {
        (void)ParseLyraText(script);
    } catch (const LyraSyntaxError& e) {
        EXPECT_NE(std::string(e.what()).find("line " + std::to_string(e.Line()) + ":"), std::string::npos) << e.what();
        return e.Line();
    }
    ADD_FAILURE() << "no error for:\n" << script;
    return 0;
}

} // namespace

TEST(LyraParser, BothDialectsGiveTheSameTree)
{
    const LyraDocument current = ParseLyraText(ReadData("BarsAndToneSettingsWithIdentifiersDialog.lyra"));
    const LyraDocument older = ParseLyraText(ReadData("BarsAndToneSettingsWithIdentifiersDialog.ORIN.lyra"));
    EXPECT_EQ(current.dialect, LyraDialect::Current);
    EXPECT_EQ(older.dialect, LyraDialect::Older);
    EXPECT_EQ(current.layoutName, "BarsAndToneSettingsWithIdentifiersDialog");
    EXPECT_EQ(older.layoutName, current.layoutName);
    EXPECT_TRUE(current.view == older.view);
}

TEST(LyraParser, KeepsWidgetOrderAndPropertiesAsWritten)
{
    const LyraDocument doc = ParseLyraText(ReadData("BarsAndToneSettingsWithIdentifiersDialog.lyra"));
    std::vector<std::string> flat;
    Flatten(doc.view, flat);
    const std::vector<std::string> expected{
        "zel_dialog:BarsAndToneSettingsWithIdentifiersDialog", "column", "zel_popup:presetPopup", "row",
        "zel_number_edit:frameWidthNumberEdit", "zel_number_edit:frameHeightNumberEdit",
        "zel_popup:videoFrameRatePopup", "zel_popup:parPopup", "zel_popup:colorSpaceTypePopup",
        "zel_popup:audioFrameRatePopup", "zel_radio_button_group:radioGroup1", "zel_radio_button:steadyTonesBtn", "row",
        "zel_hot_text_number:frequencyHotTextNumber", "zel_hot_text_number:amplitudeHotTextNumber",
        "zel_radio_button:identifyChannelsBtn", "zel_popup:identifierFormatPopup", "zel_ok_cancel_row"};
    EXPECT_EQ(flat, expected);

    const LyraWidget& toneRow = doc.view.children[0].children[6].children[1];
    ASSERT_EQ(toneRow.properties.size(), 2u); // "horizontal" written twice, both kept
    EXPECT_EQ(toneRow.properties[1].value.text, "align_fill");
    const LyraWidget& amplitude = toneRow.children[1];
    const LyraProperty* value = amplitude.Find("value");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->value.kind, LyraValue::Kind::Number);
    EXPECT_EQ(value->value.number, -12.041199826559248);
    EXPECT_EQ(amplitude.properties[0].name, "postLabel");
    EXPECT_EQ(amplitude.line, 23);
}

TEST(LyraParser, TextEscapesCommentsAndBareWidgets)
{
    const LyraDocument doc = ParseLyraText("\xEF\xBB\xBFlayout L // the name\n{ view zel_dialog(name:'it\\'s \\\\ x')"
                                           " { zel_ok_cancel_row; row() { }; } }");
    EXPECT_EQ(doc.view.Find("name")->value.text, "it's \\ x");
    ASSERT_EQ(doc.view.children.size(), 2u);
    EXPECT_TRUE(doc.view.children[0].properties.empty());
}

TEST(LyraParser, MalformedScriptsNameTheLine)
{
    EXPECT_EQ(ErrorLine(""), 1);
    EXPECT_EQ(ErrorLine("layout L\n{\n\tvista zel_dialog;\n}"), 3);
    EXPECT_EQ(ErrorLine("layout L\n{\n\tview zel_dialog(a:1,\n\tb:2\n\t{\n}"), 5);
    EXPECT_EQ(ErrorLine("layout L\n{\n\tview zel_dialog(a:'open\n\t);\n}"), 3);
    EXPECT_EQ(ErrorLine("layout L\n{\n\tview zel_dialog(\n\t\tvalue:12x);\n}"), 4);
    EXPECT_EQ(ErrorLine("layout L\n{\n\tview zel_dialog(value:);\n}"), 3);
    EXPECT_EQ(ErrorLine("layout L\n{\n\tview zel_dialog\n\t{\n\t\trow;\n"), 6);
    EXPECT_EQ(ErrorLine("layout L\n{\n\tview zel_dialog;\n}\n}"), 5);
    EXPECT_EQ(ErrorLine("layout L { view zel_dialog zel_popup; }"), 1);
    std::string deep = "layout L { view zel_dialog ";
    for (int i = 0; i < 100; ++i)
        deep += "{ row ";
    EXPECT_EQ(ErrorLine(deep), 1);
}
