// What is written about the program holds for the program: the README's
// examples run as a reader pastes them, its exit statuses are the program's,
// and the shell completion offers what each flag takes.

#include "CliFixture.h"
#include "ExitStatus.h"

#include <filesystem>
#include <fstream>
#include <regex>
#include <span>
#include <sstream>

using btcli::test::Cli;
using btcli::test::RunCommand;
using btcli::test::RunTool;

namespace {

std::string Readme() { return btmedia::test::ReadFile(std::string(BT_SOURCE_DIR) + "/README.md"); }

/// Text as a person reads it: no Markdown marks, one space between words.
std::string Plain(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '`' || c == '*')
            continue;
        const bool space = c == ' ' || c == '\n';
        if (space && (out.empty() || out.back() == ' '))
            continue;
        out += space ? ' ' : c;
    }
    return out;
}

struct Example {
    int line;         ///< in the README, for messages
    std::string text; ///< continuation lines joined
    int exitCode;     ///< what its comment says ("# exit code 3"), else 0
};

/// The command lines of the README's shell blocks, in order.
std::vector<Example> ExamplesOf(const std::string& readme)
{
    std::vector<Example> examples;
    std::istringstream lines(readme);
    bool inShell = false;
    std::string pending;
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        if (line.starts_with("```")) {
            inShell = !inShell && line == "```sh";
            continue;
        }
        if (!inShell)
            continue;
        if (!pending.empty())
            line = pending + " " + line.substr(line.find_first_not_of(' '));
        pending.clear();
        if (line.ends_with("\\")) {
            pending = line.substr(0, line.size() - 1);
            continue;
        }
        if (!line.starts_with("barsandtone "))
            continue; // comments, and the build's own commands (make, cmake)
        std::smatch said;
        const bool exitSaid = std::regex_search(line, said, std::regex("# exit code ([0-9]+)"));
        examples.push_back({number, line, exitSaid ? std::stoi(said[1]) : 0});
    }
    return examples;
}

} // namespace

TEST_F(Cli, TheReadmeExamplesRunInOrderInAFreshFolder)
{
    // The README's own words, through a shell: `barsandtone` is this build's,
    // and the player is a stand-in that takes what it is given.
    const std::filesystem::path bin = mDir / "bin";
    const std::filesystem::path work = mDir / "work";
    std::filesystem::create_directories(bin);
    std::filesystem::create_directories(work);
    std::filesystem::create_symlink(BT_CLI_PATH, bin / "barsandtone");
    std::ofstream(bin / "ffplay") << "#!/bin/sh\nexec cat >/dev/null\n";
    std::filesystem::permissions(bin / "ffplay", std::filesystem::perms::owner_all);

    std::size_t ran = 0;
    for (const Example& example : ExamplesOf(Readme())) {
        // A person at a terminal; interactive_new_test.py plays that one.
        if (example.text.find("--interactive") != std::string::npos)
            continue;
        const auto o = RunCommand({"bash", "-c",
                                   "set -o pipefail; cd '" + work.string() + "' && PATH='" + bin.string() +
                                       "':$PATH; " + example.text});
        EXPECT_EQ(o.exitCode, example.exitCode) << "README line " << example.line << ": " << example.text << "\n"
                                                << o.err;
        ++ran;
    }
    EXPECT_GE(ran, 30u) << "the README's examples were not found";
}

TEST_F(Cli, TheReadmeAndTheHelpSayTheExitStatusesOfTheTable)
{
    const std::string readme = Readme();
    const std::size_t start = readme.find("**Exit status**");
    ASSERT_NE(start, std::string::npos);
    const std::string paragraph = Plain(readme.substr(start, readme.find("\n\n", start) - start));
    const std::string help = Plain(RunTool({"--help"}).out);
    for (const auto rows : {std::span<const btcli::ExitStatusRow>(btcli::kExitStatuses),
                            std::span<const btcli::ExitStatusRow>(btcli::kCheckExitStatuses)}) {
        const std::string said = btcli::ExitStatusSentence(rows);
        EXPECT_NE(paragraph.find(said), std::string::npos) << "the README says:\n" << paragraph << "\nnot:\n" << said;
        EXPECT_NE(help.find(said), std::string::npos) << help;
    }
}

TEST_F(Cli, CompletionOffersWhatEachFlagTakes)
{
    std::ofstream(Path("completion.bash")) << RunTool({"--help-completion"}).out;
    std::ofstream(Path("clip.json")) << "{}";
    // The words after the program's name; the last is the one being completed.
    const auto complete = [&](const std::string& words) {
        const std::string script = "cd '" + mDir.string() + "' && source completion.bash && COMP_WORDS=(barsandtone " +
                                   words + ") && COMP_CWORD=$((${#COMP_WORDS[@]} - 1)) && _barsandtone && "
                                   "printf '%s|' \"${COMPREPLY[@]}\"";
        const auto o = RunCommand({"bash", "-c", script});
        EXPECT_EQ(o.exitCode, 0) << o.err;
        return o.out;
    };
    EXPECT_EQ(complete("export --profile ''"), "proxy|lt|422|hq|4444|4444xq|hqx|dnxhd|xdcam|avci100|h264|hevc|");
    EXPECT_EQ(complete("frame -f ''"), "png|tiff|dpx|");
    EXPECT_EQ(complete("-q export --format n"), "nut|null|");
    EXPECT_EQ(complete("export --pcm 3"), "32f|");
    EXPECT_EQ(complete("new --identifier e"), "ebu1000|ebu400|ebu51|");
    EXPECT_EQ(complete("tone --colour-space h"), "hlg|");
    // Names with spaces, from a word a person has begun to quote.
    EXPECT_EQ(complete("new --preset '\"UHD R'"), "UHD Rec.709|UHD Rec.2100 HLG|UHD Rec.2100 PQ|");
    // A number is no file name; a clip is.
    EXPECT_EQ(complete("tone --duration ''"), "|");
    EXPECT_NE(complete("describe ''").find("clip.json|"), std::string::npos);
    EXPECT_EQ(complete("new --he"), "--help|");
}
