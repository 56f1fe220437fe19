#pragma once
// New clips as a host makes them (selector 38, both calls) under a scripted
// dialog driver, in an NTSC or a PAL input locale, with a sequence suite that
// answers for sequence 1.

#include "../host/ModuleFixture.h"
#include "../host/ToneSettingsMatch.h"
#include "bthost/DialogControl.h"
#include "bthost/NewClip.h"
#include "bthost/SequenceInfoSuite.h"
#include "zellyrafactory/ScriptedDriver.h"

#include <memory>

namespace hc = zellyrafactory::hostcontrol;

class NewClipFixture : public ModuleTest {
protected:
    using ScriptedAction = hc::ScriptedAction;
    using InputLocale = MB::Locale::HostControl::InputLocale;

    explicit NewClipFixture(bool inNtsc = false) : ntsc(inNtsc), locale(inNtsc ? InputLocale::NTSC : InputLocale::PAL) {}

    void SetUp() override
    {
        ModuleTest::SetUp();
        sequences = std::make_unique<bthost::SequenceInfoSuite>(*host);
        sequences->SetSequence(1, {});
        driver = std::make_shared<hc::ScriptedDriver>(hc::AcceptAsOpened());
        hc::InstallModalDriver(driver);
    }
    void TearDown() override
    {
        sequences.reset();
        hc::InstallModalDriver(nullptr);
        hc::SetScriptProvider(nullptr);
        EXPECT_EQ(host->Memory().LiveBlocks(), 0u);
        ModuleTest::TearDown();
    }

    /// Both calls of selector 38, the dialog driven by the actions.
    bthost::NewClipSettings Create(const bthost::SequenceProperties& sequence, std::vector<ScriptedAction> actions)
    {
        driver = std::make_shared<hc::ScriptedDriver>(std::move(actions));
        hc::InstallModalDriver(driver);
        return bthost::AcquireNewClipSettings(*host, sequence);
    }
    /// No layout, so no dialog: the record as sequence matching leaves it.
    static void WithoutDialog()
    {
        hc::SetScriptProvider([](std::string_view) -> std::optional<std::string> { return std::nullopt; });
    }
    static bool Untouched(const bthost::NewClipSettings& clip)
    {
        return clip.stored == std::vector<std::uint8_t>(72, 0xCD) && !clip.clipName.has_value();
    }

    const bool ntsc;
    const bthost::ScopedInputLocale locale;
    std::unique_ptr<bthost::SequenceInfoSuite> sequences;
    std::shared_ptr<hc::ScriptedDriver> driver;
};
