// The Windows module as a host's loader sees it: a reproducible x64 DLL that
// exports the two entry points, imports only system libraries and carries its
// resources under the expected types, names and languages.

#include "bthost/PeImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

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
    // Which resources there are is the resource tests' business; here only
    // that the version record and the manifest are US English, the rest neutral.
    ASSERT_FALSE(Module().Resources().empty());
    for (const auto& r : Module().Resources())
        EXPECT_EQ(r.language, r.type == "16" || r.type == "24" ? 1033 : 0) << r.type << "/" << r.name;
}
