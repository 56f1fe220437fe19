#include "btmedia/StopSignals.h"

#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <utility>

namespace btmedia {

namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

std::atomic<int> gStopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "the handler reads the flag");

// Paths the second signal removes. A slot is filled while Free -> Filling,
// then published as Ready; the handler reads Ready slots only.
enum SlotState : int { kFree, kFilling, kReady };
struct KillSlot {
    std::atomic<int> state{kFree};
    char path[4096] = {};
};
std::array<KillSlot, 16> gKillSlots;

std::mutex gDiscardedMutex;
std::vector<std::string> gDiscarded;

void OnStopSignal(int signal)
{
    const int savedErrno = errno;
    int none = 0;
    if (gStopSignal.compare_exchange_strong(none, signal)) {
        errno = savedErrno;
        return; // the first one: the work stops at its next stop point
    }
    // The second: the user does not want to wait.
    for (KillSlot& slot : gKillSlots)
        if (slot.state.load() == kReady)
            (void)unlink(slot.path);
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    sigemptyset(&byDefault.sa_mask);
    (void)sigaction(signal, &byDefault, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    (void)sigprocmask(SIG_UNBLOCK, &only, nullptr);
    (void)raise(signal);
}

} // namespace

void InstallStopSignals()
{
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (int s : kStopSignals)
        sigaddset(&action.sa_mask, s);
    // No SA_RESTART: a program waiting for a reader of a FIFO or for an
    // answer at the terminal hears the signal (EINTR) and stops.
    action.sa_flags = 0;
    for (int s : kStopSignals) {
        // A signal ignored when the program starts stays ignored, as nohup
        // and a shell's background jobs expect.
        struct sigaction before {};
        if (sigaction(s, nullptr, &before) == 0 && before.sa_handler == SIG_IGN)
            continue;
        (void)sigaction(s, &action, nullptr);
    }
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    (void)sigaction(SIGXFSZ, &ignore, nullptr);
}

int StopSignal() noexcept { return gStopSignal.load(); }

Stopped::Stopped(int signal) : std::runtime_error("stopped by " + SignalName(signal)), mSignal(signal) {}

void StopPoint()
{
    if (const int s = StopSignal(); s != 0)
        throw Stopped(s);
}

std::string SignalName(int signal)
{
    switch (signal) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return "signal " + std::to_string(signal);
    }
}

RemoveOnKill::RemoveOnKill(const std::string& path)
{
    if (path.size() >= sizeof(KillSlot::path))
        return;
    for (std::size_t i = 0; i < gKillSlots.size(); ++i) {
        int free = kFree;
        if (gKillSlots[i].state.compare_exchange_strong(free, kFilling)) {
            std::memcpy(gKillSlots[i].path, path.c_str(), path.size() + 1);
            gKillSlots[i].state.store(kReady);
            mSlot = static_cast<int>(i);
            return;
        }
    }
}

RemoveOnKill::~RemoveOnKill()
{
    if (mSlot >= 0)
        gKillSlots[static_cast<std::size_t>(mSlot)].state.store(kFree);
}

std::vector<std::string> TakeDiscardedOutputs()
{
    std::lock_guard lock(gDiscardedMutex);
    return std::exchange(gDiscarded, {});
}

void NoteDiscardedOutput(const std::string& name)
{
    std::lock_guard lock(gDiscardedMutex);
    gDiscarded.push_back(name);
}

} // namespace btmedia
