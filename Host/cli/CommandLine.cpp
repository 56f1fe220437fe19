#include "CommandLine.h"

#include "CommandLineParts.h"
#include "ExitStatus.h"

#include <algorithm>
#include <string>
#include <vector>

namespace btcli {

Flag& Flag::Required()
{
    mOption->required();
    return *this;
}

Flag& Flag::ShowDefault()
{
    mOption->capture_default_str();
    return *this;
}

Flag& Flag::Check(const FlagRule& rule)
{
    mOption->check(CLI::Validator([check = rule.check](std::string& text) { return check(text); }, rule.unit));
    return *this;
}

Flag& Flag::OneOf(const std::vector<std::string>& values)
{
    mOption->check(CLI::IsMember(values));
    mLine->mParts->values[mOption].offered = values;
    return *this;
}

Flag& Flag::Offers(std::vector<std::string> values)
{
    mLine->mParts->values[mOption].offered = std::move(values);
    return *this;
}

Flag& Flag::File()
{
    mLine->mParts->values[mOption].files = true;
    return *this;
}

Flag& Flag::ExistingFile()
{
    mOption->check(CLI::ExistingFile);
    return File();
}

Flag& Flag::Excludes(const Flag& other)
{
    mOption->excludes(other.mOption);
    return *this;
}

Flag& Flag::Needs(const Flag& other)
{
    mOption->needs(other.mOption);
    return *this;
}

Flag& Flag::FromEnvironment(const std::string& variable)
{
    mOption->envname(variable);
    return *this;
}

Flag& Flag::Hidden()
{
    mOption->group("");
    return *this;
}

bool Flag::Given() const { return mOption->count() > 0; }

std::string Flag::Name() const { return mOption->get_name(); }

template <class Value>
Flag Flags::Add(const std::string& names, Value& value, const std::string& help)
{
    return Flag(mApp->add_option(names, value, help), *mLine);
}

Flag Flags::Option(const std::string& names, std::string& value, const std::string& help)
{
    return Add(names, value, help);
}
Flag Flags::Option(const std::string& names, double& value, const std::string& help) { return Add(names, value, help); }
Flag Flags::Option(const std::string& names, int& value, const std::string& help) { return Add(names, value, help); }
Flag Flags::Option(const std::string& names, std::uint32_t& value, const std::string& help)
{
    return Add(names, value, help);
}
Flag Flags::Option(const std::string& names, std::optional<double>& value, const std::string& help)
{
    return Add(names, value, help);
}
Flag Flags::Option(const std::string& names, std::optional<std::int64_t>& value, const std::string& help)
{
    return Add(names, value, help);
}
Flag Flags::Option(const std::string& names, std::vector<std::string>& values, const std::string& help)
{
    return Add(names, values, help);
}

Flag Flags::Switch(const std::string& names, bool& value, const std::string& help)
{
    return Flag(mApp->add_flag(names, value, help), *mLine);
}

Flag Flags::Switch(const std::string& names, std::function<void()> given, const std::string& help)
{
    return Flag(mApp->add_flag_callback(names, std::move(given), help), *mLine);
}

Flags Flags::Group(const std::string& title, const std::string& description)
{
    return Flags(*mApp->add_option_group(title, description), *mLine);
}

void Flags::Footer(const std::string& text) { mApp->footer(text); }

CommandLine::CommandLine(const std::string& name, const std::string& description, const std::string& version)
    : mParts(std::make_unique<Parts>(description, name))
{
    CLI::App& app = mParts->app;
    app.get_formatter()->column_width(34);
    app.footer(ExitStatusHelp());
    // The program's own flags (-q, -y, ...) are taken after a command's name too.
    app.fallthrough();
    app.set_version_flag("--version", name + " " + version);
    CLI::App* program = &app;
    app.failure_message([name, program](const CLI::App*, const CLI::Error& e) {
        std::string said = e.what();
        // A word left over before any command is most often a mistyped command.
        const std::vector<std::string> left = program->remaining();
        const auto word = std::find_if(left.begin(), left.end(), [](const std::string& w) { return w.rfind('-', 0) != 0; });
        if (dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr && program->get_subcommands().empty() &&
            word != left.end()) {
            said = "'" + *word + "' is not a command; the commands are";
            for (const CLI::App* command : program->get_subcommands([](CLI::App*) { return true; }))
                said += " " + command->get_name();
        }
        return name + ": " + said + "\nRun with --help for more information.\n";
    });
    app.require_subcommand(0, 1);
}

CommandLine::~CommandLine() = default;

Flags CommandLine::Program() { return Flags(mParts->app, *this); }

void CommandLine::Add(const Command& command)
{
    CLI::App* sub = mParts->app.add_subcommand(command.name, command.summary);
    Flags flags(*sub, *this);
    mParts->commands.emplace_back(sub, command.declare(flags));
}

std::optional<int> CommandLine::Read(int argc, char** argv)
{
    try {
        mParts->app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // --help and --version end here with 0; every other parse error is a
        // wrong request, whatever number the parser gives it.
        return mParts->app.exit(e) == 0 ? kExitDone : kExitUsage;
    }
    return std::nullopt;
}

const CommandRun* CommandLine::Chosen() const
{
    for (const auto& [sub, run] : mParts->commands)
        if (sub->parsed())
            return &run;
    return nullptr;
}

} // namespace btcli
