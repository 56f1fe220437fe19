#include "FileProbe.h"
#include "TestFolder.h"
#include "btmedia/PngWriter.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

namespace {

using PngWriter = btmedia::test::FolderTest;

std::vector<std::string> ChunkTypes(const std::vector<btmedia::probe::PngChunk>& chunks)
{
    std::vector<std::string> types;
    for (const auto& chunk : chunks)
        types.push_back(chunk.type);
    return types;
}

} // namespace

TEST_F(PngWriter, WritesCicpBeforeThePictureData)
{
    std::vector<std::uint16_t> rgb(4 * 2 * 3, 0x1234);
    btmedia::OutputFile output(Path("cicp.png"), {});
    btmedia::WritePngRgb16(output, 4, 2, rgb, btmedia::Cicp{9, 16, 0, 1});
    const auto chunks = btmedia::probe::ReadPngChunks(Path("cicp.png"));
    ASSERT_EQ(ChunkTypes(chunks), (std::vector<std::string>{"IHDR", "cICP", "IDAT", "IEND"}));
    EXPECT_EQ(chunks[1].data, (std::vector<std::uint8_t>{9, 16, 0, 1}));
}

TEST_F(PngWriter, RefusesMismatchedDataAndLeavesNoFileOnFailure)
{
    {
        btmedia::OutputFile output(Path("bad.png"), {});
        EXPECT_THROW(btmedia::WritePngRgb8(output, 4, 2, std::vector<std::uint8_t>(5)), std::invalid_argument);
    }
    if (access("/dev/full", W_OK) == 0) {
        btmedia::OutputFile full("/dev/full", {});
        EXPECT_THROW(btmedia::WritePngRgb8(full, 1, 1, std::vector<std::uint8_t>(3)), btmedia::WriteFailed);
    }
    EXPECT_EQ(FilesLeft(), 0u);
}
