// The dialog in-process: the contract of HandleToneSettingsDialog and the
// reduced layout.

#include "LayoutText.h"
#include "ImporterBarsAndTone/DialogControls.h"
#include "dialog/DataExchange.h"
#include "dialog/Presets.h"
#include "dialog/ToneSettingsDialog.h"
#include "zelcore/config/Error.h"
#include "zelcore/debug/Debug.h"
#include "zellyrafactory/ScriptedDriver.h"

#include <gtest/gtest.h>

#include <string>

using namespace bt::dialog;
using namespace zellyrafactory::hostcontrol;

namespace {

class DialogTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        SetScriptProvider(nullptr);
        InstallModalDriver(nullptr);
    }
};

} // namespace

TEST_F(DialogTest, HandleWithoutTheExchangeInterfaceIsAContractViolation)
{
    class NotAnExchange : public zelcore::classref::Unknown {};
    auto object = std::make_shared<NotAnExchange>();
    std::vector<zelcore::debug::AssertReport> reports;
    zelcore::debug::hostcontrol::SetAssertObserver([&](const auto& r) { reports.push_back(r); });
    try {
        HandleToneSettingsDialog(ids::kLayoutNameWide, {object.get(), object}, nullptr, nullptr);
        ADD_FAILURE() << "no error";
    } catch (const zelcore::config::Error& e) {
        EXPECT_EQ(e.Level(), 0);
        EXPECT_EQ(e.Major(), 105);
        EXPECT_EQ(e.Minor(), 25);
        EXPECT_TRUE(e.IsUserVisible());
        EXPECT_EQ(e.Key(), "$$$/zelcore/utility/Error/Contract/InputContractViolation=An input contract violation has occurred!");
    }
    zelcore::debug::hostcontrol::SetAssertObserver(nullptr);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].file, "ToneSettingsDialog");
    EXPECT_EQ(reports[0].function, "HandleToneSettingsDialog");
    EXPECT_EQ(reports[0].condition, "dataExchange != 0");
    EXPECT_EQ(reports[0].message, "");
}

TEST_F(DialogTest, AControlOfAnotherKindThanItsIdentifierNamesIsAConversionError)
{
    std::string layout = ReadLayoutText(false);
    const std::string popup = "zel_popup(identifier:'presetPopup'";
    layout.replace(layout.find(popup), popup.size(), "zel_number_edit(identifier:'presetPopup'");
    SetScriptProvider([&](std::string_view) -> std::optional<std::string> { return layout; });
    auto exchange = CreateDataExchange();
    try {
        HandleToneSettingsDialog(ids::kLayoutNameWide, exchange->GetClassRef(), nullptr, nullptr);
        ADD_FAILURE() << "no error";
    } catch (const zelcore::config::Error& e) {
        EXPECT_EQ(e.Level(), 1);
        EXPECT_EQ(e.Major(), 105);
        EXPECT_EQ(e.Minor(), 21);
        EXPECT_TRUE(e.IsUserVisible());
        EXPECT_EQ(e.Key(), "$$$/zelcore/utility/Error/InvalidTypeConversion=Invalid type conversion.");
    }
}

TEST_F(DialogTest, ExchangeAnswersOnlyItsInterfaceAndOutlivesTheCallersHandle)
{
    auto exchange = CreateDataExchange();
    ASSERT_TRUE(exchange);
    auto handle = exchange->GetClassRef();
    EXPECT_TRUE(handle.Query<IToneSettingsDialogDataExchange>());
    bt::ToneSettings s;
    s.frequency = 440.0f;
    exchange->SetCancelled();
    EXPECT_TRUE(exchange->IsCancelled());
    exchange->SetToneSettings(s);
    EXPECT_FALSE(exchange->IsCancelled());
    std::weak_ptr<ToneSettingsDialogDataExchange> watch = exchange;
    exchange.reset();
    EXPECT_FALSE(watch.expired());
    EXPECT_EQ(handle.Query<IToneSettingsDialogDataExchange>()->GetToneSettings().frequency, 440.0f);
}

TEST_F(DialogTest, AnotherLayoutNameFillsOnlyTheToneLevelControls)
{
    const std::string full = ReadLayoutText(false);
    SetScriptProvider([&](std::string_view name) -> std::optional<std::string> {
        if (name == "OTHERDIALOG")
            return full;
        return std::nullopt;
    });
    auto driver = std::make_shared<ScriptedDriver>(std::vector<ScriptedAction>{
        ScriptedAction::Type(ids::kFrequencyHotTextNumber, 440), ScriptedAction::Press(ids::kOkButton)});
    InstallModalDriver(driver);

    auto exchange = CreateDataExchange();
    bt::ToneSettings in;
    in.preset = kPresetUHDPQ;
    in.frameWidth = 1000;
    in.colorSpaceType = 2;
    exchange->SetToneSettings(in);
    HandleToneSettingsDialog(u"OtherDialog", exchange->GetClassRef(), nullptr, nullptr);
    ASSERT_FALSE(exchange->IsCancelled());
    const bt::ToneSettings out = exchange->GetToneSettings();
    EXPECT_EQ(out.frequency, 440.0f);
    EXPECT_EQ(out.colorSpaceType, 2);                  // no colour-space pop-up filled
    EXPECT_EQ(out.frameWidth, 1000);                   // no preset applied
    EXPECT_EQ(out.par, in.par);                        // no ratio pop-up filled
    EXPECT_EQ(out.preset, kPresetCustom);              // the frequency marked it
}
