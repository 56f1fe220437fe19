#pragma once
// Signals while the terminal library runs the dialog. The library installs
// its own handlers; two of them must not stay:
// - its stop handlers (SIGINT, SIGTERM, SIGHUP) end the program where it
//   stands, so the host's are put back, and the host's "stop requested"
//   closes the dialog unaccepted instead;
// - its size-change handler (SIGWINCH) takes a lock that the code it
//   interrupts may hold, so it runs from the event loop instead.

#include <final/final.h>
#include <signal.h>

#include <array>
#include <csignal>
#include <functional>

namespace bttui {

/// The host's handlers of the stop signals as they were when made; put back
/// by Restore and when it goes.
class HostStopSignals {
public:
    HostStopSignals();
    ~HostStopSignals() { Restore(); }
    HostStopSignals(const HostStopSignals&) = delete;
    HostStopSignals& operator=(const HostStopSignals&) = delete;
    void Restore() const;

private:
    static constexpr std::array<int, 3> kSignals{SIGINT, SIGTERM, SIGHUP};
    std::array<struct sigaction, kSignals.size()> mSaved{};
};

/// Closes `window` when the host says a stop signal arrived (asked ten times
/// a second).
class StopWatch final : public finalcut::FObject {
public:
    StopWatch(finalcut::FWidget& window, std::function<bool()> stopRequested);

protected:
    void onTimer(finalcut::FTimerEvent*) override;

private:
    finalcut::FWidget& mWindow;
    std::function<bool()> mStopRequested;
};

/// Runs the terminal library's size-change handler from its event loop: the
/// signal itself only raises a flag. Where the library's handler ran from the
/// signal while the interrupted code held its lock (every time under the
/// thread checker, which delivers signals as a lock is taken), the program
/// would hang.
class ResizeRelay final : public finalcut::FObject {
public:
    ResizeRelay();
    ~ResizeRelay() override;
    ResizeRelay(const ResizeRelay&) = delete;
    ResizeRelay& operator=(const ResizeRelay&) = delete;

protected:
    void onTimer(finalcut::FTimerEvent*) override;

private:
    static void OnSignal(int) { sResized = 1; }
    static inline volatile std::sig_atomic_t sResized = 0;
    struct sigaction mLibrary {};
};

} // namespace bttui
