// What the program does to the files it is given, as a user meets it: it
// never writes over its input or an existing file unasked, writes streams in
// place, and leaves nothing behind when stopped or failing.

#include "CliFixture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

using btcli::test::RunOptions;
using btcli::test::RunTool;

namespace {

using btmedia::test::ReadFile;

class Outputs : public btcli::test::Cli {
protected:
    /// Waits (up to a minute) until the folder holds an unfinished file.
    bool UnfinishedFileAppears()
    {
        for (int i = 0; i < 6000; ++i) {
            for (const auto& entry : std::filesystem::directory_iterator(mDir))
                if (entry.path().string().ends_with(".partial") && entry.file_size() > 0)
                    return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
};

TEST_F(Outputs, TheInputIsNeverWrittenHoweverItIsNamed)
{
    const std::string clip = New("hd.json", {"--seq-size", "320x180"});
    const std::string before = ReadFile(clip);
    std::filesystem::create_directory(Path("sub"));
    std::filesystem::create_symlink(clip, Path("link.json"));
    const std::vector<std::vector<std::string>> attempts = {
        {"frame", clip, "-o", clip, "-f", "png"},
        {"tone", clip, "-o", Path("sub/../hd.json"), "-f", "wav", "-y"},
        {"export", clip, "-o", Path("link.json"), "-f", "prores", "-y"},
        {"frame", Path("link.json"), "-o", Path("sub/../hd.json"), "-f", "dpx", "-y"},
    };
    for (const auto& args : attempts) {
        const auto o = RunTool(args);
        EXPECT_EQ(o.exitCode, 2) << args[0];
        EXPECT_NE(o.err.find("is the input"), std::string::npos) << o.err;
    }
    EXPECT_EQ(ReadFile(clip), before);
    EXPECT_EQ(FilesLeft(), 3u);
}

TEST_F(Outputs, AnExistingFileIsReplacedOnlyWhenTheUserSaysSo)
{
    const std::string clip = New("hd.json", {"--seq-size", "320x180"});
    const std::string picture = Path("p.png");
    std::ofstream(picture) << "mine";

    // -n: refused, kept (refusing without a terminal to ask at is the output layer's).
    auto o = RunTool({"frame", clip, "-o", picture, "-n"});
    EXPECT_EQ(o.exitCode, 2);
    EXPECT_NE(o.err.find("already exists"), std::string::npos) << o.err;

    // On a terminal the user is asked; no keeps the file (cancelled), yes replaces it.
    RunOptions answer;
    answer.terminal = true;
    answer.input = "n\n";
    o = RunTool({"frame", clip, "-o", picture}, answer);
    EXPECT_EQ(o.exitCode, 3) << o.out;
    EXPECT_NE(o.out.find("File '" + picture + "' already exists. Overwrite? [y/N]"), std::string::npos) << o.out;
    EXPECT_EQ(ReadFile(picture), "mine");
    answer.input = "y\n";
    o = RunTool({"frame", clip, "-o", picture}, answer);
    EXPECT_EQ(o.exitCode, 0) << o.out;
    EXPECT_EQ(ReadFile(picture).substr(1, 3), "PNG");

    // -y, given after the command as well as before it.
    std::ofstream(picture) << "mine";
    o = RunTool({"frame", clip, "-o", picture, "-y"});
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(ReadFile(picture).substr(1, 3), "PNG");
    EXPECT_EQ(FilesLeft(), 2u);
}

TEST_F(Outputs, StreamsAreWrittenInPlace)
{
    const std::string clip = New("hd.json", {});
    // An AIFF must go back to its start when done, which a pipe cannot.
    ASSERT_EQ(mkfifo(Path("pipe.aiff").c_str(), 0600), 0);
    const auto aiff = RunTool({"tone", clip, "-o", Path("pipe.aiff")});
    EXPECT_EQ(aiff.exitCode, 2);
    EXPECT_NE(aiff.err.find("cannot be written to"), std::string::npos) << aiff.err;

    // "-" is standard output, not a file of that name; the report goes to standard error.
    const auto out = RunTool({"tone", clip, "-o", "-", "--duration", "0.5"});
    EXPECT_EQ(out.exitCode, 0) << out.err;
    EXPECT_EQ(out.out.substr(0, 4), "fLaC");
    EXPECT_NE(out.err.find("wrote -"), std::string::npos) << out.err;
    EXPECT_FALSE(std::filesystem::exists(Path("-")));
}

TEST_F(Outputs, AFullDiskOrAFileSizeLimitSaysSoAndLeavesNothing)
{
    const std::string clip = New("hd.json", {"--seq-size", "320x180"});
    if (access("/dev/full", W_OK) == 0) {
        const auto o = RunTool({"tone", clip, "-o", "/dev/full", "-f", "wav"});
        EXPECT_EQ(o.exitCode, 1);
        EXPECT_NE(o.err.find("disk full while writing '/dev/full'"), std::string::npos) << o.err;
        struct stat st {};
        ASSERT_EQ(stat("/dev/full", &st), 0);
        EXPECT_TRUE(S_ISCHR(st.st_mode));
    }
    RunOptions small;
    small.fileSizeLimit = 64 * 1024;
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"tone", clip, "-o", Path("big.wav"), "--duration", "10"},
          std::vector<std::string>{"frame", clip, "-o", Path("big.dpx")}}) {
        const auto o = RunTool(args, small);
        EXPECT_EQ(o.exitCode, 1) << args[0];
        EXPECT_NE(o.err.find("file size limit reached while writing"), std::string::npos) << o.err;
    }
    EXPECT_EQ(FilesLeft(), 1u);
}

TEST_F(Outputs, AStopSignalRemovesTheUnfinishedFile)
{
    const std::string clip = New("hd.json", {"--seq-size", "320x180", "--seq-rate", "25"});
    struct Case {
        std::vector<std::string> args;
        int signal;
        int exitCode;
    } cases[] = {
        {{"export", clip, "-o", Path("long.mkv"), "--duration", "3600", "--no-progress"}, SIGTERM, 143},
        {{"tone", clip, "-o", Path("long.wav"), "--duration", "36000"}, SIGINT, 130},
        {{"tone", clip, "-o", Path("long.flac"), "--duration", "36000"}, SIGHUP, 129},
    };
    for (const Case& c : cases) {
        btcli::test::RunningTool running(c.args);
        ASSERT_TRUE(UnfinishedFileAppears()) << c.args[0];
        running.Signal(c.signal);
        const auto o = running.Wait();
        EXPECT_EQ(o.exitCode, c.exitCode) << o.err;
        EXPECT_NE(o.err.find("removed the unfinished '" + c.args[3] + "'"), std::string::npos) << o.err;
        EXPECT_EQ(FilesLeft(), 1u) << c.args[0];
    }

    // A second signal does not wait for the work to unwind; the file still goes.
    btcli::test::RunningTool running({"tone", clip, "-o", Path("again.wav"), "--duration", "36000"});
    ASSERT_TRUE(UnfinishedFileAppears());
    running.Signal(SIGINT);
    running.Signal(SIGTERM);
    const auto o = running.Wait();
    EXPECT_TRUE(o.exitCode == 130 || o.exitCode == 128 + SIGTERM) << o.exitCode;
    EXPECT_EQ(FilesLeft(), 1u);
}

} // namespace
