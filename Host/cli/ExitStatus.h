#pragma once
// The exit statuses of barsandtone, one row each, the same for every command.
// The help's footer and the manual page print these rows, and the README
// quotes them (a test holds it to them).

#include <span>
#include <string>

namespace btcli {

inline constexpr int kExitDone = 0;
inline constexpr int kExitFailure = 1;   ///< failed while working: I/O, a module's answer
inline constexpr int kExitUsage = 2;     ///< a wrong request: every parse and validation error
inline constexpr int kExitCancelled = 3; ///< the dialog dismissed, an overwrite declined
/// Stopped by a signal: 128 + the signal.
inline constexpr int kExitSignalBase = 128;

struct ExitStatusRow {
    int code;
    const char* meaning;
    const char* codes = nullptr; ///< the statuses as people read them, where they are not `code` itself
};

inline constexpr ExitStatusRow kExitStatuses[] = {
    {kExitDone, "done"},
    {kExitFailure, "failed while working (a file could not be written, the module refused)"},
    {kExitUsage, "a wrong request (every parse and validation error, an output that is an input or that exists "
                 "without -y, a clip file that cannot be used)"},
    {kExitCancelled, "cancelled (the dialog dismissed, an overwrite declined at the question)"},
    {kExitSignalBase, "stopped by SIGHUP, SIGINT, SIGTERM: the unfinished file removed, or play's stream ended cleanly",
     "129, 130, 143"},
};

/// check answers for the file it checks; a wrong request is still kExitUsage.
inline constexpr int kCheckPass = 0;
inline constexpr int kCheckFail = 1;
inline constexpr int kCheckUnreadable = 2;

inline constexpr ExitStatusRow kCheckExitStatuses[] = {
    {kCheckPass, "it matches"},
    {kCheckFail, "it does not"},
    {kCheckUnreadable, "it cannot be read (or a wrong request, as above)"},
};

/// "0 done; 1 failed while working (...); ...": the rows as one sentence.
[[nodiscard]] std::string ExitStatusSentence(std::span<const ExitStatusRow> rows);
/// Both tables for the help's footer, wrapped to the help's width.
[[nodiscard]] std::string ExitStatusHelp();

} // namespace btcli
