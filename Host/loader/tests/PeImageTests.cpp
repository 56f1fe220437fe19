#include "bthost/PeImage.h"

#include "TinyPeImage.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace bt::packed;
using tinype::Kind;

namespace {

/// Reads everything the image offers, as `barsandtone inspect` does.
void ReadAll(const std::vector<std::uint8_t>& bytes)
{
    const bthost::PeImage image(bytes);
    (void)image.Resources();
    (void)image.ExportNames();
    (void)image.ExportLibraryName();
    (void)image.ImportedLibraries();
}

} // namespace

TEST(PeImage, ReadsHeadersExportsImportsAndTheResourceTree)
{
    const bthost::PeImage image(tinype::Image());
    EXPECT_EQ(image.Machine(), 0x8664);
    EXPECT_EQ(image.OptionalHeaderMagic(), 0x20B);
    EXPECT_EQ(image.TimeDateStamp(), 0x12345678u);
    EXPECT_EQ(image.Characteristics(), 0x2022);
    EXPECT_EQ(image.ImageBase(), 0x180000000ull);
    EXPECT_EQ(image.ExportNames(), std::vector<std::string>{"Go"});
    EXPECT_EQ(image.ExportLibraryName(), "Tiny.cvm");
    EXPECT_EQ(image.ImportedLibraries(), std::vector<std::string>{"KERNEL32.dll"});

    const auto resources = image.Resources();
    ASSERT_EQ(resources.size(), 1u);
    EXPECT_EQ(resources[0].type, "LYRA");
    EXPECT_EQ(resources[0].name, "5");
    EXPECT_EQ(resources[0].language, 1033);
    EXPECT_EQ(resources[0].codePage, 1252u);
    EXPECT_EQ(resources[0].bytes, (std::vector<std::uint8_t>{'a', 'b', 'c'}));
}

TEST(PeImage, ThirtyTwoBitImagesKeepTheirBaseAndDirectoriesElsewhere)
{
    const bthost::PeImage image(tinype::Image(Kind::Pe32));
    EXPECT_EQ(image.OptionalHeaderMagic(), 0x10B);
    EXPECT_EQ(image.ImageBase(), 0x10000000ull);
    EXPECT_EQ(image.ExportNames(), std::vector<std::string>{"Go"});
    EXPECT_EQ(image.ImportedLibraries(), std::vector<std::string>{"KERNEL32.dll"});
    EXPECT_EQ(image.Resources().size(), 1u);
}

TEST(PeImage, CutOrCorruptImagesThrowInsteadOfReadingPastTheEnd)
{
    const auto whole = tinype::Image();
    EXPECT_NO_THROW(ReadAll({whole.begin(), whole.begin() + tinype::kLastByteRead}));
    for (std::size_t size = 0; size < tinype::kLastByteRead; ++size) {
        const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_THROW(ReadAll(cut), std::runtime_error) << "a cut at " << size << " read as whole";
    }
    auto looping = tinype::Image();
    StoreU32(looping.data(), 0x200 + 0x44, 0x80000000u | 0x00); // the language level points back at the root
    EXPECT_THROW((void)bthost::PeImage(looping).Resources(), std::runtime_error);
    auto farData = tinype::Image();
    StoreU32(farData.data(), 0x200 + 0x4C, 0x7FFFFFFF);
    EXPECT_THROW((void)bthost::PeImage(farData).Resources(), std::runtime_error);
}

TEST(PeImage, HeadersThatLieAreRefused)
{
    const std::size_t opt = tinype::kOptionalHeader;
    auto expectRefused = [](const std::vector<std::uint8_t>& image, const char* what) {
        EXPECT_THROW(ReadAll(image), std::runtime_error) << what;
    };
    auto image = tinype::Image();
    StoreU32(image.data(), 0x3C, 0xFFFFFFF0u);
    expectRefused(image, "a PE header offset past the end");
    image = tinype::Image();
    StoreU32(image.data(), 0x40, 0x00004551);
    expectRefused(image, "no PE signature");
    image = tinype::Image();
    StoreU16(image.data(), opt, 0x107);
    expectRefused(image, "an optional header of an unknown kind");
    image = tinype::Image();
    StoreU32(image.data(), opt + 108, 17);
    expectRefused(image, "more data directories than there are");
    image = tinype::Image();
    StoreU16(image.data(), 0x54, 112 + 8 * 15);
    expectRefused(image, "16 data directories in an optional header with room for 15");
    image = tinype::Image();
    StoreU16(image.data(), 0x46, 0xFFFF);
    expectRefused(image, "section headers past the end");
    image = tinype::Image();
    StoreU32(image.data(), opt + 240 + 16, 0x10000); // raw size
    StoreU32(image.data(), tinype::kSection + 0x48, 0x1300);
    expectRefused(image, "resource data beyond the file, inside a section that says it is there");
}

TEST(PeImage, TablesAndTreesThatLieAreRefused)
{
    const std::size_t r = tinype::kSection;
    auto image = tinype::Image();
    StoreU32(image.data(), r + 0x14, 0x18); // the name level marked as data
    EXPECT_THROW((void)bthost::PeImage(image).Resources(), std::runtime_error) << "a tree too shallow";
    image = tinype::Image();
    StoreU32(image.data(), tinype::DirectoryAt(Kind::Pe32Plus, 2) + 4, 0x40);
    EXPECT_THROW((void)bthost::PeImage(image).Resources(), std::runtime_error) << "entries past the tree's size";
    image = tinype::Image();
    StoreU16(image.data(), r + 0x60, 0x7FFF);
    EXPECT_THROW((void)bthost::PeImage(image).Resources(), std::runtime_error) << "a name longer than the tree";
    image = tinype::Image();
    StoreU16(image.data(), r + 0x12, 0xFFFF);
    EXPECT_THROW((void)bthost::PeImage(image).Resources(), std::runtime_error) << "65535 entries in a small tree";

    image = tinype::Image();
    StoreU32(image.data(), r + 0x100 + 24, 0xFFFFFFFFu);
    EXPECT_THROW((void)bthost::PeImage(image).ExportNames(), std::runtime_error) << "more names than the table";
    image = tinype::Image();
    std::fill(image.begin() + r + 0x150, image.end(), 'G');
    EXPECT_THROW((void)bthost::PeImage(image).ExportNames(), std::runtime_error) << "a name without its end";
    image = tinype::Image();
    StoreU32(image.data(), tinype::DirectoryAt(Kind::Pe32Plus, 1), 0x11EC); // the last 20 bytes of the section
    StoreU32(image.data(), r + 0x1EC + 12, 0x11C0);
    EXPECT_THROW((void)bthost::PeImage(image).ImportedLibraries(), std::runtime_error)
        << "imports without their closing descriptor";
}

TEST(PeImage, NamesOutsideAsciiReadAsQuestionMarks)
{
    auto image = tinype::Image();
    StoreU16(image.data(), tinype::kSection + 0x62, 0x00C9); // "ÉYRA"
    EXPECT_EQ(bthost::PeImage(image).Resources().at(0).type, "?YRA");
    EXPECT_TRUE(bthost::PeImage::LooksLikePe({'M', 'Z'}));
    EXPECT_FALSE(bthost::PeImage::LooksLikePe({'M'}));
    EXPECT_FALSE(bthost::PeImage::LooksLikePe({0x7F, 'E', 'L', 'F'}));
}
