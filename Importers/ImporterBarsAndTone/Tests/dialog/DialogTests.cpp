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

#include <array>
#include <functional>
#include <string>
#include <tuple>

using namespace bt::dialog;
using namespace zellyrafactory::hostcontrol;

namespace {

/// Runs the call and checks that it raises the platform's user-visible error
/// with these fields.
void ExpectError(const std::function<void()>& call, int level, int major, int minor, const std::string& key)
{
    try {
        call();
        ADD_FAILURE() << "no error";
    } catch (const zelcore::config::Error& e) {
        EXPECT_EQ((std::tuple{e.Level(), e.Major(), e.Minor(), e.IsUserVisible(), e.Key()}),
                  (std::tuple{level, major, minor, true, key}));
    }
}

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
    ExpectError([&] { HandleToneSettingsDialog(ids::kLayoutNameWide, {object.get(), object}, nullptr, nullptr); }, 0,
                105, 25, "$$$/zelcore/utility/Error/Contract/InputContractViolation=An input contract violation has occurred!");
    zelcore::debug::hostcontrol::SetAssertObserver(nullptr);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ((std::array<std::string, 4>{reports[0].file, reports[0].function, reports[0].condition, reports[0].message}),
              (std::array<std::string, 4>{"ToneSettingsDialog", "HandleToneSettingsDialog", "dataExchange != 0", ""}));
}

TEST_F(DialogTest, AControlOfAnotherKindThanItsIdentifierNamesIsAConversionError)
{
    std::string layout = ReadLayoutText(false);
    const std::string popup = "zel_popup(identifier:'presetPopup'";
    layout.replace(layout.find(popup), popup.size(), "zel_number_edit(identifier:'presetPopup'");
    SetScriptProvider([&](std::string_view) -> std::optional<std::string> { return layout; });
    auto exchange = CreateDataExchange();
    ExpectError([&] { HandleToneSettingsDialog(ids::kLayoutNameWide, exchange->GetClassRef(), nullptr, nullptr); }, 1,
                105, 21, "$$$/zelcore/utility/Error/InvalidTypeConversion=Invalid type conversion.");
}

TEST_F(DialogTest, ExchangeAnswersOnlyItsInterfaceAndOutlivesTheCallersHandle)
{
    auto exchange = CreateDataExchange();
    ASSERT_TRUE(exchange);
    auto handle = exchange->GetClassRef();
    EXPECT_TRUE(handle.Query<IToneSettingsDialogDataExchange>());
    exchange->SetCancelled();
    EXPECT_TRUE(exchange->IsCancelled());
    exchange->SetToneSettings({.frequency = 440.0f});
    EXPECT_FALSE(exchange->IsCancelled());
    std::weak_ptr<ToneSettingsDialogDataExchange> watch = exchange;
    exchange.reset();
    EXPECT_FALSE(watch.expired());
    EXPECT_EQ(handle.Query<IToneSettingsDialogDataExchange>()->GetToneSettings().frequency, 440.0f);
}

TEST_F(DialogTest, AnotherLayoutNameFillsOnlyTheToneLevelControls)
{
    const std::string full = ReadLayoutText(false);
    SetScriptProvider([&](std::string_view name) { return name == "OTHERDIALOG" ? std::optional(full) : std::nullopt; });
    auto driver = std::make_shared<ScriptedDriver>(std::vector<ScriptedAction>{
        ScriptedAction::Type(ids::kFrequencyHotTextNumber, 440), ScriptedAction::Press(ids::kOkButton)});
    InstallModalDriver(driver);

    auto exchange = CreateDataExchange();
    const bt::ToneSettings in{.frameWidth = 1000, .colorSpaceType = 2, .preset = kPresetUHDPQ};
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
