#include "bthost/ModuleResources.h"
#include "bthost/PeImage.h"

#include "barsandtone/PackedBytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

using namespace bt::packed;

namespace {

// A minimal PE32+ image laid out by hand: headers, one section at RVA 0x1000
// (file offset 0x200) holding a resource tree with type "LYRA" (a name),
// name 5 (an id), language 1033 and the three bytes "abc", an export
// directory naming "Go" and an import directory naming "KERNEL32.dll".
std::vector<std::uint8_t> TinyImage()
{
    std::vector<std::uint8_t> b(0x400, 0);
    b[0] = 'M';
    b[1] = 'Z';
    StoreU32(b.data(), 0x3C, 0x40);
    StoreU32(b.data(), 0x40, 0x00004550);       // "PE\0\0"
    StoreU16(b.data(), 0x44, 0x8664);           // machine
    StoreU16(b.data(), 0x46, 1);                // sections
    StoreU32(b.data(), 0x48, 0x12345678);       // time stamp
    StoreU16(b.data(), 0x54, 240);              // optional header size
    StoreU16(b.data(), 0x56, 0x2022);           // DLL, executable, large addresses
    const std::size_t opt = 0x58;
    StoreU16(b.data(), opt, 0x20B);
    Store<std::uint64_t>(b.data(), opt + 24, 0x180000000ull);
    StoreU32(b.data(), opt + 108, 16);          // data directories
    StoreU32(b.data(), opt + 112 + 0, 0x1100);  // export
    StoreU32(b.data(), opt + 112 + 4, 0x40);
    StoreU32(b.data(), opt + 112 + 8, 0x1180);  // import
    StoreU32(b.data(), opt + 112 + 12, 0x28);
    StoreU32(b.data(), opt + 112 + 16, 0x1000); // resource
    StoreU32(b.data(), opt + 112 + 20, 0x100);
    const std::size_t section = opt + 240;
    std::memcpy(b.data() + section, ".rsrc", 5);
    StoreU32(b.data(), section + 8, 0x200);     // virtual size
    StoreU32(b.data(), section + 12, 0x1000);   // virtual address
    StoreU32(b.data(), section + 16, 0x200);    // raw size
    StoreU32(b.data(), section + 20, 0x200);    // raw offset

    const std::size_t r = 0x200; // RVA 0x1000
    auto directory = [&](std::size_t at, std::uint16_t named, std::uint16_t ids) {
        StoreU16(b.data(), at + 12, named);
        StoreU16(b.data(), at + 14, ids);
    };
    directory(r + 0x00, 1, 0);
    StoreU32(b.data(), r + 0x10, 0x80000000u | 0x60);  // type: name at +0x60
    StoreU32(b.data(), r + 0x14, 0x80000000u | 0x18);  // -> name directory
    directory(r + 0x18, 0, 1);
    StoreU32(b.data(), r + 0x28, 5);
    StoreU32(b.data(), r + 0x2C, 0x80000000u | 0x30);  // -> language directory
    directory(r + 0x30, 0, 1);
    StoreU32(b.data(), r + 0x40, 1033);
    StoreU32(b.data(), r + 0x44, 0x48);                // -> data entry
    StoreU32(b.data(), r + 0x48, 0x1070);              // data RVA
    StoreU32(b.data(), r + 0x4C, 3);
    StoreU16(b.data(), r + 0x60, 4);                   // "LYRA" in UTF-16
    for (int i = 0; i < 4; ++i)
        StoreU16(b.data(), r + 0x62 + 2 * static_cast<std::size_t>(i), static_cast<std::uint16_t>("LYRA"[i]));
    std::memcpy(b.data() + r + 0x70, "abc", 3);

    const std::size_t e = r + 0x100; // export directory, RVA 0x1100
    StoreU32(b.data(), e + 12, 0x1140);                // library name
    StoreU32(b.data(), e + 24, 1);                     // names
    StoreU32(b.data(), e + 32, 0x1130);                // name table
    StoreU32(b.data(), r + 0x130, 0x1150);
    std::memcpy(b.data() + r + 0x140, "Tiny.cvm", 8);
    std::memcpy(b.data() + r + 0x150, "Go", 2);
    StoreU32(b.data(), r + 0x180 + 12, 0x11C0);        // import descriptor: name; then an all-zero one
    std::memcpy(b.data() + r + 0x1C0, "KERNEL32.dll", 12);
    return b;
}

} // namespace

TEST(PeImage, ReadsHeadersExportsImportsAndTheResourceTree)
{
    const bthost::PeImage image(TinyImage());
    EXPECT_EQ(image.Machine(), 0x8664);
    EXPECT_EQ(image.OptionalHeaderMagic(), 0x20B);
    EXPECT_EQ(image.TimeDateStamp(), 0x12345678u);
    EXPECT_EQ(image.ImageBase(), 0x180000000ull);
    EXPECT_EQ(image.ExportNames(), std::vector<std::string>{"Go"});
    EXPECT_EQ(image.ExportLibraryName(), "Tiny.cvm");
    EXPECT_EQ(image.ImportedLibraries(), std::vector<std::string>{"KERNEL32.dll"});

    const auto resources = image.Resources();
    ASSERT_EQ(resources.size(), 1u);
    EXPECT_EQ(resources[0].type, "LYRA");
    EXPECT_EQ(resources[0].name, "5");
    EXPECT_EQ(resources[0].language, 1033);
    EXPECT_EQ(resources[0].bytes, (std::vector<std::uint8_t>{'a', 'b', 'c'}));

    const auto module = bthost::ModuleResources::FromPeImage(TinyImage());
    ASSERT_NE(module.Find("LYRA", "5"), nullptr);
    EXPECT_EQ(module.Find("LYRA", "5")->language, std::optional<std::uint16_t>(1033));
}

TEST(PeImage, CutOrCorruptImagesThrowInsteadOfReadingPastTheEnd)
{
    const auto whole = TinyImage();
    for (std::size_t size = 0; size < 0x280; size += 3) {
        const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
        try {
            const bthost::PeImage image(cut);
            (void)image.Resources();
            (void)image.ExportNames();
            (void)image.ImportedLibraries();
            ADD_FAILURE() << "a cut at " << size << " read as whole";
        } catch (const std::runtime_error&) {
        }
    }
    auto looping = TinyImage();
    StoreU32(looping.data(), 0x200 + 0x44, 0x80000000u | 0x00); // the language level points back at the root
    EXPECT_THROW((void)bthost::PeImage(looping).Resources(), std::runtime_error);
    auto farData = TinyImage();
    StoreU32(farData.data(), 0x200 + 0x4C, 0x7FFFFFFF);
    EXPECT_THROW((void)bthost::PeImage(farData).Resources(), std::runtime_error);
}
