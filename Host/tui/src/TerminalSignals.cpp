#include "TerminalSignals.h"

namespace bttui {

namespace {

constexpr int kPollMilliseconds = 100;

} // namespace

HostStopSignals::HostStopSignals()
{
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        sigaction(kSignals[i], nullptr, &mSaved[i]);
}

void HostStopSignals::Restore() const
{
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        sigaction(kSignals[i], &mSaved[i], nullptr);
}

StopWatch::StopWatch(finalcut::FWidget& window, std::function<bool()> stopRequested)
    : mWindow(window), mStopRequested(std::move(stopRequested))
{
    addTimer(kPollMilliseconds);
}

void StopWatch::onTimer(finalcut::FTimerEvent*)
{
    if (mStopRequested())
        mWindow.close();
}

ResizeRelay::ResizeRelay()
{
    struct sigaction relay {};
    relay.sa_handler = &ResizeRelay::OnSignal;
    sigemptyset(&relay.sa_mask);
    relay.sa_flags = SA_RESTART;
    sigaction(SIGWINCH, &relay, &mLibrary);
    addTimer(kPollMilliseconds);
}

ResizeRelay::~ResizeRelay() { sigaction(SIGWINCH, &mLibrary, nullptr); }

void ResizeRelay::onTimer(finalcut::FTimerEvent*)
{
    if (sResized == 0)
        return;
    sResized = 0;
    if ((mLibrary.sa_flags & SA_SIGINFO) != 0 && mLibrary.sa_sigaction != nullptr) {
        siginfo_t info{};
        info.si_signo = SIGWINCH;
        mLibrary.sa_sigaction(SIGWINCH, &info, nullptr);
    } else if (mLibrary.sa_handler != SIG_DFL && mLibrary.sa_handler != SIG_IGN && mLibrary.sa_handler != nullptr) {
        mLibrary.sa_handler(SIGWINCH);
    }
}

} // namespace bttui
