// The Windows module finds its own resources through its own module handle:
// the settings dialog's layout comes from the DLL's LYRA resources (a Windows
// build has no side files), and asking for the handle leaves the module's
// reference count alone, so the host's FreeLibrary still unloads it.

#include "bthost/Host.h"
#include "bthost/NewClip.h"
#include "zellyrafactory/HostControl.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

namespace hc = zellyrafactory::hostcontrol;

namespace {
class RecordingDriver : public hc::ModalDriver {
public:
    void RunModal(hc::DialogSession& session) override
    {
        layoutName = session.Layout().layoutName;
        foundPresetPopup = session.Find("presetPopup") != nullptr;
        (void)session.PressButton("okButton");
    }
    std::string layoutName;
    bool foundPresetPopup = false;
};
} // namespace

TEST(WindowsModule, DialogLayoutComesFromTheModulesResourcesAndTheModuleStaysUnpinned)
{
    ASSERT_EQ(GetModuleHandleA("ImporterBarsAndTone.cvm"), nullptr);
    auto driver = std::make_shared<RecordingDriver>();
    hc::SetScriptProvider(nullptr);
    hc::InstallModalDriver(driver);
    {
        bthost::Host host(BT_MODULE_PATH);
        ASSERT_NE(GetModuleHandleA("ImporterBarsAndTone.cvm"), nullptr);
        const auto clip = bthost::AcquireNewClipSettings(host, bthost::SequenceProperties{});
        EXPECT_EQ(clip.result, 0);
    }
    hc::InstallModalDriver(nullptr);
    EXPECT_EQ(driver->layoutName, "BarsAndToneSettingsWithIdentifiersDialog");
    EXPECT_TRUE(driver->foundPresetPopup);
    EXPECT_EQ(GetModuleHandleA("ImporterBarsAndTone.cvm"), nullptr) << "the module pinned itself";
}
