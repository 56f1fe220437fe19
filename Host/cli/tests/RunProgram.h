#pragma once
// Test helper: runs the barsandtone program as a user would and collects
// its exit code and output.

#include <string>
#include <vector>

namespace btcli::test {

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

/// Runs the program with these arguments (no shell), waits for it.
Outcome RunTool(const std::vector<std::string>& args);

} // namespace btcli::test
