// The Windows module as a host's loader sees it: a reproducible x64 DLL that
// exports the two entry points, imports only system libraries and carries its
// resources under the expected types, names and languages.

#include "bthost/PeImage.h"

#include "barsandtone/PackedBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

using bt::packed::LoadU16;
using bt::packed::LoadU32;

namespace {

const bthost::PeImage& Module()
{
    static const bthost::PeImage image = [] {
        std::ifstream in(BT_MODULE_PATH, std::ios::binary);
        return bthost::PeImage(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    }();
    return image;
}

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// A version record node: 16-bit total length, value length, type (1 = text),
// a zero-terminated UTF-16 key, then the value and the children, each on a
// 4-byte boundary.
struct VersionNode {
    std::string key;
    std::string text;                 ///< type 1 values
    std::vector<std::uint8_t> binary; ///< type 0 values
    std::vector<VersionNode> children;
};

std::size_t Align4(std::size_t n) { return (n + 3) & ~std::size_t{3}; }

std::string Utf16Until(const std::vector<std::uint8_t>& b, std::size_t& at, std::size_t end)
{
    std::string s;
    for (; at + 1 < end; at += 2) {
        const std::uint16_t unit = LoadU16(b.data(), at);
        if (unit == 0) {
            at += 2;
            break;
        }
        s += static_cast<char>(unit < 0x80 ? unit : '?');
    }
    return s;
}

VersionNode ParseVersionNode(const std::vector<std::uint8_t>& b, std::size_t start)
{
    VersionNode node;
    if (start + 6 > b.size()) {
        ADD_FAILURE() << "version node past the end";
        return node;
    }
    const std::size_t end = std::min(b.size(), start + LoadU16(b.data(), start));
    const std::size_t valueLength = LoadU16(b.data(), start + 2);
    const bool isText = LoadU16(b.data(), start + 4) == 1;
    std::size_t at = start + 6;
    node.key = Utf16Until(b, at, end);
    at = Align4(at);
    const std::size_t valueBytes = isText ? 2 * valueLength : valueLength;
    if (isText) {
        std::size_t textAt = at;
        node.text = Utf16Until(b, textAt, std::min(end, at + valueBytes));
    } else {
        node.binary.assign(b.begin() + static_cast<std::ptrdiff_t>(at),
                           b.begin() + static_cast<std::ptrdiff_t>(std::min(end, at + valueBytes)));
    }
    at = Align4(at + valueBytes);
    while (at + 6 <= end) {
        node.children.push_back(ParseVersionNode(b, at));
        const std::size_t length = LoadU16(b.data(), at);
        if (length == 0)
            break;
        at = Align4(at + length);
    }
    return node;
}

} // namespace

TEST(PeModule, IsAReproducibleX64Dll)
{
    EXPECT_EQ(Module().Machine(), 0x8664);            // x64
    EXPECT_EQ(Module().OptionalHeaderMagic(), 0x20B); // PE32+
    EXPECT_NE(Module().Characteristics() & 0x2000, 0); // a DLL
    EXPECT_EQ(Module().TimeDateStamp(), 0u);
    EXPECT_EQ(Module().ImageBase(), 0x180000000ull);
}

TEST(PeModule, ExportsExactlyTheTwoEntryPoints)
{
    EXPECT_EQ(Module().ExportNames(), (std::vector<std::string>{"PluginDataEntryFunction", "xImportEntry"}));
    EXPECT_EQ(Module().ExportLibraryName(), "ImporterBarsAndTone.cvm");
}

TEST(PeModule, ImportsOnlySystemLibraries)
{
    const std::set<std::string> system{"kernel32.dll", "msvcrt.dll", "user32.dll", "gdi32.dll", "advapi32.dll",
                                       "ntdll.dll", "ucrtbase.dll"};
    const auto imported = Module().ImportedLibraries();
    EXPECT_FALSE(imported.empty());
    for (const auto& library : imported)
        EXPECT_TRUE(system.contains(Lower(library)) || Lower(library).starts_with("api-ms-win-")) << library;
}

TEST(PeModule, ResourcesCarryTheirLanguages)
{
    std::map<std::string, std::uint16_t> languages;
    for (const auto& r : Module().Resources())
        languages[r.type + "/" + r.name] = r.language;
    EXPECT_EQ(languages, (std::map<std::string, std::uint16_t>{
                             {"PIPL/16000", 0},
                             {"IMPT/1000", 0},
                             {"TYPE/1000", 0},
                             {"LYRA/BARSANDTONESETTINGSWITHIDENTIFIERSDIALOG", 0},
                             {"LYRA/BARSANDTONESETTINGSWITHIDENTIFIERSDIALOG.ORIN", 0},
                             {"16/1", 1033},
                             {"24/2", 1033},
                         }));
}

TEST(PeModule, VersionRecordNamesTheModule)
{
    const bthost::PeResourceEntry* version = nullptr;
    const auto resources = Module().Resources();
    for (const auto& r : resources)
        if (r.type == "16" && r.name == "1")
            version = &r;
    ASSERT_NE(version, nullptr);

    const VersionNode root = ParseVersionNode(version->bytes, 0);
    EXPECT_EQ(root.key, "VS_VERSION_INFO");
    ASSERT_GE(root.binary.size(), 52u);
    EXPECT_EQ(LoadU32(root.binary.data(), 0), 0xFEEF04BDu); // fixed file information signature

    std::map<std::string, std::string> strings;
    std::string table;
    for (const auto& block : root.children) {
        if (block.key != "StringFileInfo")
            continue;
        for (const auto& language : block.children) {
            table = language.key;
            for (const auto& value : language.children)
                strings[value.key] = value.text;
        }
    }
    EXPECT_EQ(Lower(table), "040904b0"); // US English, Unicode
    EXPECT_EQ(strings["InternalName"], "ImporterBarsAndTone");
    EXPECT_EQ(strings["OriginalFilename"], "ImporterBarsAndTone.cvm");
    EXPECT_FALSE(strings["CompanyName"].empty());
    EXPECT_FALSE(strings["FileDescription"].empty());
}
