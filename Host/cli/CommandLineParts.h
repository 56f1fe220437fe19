#pragma once
// The parser's side of CommandLine, shared by the two files that include the
// parser (CommandLine.cpp, CommandLineDocs.cpp) and by no other.

#include "CommandLine.h"

#include <CLI/CLI.hpp>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace btcli {

struct CommandLine::Parts {
    explicit Parts(const std::string& description, const std::string& name) : app(description, name) {}

    /// What completion offers for a flag's value; neither: nothing.
    struct Values {
        std::vector<std::string> offered;
        bool files = false;
    };

    CLI::App app;
    std::map<const CLI::Option*, Values> values;
    std::vector<std::pair<CLI::App*, CommandRun>> commands;
};

} // namespace btcli
