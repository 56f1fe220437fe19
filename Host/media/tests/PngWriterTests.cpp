#include "FileProbe.h"
#include "btmedia/PngWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

std::vector<std::string> ChunkTypes(const std::vector<btmedia::probe::PngChunk>& chunks)
{
    std::vector<std::string> types;
    for (const auto& chunk : chunks)
        types.push_back(chunk.type);
    return types;
}

} // namespace

TEST(PngWriter, WritesCicpBeforeThePictureData)
{
    const auto path = (std::filesystem::temp_directory_path() / "bt_png_cicp.png").string();
    std::vector<std::uint16_t> rgb(4 * 2 * 3, 0x1234);
    btmedia::WritePngRgb16(path, 4, 2, rgb, btmedia::Cicp{9, 16, 0, 1});
    const auto chunks = btmedia::probe::ReadPngChunks(path);
    ASSERT_EQ(ChunkTypes(chunks), (std::vector<std::string>{"IHDR", "cICP", "IDAT", "IEND"}));
    EXPECT_EQ(chunks[1].data, (std::vector<std::uint8_t>{9, 16, 0, 1}));
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
