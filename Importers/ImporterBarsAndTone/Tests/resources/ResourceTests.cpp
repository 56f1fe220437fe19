// The module's description resources as a host reads them without running the
// module: from side files on Linux, from the PE resource section on Windows.

#include "../dialog/LayoutText.h"
#include "ExpectedResources.h"
#include "VersionRecordReader.h"

#include "barsandtone/PackedBytes.h"
#include "bthost/ModuleResources.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

const bthost::ModuleResources& Resources()
{
    static const bthost::ModuleResources resources = bthost::ModuleResources::Load(BT_MODULE_PATH);
    return resources;
}

std::vector<std::uint8_t> BytesOf(const std::string& type, const std::string& name)
{
    const auto* r = Resources().Find(type, name);
    if (r == nullptr) {
        ADD_FAILURE() << "no resource " << type << " " << name;
        return {};
    }
    return r->bytes;
}

std::string TextOf(const std::string& name)
{
    const auto bytes = BytesOf("LYRA", name);
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

TEST(ModuleResources, PropertyListIsTheDocumentedListByteForByte)
{
    const auto bytes = BytesOf("PIPL", "16000");
    ASSERT_EQ(expected::PropertyList().size(), 290u); // the expectation itself, checked against the documented total
    EXPECT_EQ(bytes, expected::PropertyList());
}

TEST(ModuleResources, TypeRecordsDeclareAnImporterOfBars)
{
    EXPECT_EQ(BytesOf("IMPT", "1000"), expected::ImporterTypeRecord());
    EXPECT_EQ(BytesOf("TYPE", "1000"), expected::PluginTypeRecord());
}

TEST(ModuleResources, VersionRecordNamesTheModule)
{
    using bt::packed::LoadU32;
    const auto bytes = BytesOf("16", "1");
    const expected::VersionNode root = expected::ParseVersionNode(bytes, 0);
    EXPECT_EQ(root.key, "VS_VERSION_INFO");
    EXPECT_EQ(bt::packed::LoadU16(bytes.data(), 0), bytes.size()); // the record is exactly its root node
    ASSERT_EQ(root.binary.size(), 52u);
    // Fixed file information: its signature, file version 1.0.0.0, for
    // Windows NT with the 32-bit interface, a dynamic library.
    const std::uint8_t* fixed = root.binary.data();
    EXPECT_EQ((std::array{LoadU32(fixed, 0), LoadU32(fixed, 8), LoadU32(fixed, 12), LoadU32(fixed, 32), LoadU32(fixed, 36)}),
              (std::array{0xFEEF04BDu, 0x00010000u, 0u, 0x00040004u, 2u}));

    std::map<std::string, std::string> strings;
    std::string table;
    std::vector<std::uint8_t> translation;
    for (const auto& block : root.children) {
        for (const auto& child : block.children) {
            if (block.key == "StringFileInfo") {
                table = child.key;
                for (const auto& value : child.children)
                    strings[value.key] = value.text;
            } else if (block.key == "VarFileInfo" && child.key == "Translation") {
                translation = child.binary;
            }
        }
    }
    EXPECT_EQ(table, "040904B0"); // US English, Unicode
    EXPECT_EQ(translation, (std::vector<std::uint8_t>{0x09, 0x04, 0xB0, 0x04}));
    EXPECT_EQ(strings["InternalName"], "ImporterBarsAndTone");
    EXPECT_EQ(strings["OriginalFilename"], "ImporterBarsAndTone.cvm");
    EXPECT_EQ(strings["FileVersion"], "1.0.0.0");
    EXPECT_FALSE(strings["CompanyName"].empty());
    EXPECT_FALSE(strings["FileDescription"].empty());
}

TEST(ModuleResources, ManifestAsksForTheCallersRightsWithoutUiAccess)
{
    const auto bytes = BytesOf("24", "2");
    const std::string manifest(bytes.begin(), bytes.end());
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos);
}

TEST(ModuleResources, LayoutTextsAreCarriedUnchangedInCrLfLines)
{
    EXPECT_EQ(TextOf(expected::kLayoutName), ReadLayoutText(false));
    EXPECT_EQ(TextOf(expected::kOlderLayoutName), ReadLayoutText(true));
    // Every line ends in CR LF, and no CR or LF stands alone.
    const std::regex loneCrOrLf("\r(?!\n)|(^|[^\r])\n");
    for (const auto& name : {expected::kLayoutName, expected::kOlderLayoutName}) {
        const std::string text = TextOf(name);
        EXPECT_TRUE(text.starts_with("layout BarsAndToneSettingsWithIdentifiersDialog\r\n")) << name;
        EXPECT_TRUE(text.ends_with("\r\n")) << name;
        EXPECT_FALSE(std::regex_search(text, loneCrOrLf)) << name;
    }
}

TEST(ModuleResources, TableHoldsExactlyTheDescriptionResources)
{
    std::set<std::string> listed;
    for (const auto& type : Resources().Types())
        for (const auto& name : Resources().Names(type))
            listed.insert(type + "/" + name);
    const std::set<std::string> want{"PIPL/16000", "IMPT/1000", "TYPE/1000", "LYRA/" + expected::kLayoutName,
                                     "LYRA/" + expected::kOlderLayoutName, "16/1", "24/2"};
    EXPECT_EQ(listed, want);
}
