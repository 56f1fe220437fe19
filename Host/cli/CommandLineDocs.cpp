#include "CommandLineDocs.h"

#include <CLI/CLI.hpp>

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

/// The choices in a type name such as "TEXT:{steady,identify}"; none when it has none.
std::vector<std::string> ChoicesOf(const CLI::Option& option)
{
    const std::string type = option.get_type_name();
    const std::size_t open = type.find('{');
    const std::size_t close = type.find('}', open);
    std::vector<std::string> choices;
    if (open == std::string::npos || close == std::string::npos)
        return choices;
    std::istringstream list(type.substr(open + 1, close - open - 1));
    for (std::string choice; std::getline(list, choice, ',');)
        choices.push_back(choice);
    return choices;
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

std::string ManualPage(const CLI::App& app, const std::string& exitStatus)
{
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
    out << ".SH EXIT STATUS\n" << Roff(exitStatus.substr(exitStatus.find(':') + 2)) << "\n";
    return out.str();
}

std::string BashCompletion(const CLI::App& app)
{
    const std::string name = app.get_name();
    std::string function = "_" + name;
    std::ostringstream out;
    auto words = [](const CLI::App& a) {
        std::string list;
        for (const CLI::Option* o : OptionsOf(a)) {
            for (const std::string& s : o->get_snames())
                list += " -" + s;
            for (const std::string& l : o->get_lnames())
                list += " --" + l;
        }
        return list;
    };
    std::string commands;
    for (const CLI::App* command : CommandsOf(app))
        commands += (commands.empty() ? "" : " ") + command->get_name();
    std::string choices;
    std::vector<std::string> seen;
    for (const CLI::App* a : [&] {
             auto all = CommandsOf(app);
             all.insert(all.begin(), &app);
             return all;
         }()) {
        for (const CLI::Option* o : OptionsOf(*a)) {
            const auto list = ChoicesOf(*o);
            if (list.empty() || o->get_lnames().empty())
                continue;
            const std::string flag = "--" + o->get_lnames().front();
            if (std::find(seen.begin(), seen.end(), flag) != seen.end())
                continue;
            seen.push_back(flag);
            std::string joined;
            for (const std::string& c : list)
                joined += (joined.empty() ? "" : " ") + c;
            choices += "        " + flag + ") COMPREPLY=($(compgen -W \"" + joined + "\" -- \"$cur\")); return ;;\n";
        }
    }
    out << "# bash completion for " << name << ", made from its command line\n"
        << function << "()\n{\n"
        << "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} command= i\n"
        << "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
        << "        case ${COMP_WORDS[i]} in " << [&] {
               std::string alternatives;
               for (const CLI::App* command : CommandsOf(app))
                   alternatives += (alternatives.empty() ? "" : "|") + command->get_name();
               return alternatives;
           }()
        << ") command=${COMP_WORDS[i]}; break ;; esac\n"
        << "    done\n"
        << "    case $prev in\n" << choices << "    esac\n"
        << "    local options='" << words(app) << "'\n"
        << "    case $command in\n";
    for (const CLI::App* command : CommandsOf(app))
        out << "        " << command->get_name() << ") options+='" << words(*command) << "' ;;\n";
    out << "    esac\n"
        << "    if [[ $cur == -* ]]; then\n"
        << "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
        << "    elif [[ -z $command ]]; then\n"
        << "        COMPREPLY=($(compgen -W \"" << commands << "\" -- \"$cur\") $(compgen -f -- \"$cur\"))\n"
        << "    else\n"
        << "        COMPREPLY=($(compgen -f -- \"$cur\"))\n"
        << "    fi\n"
        << "}\n"
        << "complete -o filenames -F " << function << " " << name << "\n";
    return out.str();
}

} // namespace btcli
