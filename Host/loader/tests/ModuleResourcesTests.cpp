#include "bthost/ModuleResources.h"

#include "TinyPeImage.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace fs = std::filesystem;

namespace {

/// Tells apart runs of the same test at once (from other build folders).
long long Stamp() { return std::chrono::steady_clock::now().time_since_epoch().count(); }

/// A folder of its own for one test, removed with everything in it.
class Folder {
public:
    Folder()
        : mPath(fs::temp_directory_path() /
                ("bthost-resources-" + std::to_string(Stamp()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name()))
    {
        fs::remove_all(mPath);
        fs::create_directories(mPath);
    }
    ~Folder() { fs::remove_all(mPath); }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    [[nodiscard]] const fs::path& Path() const noexcept { return mPath; }

    void Write(const fs::path& relative, const std::string& bytes) const
    {
        fs::create_directories((mPath / relative).parent_path());
        std::ofstream(mPath / relative, std::ios::binary) << bytes;
    }

private:
    fs::path mPath;
};

std::string Text(const bthost::ModuleResource& resource) { return {resource.bytes.begin(), resource.bytes.end()}; }

} // namespace

TEST(ModuleResources, SideFolderFilesAreListedByTypeThenNameWhateverTheirOrderOnDisk)
{
    const Folder folder;
    folder.Write("LYRA/B", "second");
    folder.Write("24/1", "manifest");
    folder.Write("LYRA/A", "first");
    folder.Write("README", "not a type: a file at the top is passed over");
    folder.Write("LYRA/NESTED/C", "not a resource: a folder inside a type is passed over");

    const auto resources = bthost::ModuleResources::FromSideFolder(folder.Path().string());
    ASSERT_EQ(resources.All().size(), 3u);
    EXPECT_EQ(resources.All()[0].type, "24");
    EXPECT_EQ(resources.All()[1].name, "A");
    EXPECT_EQ(resources.All()[2].name, "B");
    EXPECT_EQ(resources.Types(), (std::vector<std::string>{"24", "LYRA"}));
    EXPECT_EQ(resources.Names("LYRA"), (std::vector<std::string>{"A", "B"}));
    EXPECT_TRUE(resources.Names("PIPL").empty());
    ASSERT_NE(resources.Find("LYRA", "B"), nullptr);
    EXPECT_EQ(Text(*resources.Find("LYRA", "B")), "second");
    EXPECT_EQ(resources.Find("LYRA", "B")->language, std::nullopt);
    EXPECT_EQ(resources.Find("LYRA", "C"), nullptr);
    EXPECT_EQ(resources.Find("24", "A"), nullptr);
}

TEST(ModuleResources, LoadReadsAWindowsModuleItselfAndAnyOtherFromItsSideFolder)
{
    const Folder folder;
    const auto image = tinype::Image();
    folder.Write("Tiny.cvm", std::string(image.begin(), image.end()));
    folder.Write("Tiny.cvm.resources/LYRA/5", "side"); // a Windows module's own resources win
    const auto windows = bthost::ModuleResources::Load((folder.Path() / "Tiny.cvm").string());
    ASSERT_NE(windows.Find("LYRA", "5"), nullptr);
    EXPECT_EQ(Text(*windows.Find("LYRA", "5")), "abc");

    folder.Write("Other.cvm", "\x7F" "ELF");
    folder.Write("Other.cvm.resources/LYRA/5", "side");
    const auto other = bthost::ModuleResources::Load((folder.Path() / "Other.cvm").string());
    ASSERT_NE(other.Find("LYRA", "5"), nullptr);
    EXPECT_EQ(Text(*other.Find("LYRA", "5")), "side");
}

TEST(ModuleResources, AModuleWithoutResourcesIsRefusedByName)
{
    const Folder folder;
    folder.Write("Bare.cvm", "\x7F" "ELF");
    try {
        (void)bthost::ModuleResources::Load((folder.Path() / "Bare.cvm").string());
        ADD_FAILURE() << "a module without resources read";
    } catch (const std::runtime_error& refusal) {
        EXPECT_NE(std::string(refusal.what()).find("Bare.cvm.resources"), std::string::npos) << refusal.what();
    }
    folder.Write("Cut.cvm", "MZ");
    EXPECT_THROW((void)bthost::ModuleResources::Load((folder.Path() / "Cut.cvm").string()), std::runtime_error);
}
