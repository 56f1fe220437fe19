#pragma once
// Test helper: runs the barsandtone program as a user would and collects
// its exit code and output: from a shell, on a terminal, under a file-size
// limit, or left running to be sent a signal.

#include <string>
#include <vector>

#include <sys/types.h>

namespace btcli::test {

struct Outcome {
    int exitCode = -1; ///< 128 + the signal when a signal ended it
    std::string out;
    std::string err;
};

struct RunOptions {
    std::string input;             ///< what the program reads on standard input (else /dev/null)
    bool terminal = false;         ///< standard input, output and error on one pseudo-terminal; all in `out`
    long long fileSizeLimit = -1;  ///< bytes, the limit a shell's ulimit -f sets; -1 for none
};

/// Runs the program with these arguments (no shell), waits for it.
Outcome RunTool(const std::vector<std::string>& args, const RunOptions& options = {});

/// Runs another program found on PATH (args[0]) the same way.
Outcome RunCommand(const std::vector<std::string>& args);

/// The program started and left running, to be sent signals.
class RunningTool {
public:
    explicit RunningTool(const std::vector<std::string>& args);
    ~RunningTool(); ///< kills the program if it still runs
    RunningTool(const RunningTool&) = delete;
    RunningTool& operator=(const RunningTool&) = delete;

    void Signal(int signal) const;
    Outcome Wait();

private:
    pid_t mPid = -1;
    std::string mOutPath;
    std::string mErrPath;
};

} // namespace btcli::test
