#pragma once
// The program's documentation made from its own command line, so that the
// manual page and the shell completion never drift from what it accepts.
// The build runs the program for both (hidden --help-man, --help-completion).

#include <string>

namespace CLI {
class App;
}

namespace btcli {

/// A section 1 manual page in roff: every command with its options and their
/// help texts, and `exitStatus` as its own section.
[[nodiscard]] std::string ManualPage(const CLI::App& app, const std::string& exitStatus);

/// A bash completion script: commands, each command's options, the choices of
/// options that take one of a list, file names elsewhere.
[[nodiscard]] std::string BashCompletion(const CLI::App& app);

} // namespace btcli
