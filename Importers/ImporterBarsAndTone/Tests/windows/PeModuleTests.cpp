// The Windows module as a host's loader sees it: a reproducible x64 DLL that
// exports the two entry points, imports only system libraries and carries its
// resources under the expected types, names and languages.

#include "bthost/PeImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <map>
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
