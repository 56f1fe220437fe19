#pragma once
// The command line as each command sees it. A command is a row: its name, a
// one-line summary, and a function that declares its flags through Flags,
// bound to options of its own, and returns what checks and runs it once the
// line is read. The program walks a table of these rows (Main.cpp); the help,
// the manual page and the shell completion are all made from what the rows
// declared.
//
// Rationale: the parser (CLI11) stays behind this header, in CommandLine.cpp
// and CommandLineDocs.cpp. A file that includes it takes 6 to 10 s to compile
// on the 2-core build machine (three times that while other builds run), a
// command's file 1 to 2 s; in all eight command files it would add about a
// minute to every clean build, and the command files are the ones that change.

#include "FlagRules.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace CLI {
class App;
class Option;
} // namespace CLI

namespace btcli {

struct CommonOptions;
class CommandLine;

/// A declared flag: what it takes and how it relates to the others; once the
/// line is read, whether it was given.
class Flag {
public:
    Flag& Required();
    /// The help shows the value the flag starts with.
    Flag& ShowDefault();
    Flag& Check(const FlagRule& rule);
    /// Takes only these values, which the help lists and completion offers.
    Flag& OneOf(const std::vector<std::string>& values);
    /// Completion offers these; the command judges the value itself (a dialog
    /// item may be named loosely, say).
    Flag& Offers(std::vector<std::string> values);
    /// Takes a file name, which completion offers.
    Flag& File();
    /// Takes the name of a file that exists.
    Flag& ExistingFile();
    Flag& Excludes(const Flag& other);
    Flag& Needs(const Flag& other);
    Flag& FromEnvironment(const std::string& variable);
    /// Left out of the help, the manual page and the completion.
    Flag& Hidden();

    [[nodiscard]] bool Given() const;
    /// As the user writes it: "--seq-size".
    [[nodiscard]] std::string Name() const;

private:
    friend class Flags;
    Flag(CLI::Option* option, CommandLine& line) : mOption(option), mLine(&line) {}

    CLI::Option* mOption;
    CommandLine* mLine;
};

/// Where a command (or the program) declares its flags. Each flag is bound to
/// a value that must outlive the parse; a flag without a value on the line
/// leaves it as it was.
class Flags {
public:
    Flag Option(const std::string& names, std::string& value, const std::string& help);
    Flag Option(const std::string& names, double& value, const std::string& help);
    Flag Option(const std::string& names, int& value, const std::string& help);
    Flag Option(const std::string& names, std::uint32_t& value, const std::string& help);
    Flag Option(const std::string& names, std::optional<double>& value, const std::string& help);
    Flag Option(const std::string& names, std::optional<std::int64_t>& value, const std::string& help);
    Flag Option(const std::string& names, std::vector<std::string>& values, const std::string& help);
    Flag Switch(const std::string& names, bool& value, const std::string& help);
    Flag Switch(const std::string& names, std::function<void()> given, const std::string& help);
    /// Flags shown under a title of their own in the help.
    [[nodiscard]] Flags Group(const std::string& title, const std::string& description);
    /// Text after the flags in the command's help.
    void Footer(const std::string& text);

private:
    friend class CommandLine;
    Flags(CLI::App& app, CommandLine& line) : mApp(&app), mLine(&line) {}
    template <class Value>
    Flag Add(const std::string& names, Value& value, const std::string& help);

    CLI::App* mApp;
    CommandLine* mLine;
};

/// What a command does once its flags are read: the checks that concern more
/// than one flag, then the work. Returns the exit status; failures throw (see
/// Commands.h).
using CommandRun = std::function<int(const CommonOptions& common)>;

struct Command {
    const char* name;
    std::string summary; ///< one line, for the program's list of commands
    /// Declares the command's flags, bound to options the returned run owns.
    CommandRun (*declare)(Flags& flags);
};

/// The program's command line: its own flags, then one command of a table.
class CommandLine {
public:
    /// `description`: its first line says what the program is.
    CommandLine(const std::string& name, const std::string& description, const std::string& version);
    ~CommandLine();
    CommandLine(const CommandLine&) = delete;
    CommandLine& operator=(const CommandLine&) = delete;

    /// The program's own flags, taken before or after a command's name.
    [[nodiscard]] Flags Program();
    void Add(const Command& command);

    /// Reads the arguments. An exit status when reading ends the run: 0 after
    /// printing the help or the version, 2 after telling what was wrong.
    [[nodiscard]] std::optional<int> Read(int argc, char** argv);
    /// The run of the command the line named; null when it named none.
    [[nodiscard]] const CommandRun* Chosen() const;

    /// A section 1 manual page in roff: every command with its flags and their
    /// help, and the exit statuses (ExitStatus.h). (CommandLineDocs.cpp)
    [[nodiscard]] std::string ManualPage() const;
    /// A bash completion script: the commands, each command's flags, the
    /// values of a flag that takes one of a list, file names where a file is
    /// asked for. (CommandLineDocs.cpp)
    [[nodiscard]] std::string BashCompletion() const;

    struct Parts;

private:
    friend class Flag;
    std::unique_ptr<Parts> mParts;
};

} // namespace btcli
