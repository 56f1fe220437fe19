#include "bttui/TerminalDriver.h"

#include "SettingsWindow.h"
#include "TerminalSignals.h"
#include "bttui/ScreenPlan.h"

#include <final/final.h>
#include <unistd.h>

#include <memory>

namespace bttui {

TerminalDriver::TerminalDriver(std::function<bool()> stopRequested) : mStopRequested(std::move(stopRequested)) {}

TerminalDriver::~TerminalDriver() = default;

void TerminalDriver::RunModal(zellyrafactory::hostcontrol::DialogSession& session)
{
    const ScreenPlan plan = PlanScreen(session.Entries());
    static char programName[] = "barsandtone";
    char* argv[] = {programName, nullptr};
    const int argc = 1;
    const HostStopSignals hostSignals; // put back when the terminal library goes, too
    finalcut::FApplication application(argc, argv);
    SettingsWindow window(&application, session, plan);
    finalcut::FWidget::setMainWidget(&window);
    window.show();
    window.Place();
    const ResizeRelay resizeRelay;
    std::unique_ptr<StopWatch> stopWatch;
    if (mStopRequested)
        stopWatch = std::make_unique<StopWatch>(window, mStopRequested);
    hostSignals.Restore();
    application.exec();
    if (!session.IsClosed())
        session.CloseWindow();
}

bool StandardInputIsTerminal() noexcept { return ::isatty(STDIN_FILENO) == 1; }

} // namespace bttui
