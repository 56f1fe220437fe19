#include "TestFolder.h"
#include "btmedia/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace {

using btmedia::OutputFile;
using btmedia::OutputRefused;
using btmedia::Overwrite;

class Output : public btmedia::test::FolderTest {
protected:
    void Put(const std::string& name, const std::string& text) { std::ofstream(Path(name)) << text; }
    std::string Get(const std::string& name) { return btmedia::test::ReadFile(Path(name)); }
};

void Write(const OutputFile& out, const std::string& text)
{
    ASSERT_EQ(write(out.Descriptor(), text.data(), text.size()), static_cast<ssize_t>(text.size()));
}

/// Standard input from /dev/null for the scope: no person to ask.
class NoTerminal {
public:
    NoTerminal() : mSaved(dup(STDIN_FILENO))
    {
        const int null = open("/dev/null", O_RDONLY);
        dup2(null, STDIN_FILENO);
        close(null);
    }
    ~NoTerminal()
    {
        dup2(mSaved, STDIN_FILENO);
        close(mSaved);
    }
    NoTerminal(const NoTerminal&) = delete;
    NoTerminal& operator=(const NoTerminal&) = delete;

private:
    int mSaved;
};

TEST_F(Output, AnInputIsRefusedHoweverItIsNamed)
{
    Put("clip.json", "clip");
    std::filesystem::create_directory(Path("sub"));
    std::filesystem::create_symlink(Path("clip.json"), Path("link.json"));
    std::filesystem::create_hard_link(Path("clip.json"), Path("hard.json"));
    const btmedia::OutputRules rules{Overwrite::Always, {Path("clip.json")}};
    for (const char* name : {"clip.json", "sub/../clip.json", "link.json", "hard.json"}) {
        try {
            OutputFile out(Path(name), rules);
            ADD_FAILURE() << name << " was taken as an output";
        } catch (const OutputRefused& e) {
            EXPECT_FALSE(e.Declined());
            EXPECT_NE(std::string(e.what()).find("is the input"), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(Get("clip.json"), "clip");
    EXPECT_EQ(FilesLeft(), 4u);
}

TEST_F(Output, AnExistingFileIsReplacedOnlyWithLeaveAndKeepsItsMode)
{
    Put("a.png", "old");
    chmod(Path("a.png").c_str(), 0640);
    {
        NoTerminal noTerminal;
        for (Overwrite rule : {Overwrite::Never, Overwrite::Ask}) {
            try {
                OutputFile out(Path("a.png"), {rule, {}});
                ADD_FAILURE() << "replaced without leave";
            } catch (const OutputRefused& e) {
                EXPECT_FALSE(e.Declined());
                EXPECT_NE(std::string(e.what()).find(rule == Overwrite::Ask ? "-y" : "-n"), std::string::npos)
                    << e.what();
            }
        }
    }
    EXPECT_EQ(Get("a.png"), "old");

    OutputFile out(Path("a.png"), {Overwrite::Always, {}});
    EXPECT_FALSE(out.IsStream());
    Write(out, "new");
    EXPECT_EQ(Get("a.png"), "old"); // until it is complete
    out.Commit();
    EXPECT_EQ(Get("a.png"), "new");
    struct stat st {};
    ASSERT_EQ(stat(Path("a.png").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(FilesLeft(), 1u);
}

TEST_F(Output, AnUnfinishedOutputLeavesNothingAndTheOldFileAsItWas)
{
    {
        OutputFile out(Path("new.wav"), {});
        Write(out, "half");
        EXPECT_EQ(FilesLeft(), 1u); // the temporary file beside it
    }
    EXPECT_EQ(FilesLeft(), 0u);
    Put("old.wav", "old");
    {
        OutputFile out(Path("old.wav"), {Overwrite::Always, {}});
        Write(out, "half");
    }
    EXPECT_EQ(Get("old.wav"), "old");
    EXPECT_EQ(FilesLeft(), 1u);
}

TEST_F(Output, ASymbolicLinkIsFollowedAndStaysALink)
{
    std::filesystem::create_directory(Path("real"));
    Put("real/take.wav", "old");
    std::filesystem::create_symlink("real/take.wav", Path("link.wav"));   // relative, through a folder
    std::filesystem::create_symlink(Path("real/new.wav"), Path("dangling.wav")); // to a file yet to be made
    for (const char* name : {"link.wav", "dangling.wav"}) {
        OutputFile out(Path(name), {Overwrite::Always, {}});
        Write(out, name);
        out.Commit();
        EXPECT_TRUE(std::filesystem::is_symlink(Path(name)));
    }
    EXPECT_EQ(Get("real/take.wav"), "link.wav");
    EXPECT_EQ(Get("real/new.wav"), "dangling.wav");
}

TEST_F(Output, AFifoIsWrittenInPlaceAndCannotSeek)
{
    ASSERT_EQ(mkfifo(Path("pipe").c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = Get("pipe"); });
    {
        OutputFile out(Path("pipe"), {}); // no question: a FIFO is not replaced
        EXPECT_TRUE(out.IsStream());
        EXPECT_FALSE(out.Seekable());
        EXPECT_EQ(out.FfmpegUrl(), "pipe:" + std::to_string(out.Descriptor()));
        EXPECT_THROW(out.RequireSeekable("WAV"), OutputRefused);
        Write(out, "through the pipe");
        out.Commit();
    }
    reader.join();
    EXPECT_EQ(received, "through the pipe");
    struct stat st {};
    ASSERT_EQ(lstat(Path("pipe").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

} // namespace
