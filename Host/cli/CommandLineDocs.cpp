// The program's documentation made from its own command line, so that the
// manual page and the shell completion never drift from what it accepts.
// The build runs the program for both (hidden --help-man, --help-completion).

#include "CommandLine.h"
#include "CommandLineParts.h"
#include "ExitStatus.h"

#include <algorithm>
#include <map>
#include <sstream>

namespace btcli {

namespace {

/// Text safe in roff: backslashes escaped, a line never starting a request.
std::string Roff(const std::string& text)
{
    std::string out;
    bool lineStart = true;
    for (char c : text) {
        if (lineStart && (c == '.' || c == '\''))
            out += "\\&";
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
        lineStart = c == '\n';
    }
    return out;
}

/// The option groups of a command ("Sequence", "Dialog").
std::vector<const CLI::App*> GroupsOf(const CLI::App& app)
{
    return app.get_subcommands([](const CLI::App* a) { return a->get_name().empty(); });
}

/// A command's own options, shown ones only; a group's help flag is its command's.
std::vector<const CLI::Option*> OwnOptionsOf(const CLI::App& app)
{
    const bool group = app.get_name().empty();
    return app.get_options([&](const CLI::Option* o) {
        return !o->get_group().empty() && !(group && o == app.get_help_ptr());
    });
}

/// The options of a command, those of its option groups included, in order.
std::vector<const CLI::Option*> OptionsOf(const CLI::App& app)
{
    std::vector<const CLI::Option*> all = OwnOptionsOf(app);
    for (const CLI::App* group : GroupsOf(app)) {
        const auto more = OptionsOf(*group);
        all.insert(all.end(), more.begin(), more.end());
    }
    return all;
}

std::vector<const CLI::App*> CommandsOf(const CLI::App& app)
{
    return app.get_subcommands([](const CLI::App* a) { return !a->get_name().empty(); });
}

void RoffOptions(std::ostringstream& out, const CLI::App& app)
{
    for (const CLI::Option* o : OwnOptionsOf(app)) {
        std::string names;
        if (o->nonpositional()) {
            for (const std::string& s : o->get_snames())
                names += (names.empty() ? "" : ", ") + std::string("\\fB\\-") + Roff(s) + "\\fR";
            for (const std::string& l : o->get_lnames())
                names += (names.empty() ? "" : ", ") + std::string("\\fB\\-\\-") + Roff(l) + "\\fR";
        } else {
            names = "\\fI" + Roff(o->get_name(true)) + "\\fR";
        }
        if (o->get_items_expected_max() > 0 && o->nonpositional())
            names += " \\fI" + Roff(o->get_type_name().substr(0, o->get_type_name().find(':'))) +
                     "\\fR";
        out << ".TP\n" << names << "\n" << Roff(o->get_description()) << "\n";
    }
    for (const CLI::App* group : GroupsOf(app)) {
        out << ".PP\n\\fI" << Roff(group->get_group()) << "\\fR: " << Roff(group->get_description()) << "\n";
        RoffOptions(out, *group);
    }
}

} // namespace


namespace {

void RoffExitStatuses(std::ostringstream& out, std::span<const ExitStatusRow> rows)
{
    for (const ExitStatusRow& row : rows)
        out << ".TP\n" << (row.codes ? std::string(row.codes) : std::to_string(row.code)) << "\n"
            << Roff(row.meaning) << "\n";
}

/// A word of the script as it is written, in single quotes.
std::string Quoted(const std::string& text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

/// An option's names as typed: "-o", "--output".
std::vector<std::string> NamesOf(const CLI::Option& o)
{
    std::vector<std::string> names;
    for (const std::string& s : o.get_snames())
        names.push_back("-" + s);
    for (const std::string& l : o.get_lnames())
        names.push_back("--" + l);
    return names;
}

std::string Joined(const std::vector<std::string>& words, const std::string& between)
{
    std::string out;
    for (const std::string& w : words)
        out += (out.empty() ? "" : between) + w;
    return out;
}

} // namespace

std::string CommandLine::ManualPage() const
{
    const CLI::App& app = mParts->app;
    const std::string name = app.get_name();
    std::string upper = name;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::string description = app.get_description();
    const std::size_t firstLine = description.find('\n');
    std::string summary = description.substr(0, firstLine);
    if (summary.rfind(name + ": ", 0) == 0)
        summary = summary.substr(name.size() + 2);
    if (!summary.empty() && summary.back() == '.')
        summary.pop_back();

    std::ostringstream out;
    out << ".TH " << upper << " 1 \"\" \"" << Roff(name) << "\" \"User Commands\"\n"
        << ".SH NAME\n" << Roff(name) << " \\- " << Roff(summary) << "\n"
        << ".SH SYNOPSIS\n.B " << Roff(name) << "\n[\\fIOPTIONS\\fR] [\\fICOMMAND\\fR [\\fICOMMAND OPTIONS\\fR]]\n"
        << ".SH DESCRIPTION\n" << Roff(description.substr(firstLine == std::string::npos ? 0 : firstLine + 1))
        << "\n.PP\nEvery command takes the options of the program as well, before or after its name.\n"
        << ".SH OPTIONS\n";
    RoffOptions(out, app);
    out << ".SH COMMANDS\n";
    for (const CLI::App* command : CommandsOf(app)) {
        out << ".SS " << Roff(command->get_name()) << "\n" << Roff(command->get_description()) << "\n";
        RoffOptions(out, *command);
    }
    out << ".SH EXIT STATUS\nThe same for every command:\n";
    RoffExitStatuses(out, kExitStatuses);
    out << ".PP\n\\fBcheck\\fR answers for the file it checks:\n";
    RoffExitStatuses(out, kCheckExitStatuses);
    return out.str();
}

std::string CommandLine::BashCompletion() const
{
    const CLI::App& app = mParts->app;
    const std::string name = app.get_name();
    const std::string function = "_" + name;
    const std::vector<const CLI::App*> commands = CommandsOf(app);

    // What to offer for the value of each flag that takes one, as bash case
    // patterns "command:flag" gathered by answer; the program's flags come
    // before or after any command.
    std::vector<std::pair<std::string, std::vector<std::string>>> answers;
    const auto valuesOf = [&](const std::string& scope, const CLI::App& a) {
        for (const CLI::Option* o : OptionsOf(a)) {
            if (!o->nonpositional() || o->get_items_expected_max() == 0)
                continue;
            std::string answer = "COMPREPLY=()";
            if (const auto found = mParts->values.find(o); found != mParts->values.end()) {
                if (!found->second.offered.empty()) {
                    std::vector<std::string> quoted;
                    for (const std::string& value : found->second.offered)
                        quoted.push_back(Quoted(value));
                    answer = function + "_values " + Joined(quoted, " ");
                } else if (found->second.files) {
                    answer = "COMPREPLY=($(compgen -f -- \"$cur\"))";
                }
            }
            auto at = std::find_if(answers.begin(), answers.end(), [&](const auto& known) { return known.first == answer; });
            if (at == answers.end())
                at = answers.insert(answers.end(), {answer, {}});
            for (const std::string& flag : NamesOf(*o))
                at->second.push_back(scope + ":" + flag);
        }
    };
    valuesOf("*", app);
    for (const CLI::App* command : commands)
        valuesOf(command->get_name(), *command);

    // Each flag once: a command's list leaves out the program's (--help among them).
    std::vector<std::string> programWords;
    for (const CLI::Option* o : OptionsOf(app))
        for (const std::string& flag : NamesOf(*o))
            programWords.push_back(flag);
    std::string commandNames; // "new|describe|...", a case pattern
    std::string commandList;  // "new describe ...", words to offer
    std::string withFiles;    // the commands that take a file name without a flag
    std::ostringstream wordsOfCommands;
    for (const CLI::App* command : commands) {
        std::vector<std::string> words;
        for (const CLI::Option* o : OptionsOf(*command))
            for (const std::string& flag : NamesOf(*o))
                if (std::find(programWords.begin(), programWords.end(), flag) == programWords.end() &&
                    std::find(words.begin(), words.end(), flag) == words.end())
                    words.push_back(flag);
        wordsOfCommands << "        " << command->get_name() << ") options+=' " << Joined(words, " ") << "' ;;\n";
        commandNames += (commandNames.empty() ? "" : "|") + command->get_name();
        commandList += (commandList.empty() ? "" : " ") + command->get_name();
        if (!command->get_options([](const CLI::Option* o) { return o->get_positional(); }).empty())
            withFiles += (withFiles.empty() ? "" : "|") + command->get_name();
    }

    std::ostringstream out;
    out << "# bash completion for " << name << ", made from its command line\n"
        << function << "_values()\n{\n"
        << "    # One value a line, so that a value may hold spaces; the word is matched\n"
        << "    # as typed, without its quoting.\n"
        << "    local IFS=$'\\n' word=${cur//\\\\/}\n"
        << "    word=${word#[\\\"\\']}\n"
        << "    COMPREPLY=($(compgen -W \"$*\" -- \"$word\"))\n"
        << "}\n"
        << function << "()\n{\n"
        << "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} command= i\n"
        << "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
        << "        case ${COMP_WORDS[i]} in " << commandNames << ") command=${COMP_WORDS[i]}; break ;; esac\n"
        << "    done\n"
        << "    case $command:$prev in\n";
    for (const auto& [answer, patterns] : answers)
        out << "        " << Joined(patterns, "|") << ") " << answer << "; return ;;\n";
    out << "    esac\n"
        << "    local options=' " << Joined(programWords, " ") << "'\n"
        << "    case $command in\n"
        << wordsOfCommands.str() << "    esac\n"
        << "    if [[ $cur == -* ]]; then\n"
        << "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
        << "    elif [[ -z $command ]]; then\n"
        << "        COMPREPLY=($(compgen -W \"" << commandList
        << "\" -- \"$cur\"))\n"
        << "    else\n"
        << "        case $command in " << (withFiles.empty() ? "''" : withFiles)
        << ") COMPREPLY=($(compgen -f -- \"$cur\")) ;; *) COMPREPLY=() ;; esac\n"
        << "    fi\n"
        << "}\n"
        << "complete -o filenames -F " << function << " " << name << "\n";
    return out.str();
}

} // namespace btcli
