#include "btmedia/PngWriter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// The chunk types of a PNG file in order, read with no PNG library.
std::vector<std::string> ChunkTypes(const std::string& path, std::vector<std::uint8_t>* cicp)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> d((std::istreambuf_iterator<char>(in)), {});
    std::vector<std::string> types;
    for (std::size_t at = 8; at + 12 <= d.size();) {
        const std::size_t length = std::size_t{d[at]} << 24 | std::size_t{d[at + 1]} << 16 | std::size_t{d[at + 2]} << 8 | d[at + 3];
        const std::string type(d.begin() + static_cast<long>(at) + 4, d.begin() + static_cast<long>(at) + 8);
        if (type == "cICP" && cicp)
            cicp->assign(d.begin() + static_cast<long>(at) + 8, d.begin() + static_cast<long>(at + 8 + length));
        types.push_back(type);
        at += 12 + length;
    }
    return types;
}

} // namespace

TEST(PngWriter, WritesCicpBeforeThePictureData)
{
    const auto path = (std::filesystem::temp_directory_path() / "bt_png_cicp.png").string();
    std::vector<std::uint16_t> rgb(4 * 2 * 3, 0x1234);
    btmedia::WritePngRgb16(path, 4, 2, rgb, btmedia::Cicp{9, 16, 0, 1});
    std::vector<std::uint8_t> cicp;
    EXPECT_EQ(ChunkTypes(path, &cicp), (std::vector<std::string>{"IHDR", "cICP", "IDAT", "IEND"}));
    EXPECT_EQ(cicp, (std::vector<std::uint8_t>{9, 16, 0, 1}));
    std::filesystem::remove(path);
}

TEST(PngWriter, RefusesMismatchedDataAndLeavesNoFileOnFailure)
{
    const auto path = (std::filesystem::temp_directory_path() / "bt_png_bad.png").string();
    std::vector<std::uint8_t> rgb(5);
    EXPECT_THROW(btmedia::WritePngRgb8(path, 4, 2, rgb), std::runtime_error);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_THROW(btmedia::WritePngRgb8("/nonexistent-dir/x.png", 1, 1, std::vector<std::uint8_t>(3)), std::runtime_error);
}
