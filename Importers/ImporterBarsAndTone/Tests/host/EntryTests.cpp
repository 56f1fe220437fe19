#include "ModuleFixture.h"

#include "ImporterBarsAndTone/HostRecords.h"
#include "barsandtone/PackedBytes.h"
#include "host/Dispatch.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

using namespace bt::packed;
namespace rec = bt::records;

TEST_F(ModuleTest, DescribeCallsTheHostOnceWithTheListedNames)
{
    const auto d = host->Describe();
    EXPECT_EQ(d.displayName, "$$$/Kestrel/Importers/ImporterBarsAndTone/Name=Bars and Tone");
    EXPECT_EQ(d.matchName, "TELV Bars and Tone");
    EXPECT_EQ(d.category, "Importer");
    EXPECT_EQ(d.empty, "");
    EXPECT_EQ(d.kind, 0x494D5054u);
    EXPECT_EQ(d.a, 13);
    EXPECT_EQ(d.b, 28);
    EXPECT_EQ(d.c, 0);
}

TEST_F(ModuleTest, StartupWritesOnlyTheListedFieldsAndAnswers400)
{
    auto record = Sentinel(rec::ImporterDescription::kMinSize + 16);
    EXPECT_EQ(host->Startup(&record), 400);
    EXPECT_EQ((std::array{LoadU32(record.data(), 0), LoadU32(record.data(), 28), LoadU32(record.data(), 32),
                          LoadU32(record.data(), 36), LoadU32(record.data(), 44), LoadU32(record.data(), 149)}),
              (std::array{0x42415253u, 1u, 1u, 0u, 0u, 1u}));
    ExpectSentinelOutside(record, {{0, 4}, {28, 4}, {32, 4}, {36, 4}, {44, 4}, {149, 4}});
}

TEST_F(ModuleTest, FileTypesEnumerateBarsThenHdbrThenStop)
{
    EXPECT_EQ(host->EnumerateFileTypes(), (std::vector<std::uint32_t>{0x42415253u, 0x48444252u}));

    auto record = Sentinel(rec::FileTypeRecord::kMinSize + 8);
    ASSERT_EQ(host->Call(BT_SEL_GET_FILE_TYPE, 1, reinterpret_cast<std::intptr_t>(record.data())), 0);
    EXPECT_EQ(LoadU32(record.data(), 0), 0x48444252u);
    // Both texts emptied and a block zeroed; nothing else written.
    EXPECT_EQ(record[12] | record[268], 0);
    EXPECT_TRUE(std::all_of(record.begin() + 300, record.begin() + 556, [](std::uint8_t b) { return b == 0; }));
    ExpectSentinelOutside(record, {{0, 4}, {12, 1}, {268, 1}, {300, 256}});

    for (std::intptr_t index : {std::intptr_t{2}, std::intptr_t{-1}, std::intptr_t{1} << 40}) {
        auto untouched = Sentinel(rec::FileTypeRecord::kMinSize);
        EXPECT_EQ(host->Call(BT_SEL_GET_FILE_TYPE, index, reinterpret_cast<std::intptr_t>(untouched.data())), 301);
        EXPECT_EQ(untouched, Sentinel(rec::FileTypeRecord::kMinSize));
    }
}

TEST_F(ModuleTest, SelectorsWithoutAHandlerAnswer3AndTouchNothing)
{
    std::set<std::uint32_t> handled;
    for (const auto& row : bt::SelectorTable())
        handled.insert(row.selector);
    EXPECT_EQ(handled, (std::set<std::uint32_t>{0, 9, 14, 25, 27, 28, 37, 38, 47, 49, 73}));

    auto r1 = Sentinel(600), r2 = Sentinel(600);
    for (std::uint32_t selector = 0; selector < 200; ++selector) {
        if (handled.contains(selector))
            continue;
        EXPECT_EQ(host->Call(selector, r1.data(), r2.data()), 3) << selector;
    }
    EXPECT_EQ(host->Call(0xFFFFFFFFu, r1.data(), r2.data()), 3);
    EXPECT_EQ(host->Call(0x80000000u, r1.data(), r2.data()), 3);
    EXPECT_EQ(r1, Sentinel(600));
    EXPECT_EQ(r2, Sentinel(600));
}

TEST_F(ModuleTest, QueryAnswers100AndReleaseAcceptsNull)
{
    EXPECT_EQ(host->Call(BT_SEL_QUERY, std::intptr_t{12345}, std::intptr_t{678}), 100);
    EXPECT_EQ(host->Call(BT_SEL_QUERY, nullptr, nullptr), 100);
    EXPECT_EQ(host->ReleaseFileRecord(nullptr), 0);
}

#if !defined(_WIN32) // the Windows module's export table is checked from its PE image
TEST(ModuleExports, DynamicSymbolTableHoldsExactlyTheTwoEntryPoints)
{
    const std::string command = std::string("nm -D --defined-only --format=just-symbols '") + BT_MODULE_PATH + "'";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> symbols;
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr)
        symbols.insert(std::string(line, std::strcspn(line, "\r\n")));
    ASSERT_EQ(pclose(pipe), 0);
    EXPECT_EQ(symbols, (std::set<std::string>{"PluginDataEntryFunction", "xImportEntry"}));
}
#endif
