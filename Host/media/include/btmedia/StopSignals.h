#pragma once
// Stopping a writing program cleanly. SIGINT, SIGTERM and SIGHUP only raise a
// flag that the long loops poll (StopPoint), so the work unwinds like any
// failure and every unfinished file is removed by its owner. A second signal
// does not wait: it removes the unfinished files it knows of and ends the
// program at once. SIGXFSZ is ignored, so that passing the file-size limit
// comes back from write() as EFBIG, an error like a full disk.
//
// Rationale: a handler may only do async-signal-safe things, so the files a
// second signal removes are kept in a fixed table of path buffers, filled and
// emptied by the program and read by the handler without allocation.

#include <stdexcept>
#include <string>
#include <vector>

namespace btmedia {

/// Installs the handlers (a stop signal ignored at start stays ignored).
/// Call once, early in main.
void InstallStopSignals();

/// The stop signal received (SIGINT, SIGTERM or SIGHUP), 0 when none.
[[nodiscard]] int StopSignal() noexcept;

/// The work was stopped by a signal; the program exits with 128 + Signal().
class Stopped : public std::runtime_error {
public:
    explicit Stopped(int signal);
    [[nodiscard]] int Signal() const noexcept { return mSignal; }

private:
    int mSignal;
};

/// Throws Stopped when a stop signal has arrived. [any thread]
void StopPoint();

/// "SIGINT" for SIGINT, and so on for the stop signals.
[[nodiscard]] std::string SignalName(int signal);

/// A file the second signal removes before the program dies: a temporary
/// file that is not yet the output. [constructed and destroyed on any thread]
class RemoveOnKill {
public:
    explicit RemoveOnKill(const std::string& path);
    ~RemoveOnKill();
    RemoveOnKill(const RemoveOnKill&) = delete;
    RemoveOnKill& operator=(const RemoveOnKill&) = delete;

private:
    int mSlot = -1; ///< -1 when the table was full or the path too long
};

/// The outputs whose unfinished files were removed so far, by the names the
/// user gave them, oldest first; taking them empties the list.
[[nodiscard]] std::vector<std::string> TakeDiscardedOutputs();
/// Records that the unfinished file of `name` was removed.
void NoteDiscardedOutput(const std::string& name);

} // namespace btmedia
