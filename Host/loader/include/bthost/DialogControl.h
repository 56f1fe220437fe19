#pragma once
// What a host program controls of the platform's dialogs: the modal driver
// that runs them (zellyrafactory/HostControl.h) and the input locale that
// picks NTSC or PAL defaults (MediaBridge/Locale.h). The scoped forms restore
// the platform's default when they end.

#include "MediaBridge/Locale.h"
#include "zellyrafactory/ScriptedDriver.h"

#include <memory>

namespace bthost {

/// Installs a modal driver for the process while it lives.
class ScopedDialogDriver {
public:
    explicit ScopedDialogDriver(std::shared_ptr<zellyrafactory::hostcontrol::ModalDriver> driver)
    {
        zellyrafactory::hostcontrol::InstallModalDriver(std::move(driver));
    }
    ~ScopedDialogDriver() { zellyrafactory::hostcontrol::InstallModalDriver(nullptr); }
    ScopedDialogDriver(const ScopedDialogDriver&) = delete;
    ScopedDialogDriver& operator=(const ScopedDialogDriver&) = delete;
};

/// Overrides the input locale for the process while it lives.
class ScopedInputLocale {
public:
    explicit ScopedInputLocale(MB::Locale::HostControl::InputLocale locale)
    {
        MB::Locale::HostControl::SetInputLocaleOverride(locale);
    }
    ~ScopedInputLocale() { MB::Locale::HostControl::SetInputLocaleOverride(MB::Locale::HostControl::InputLocale::FromProcess); }
    ScopedInputLocale(const ScopedInputLocale&) = delete;
    ScopedInputLocale& operator=(const ScopedInputLocale&) = delete;
};

} // namespace bthost
