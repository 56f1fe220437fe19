#pragma once
// Test helper: a fixture that gives each test a fresh folder of its own,
// named after the test and removed after it, so a test can count what a
// writer left behind; and what a file holds.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace btmedia::test {

class FolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        // The process id keeps builds that run the same test at once apart.
        mDir = std::filesystem::temp_directory_path() / ("bt-" + std::string(info->test_suite_name()) + "-" +
                                                         info->name() + "-" + std::to_string(getpid()));
        std::filesystem::remove_all(mDir);
        std::filesystem::create_directories(mDir);
    }
    void TearDown() override { std::filesystem::remove_all(mDir); }

    [[nodiscard]] std::string Path(const std::string& name) const { return (mDir / name).string(); }
    [[nodiscard]] std::size_t FilesLeft() const
    {
        return static_cast<std::size_t>(
            std::distance(std::filesystem::directory_iterator(mDir), std::filesystem::directory_iterator()));
    }

    std::filesystem::path mDir;
};

/// All a file holds (or all a FIFO gives until its writer closes it).
inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

} // namespace btmedia::test
