// The host's side of the boundary as a module meets it: loading, the C
// functions it hands over and the suites it offers, misused.

#include "bthost/ClipDescription.h"
#include "bthost/Host.h"
#include "bthost/SequenceInfoSuite.h"

#include "ImporterBarsAndTone/HostRecords.h"
#include "MediaBridge/WorkingSpace.h"
#include "barsandtone/PackedBytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>

namespace rec = bt::records;
using bt::packed::LoadPtr;

namespace {

template <typename Fn>
Fn FunctionAt(const void* table, std::size_t offset)
{
    const void* address = LoadPtr(table, offset);
    Fn fn = nullptr;
    std::memcpy(&fn, &address, sizeof fn);
    return fn;
}

/// A suite's function table as a module acquires it, outside any call.
const void* SuiteTable(bthost::Host& host, const char* name, std::int32_t version)
{
    const void* table = nullptr;
    EXPECT_EQ(host.Suites().Acquire(name, version, &table), 0) << name;
    return table;
}

std::string Refusal(const std::string& modulePath)
{
    try {
        bthost::Host host(modulePath);
    } catch (const std::runtime_error& refusal) {
        return refusal.what();
    }
    return "(loaded)";
}

} // namespace

TEST(Host, LoadingNamesTheModuleItCouldNotUse)
{
    const std::string missing = std::string(BT_MODULE_PATH) + ".missing";
    EXPECT_NE(Refusal(missing).find(missing), std::string::npos) << Refusal(missing);
#ifdef BT_LIBRARY_WITHOUT_EXPORTS
    EXPECT_NE(Refusal(BT_LIBRARY_WITHOUT_EXPORTS).find("does not export PluginDataEntryFunction"), std::string::npos)
        << Refusal(BT_LIBRARY_WITHOUT_EXPORTS);
#endif
}

// The host's C functions find their host through the running call; called
// from a thread the host has not called on, they must refuse rather than
// reach some host's memory or frames.
TEST(Host, FunctionsCalledOutsideAnyCallRefuse)
{
    bthost::Host host(BT_MODULE_PATH);
    ASSERT_EQ(bthost::Host::Current(), nullptr);
    const void* suites = LoadPtr(host.StdParms(), rec::StdParms::kSuiteTable);
    const void* memory = LoadPtr(suites, rec::SuiteTable::kMemoryFunctions);
    const void* utility = LoadPtr(suites, rec::SuiteTable::kUtilityFunctions);

    EXPECT_EQ(FunctionAt<void* (*)(std::uint32_t)>(memory, rec::MemoryFunctions::kAllocate)(16), nullptr);
    EXPECT_EQ(host.Memory().AllocationCount(), 0u);
    void* stored = host.StoreSettings("settings", 8);
    FunctionAt<void (*)(void*)>(memory, rec::MemoryFunctions::kRelease)(stored);
    EXPECT_EQ(host.Memory().LiveBlocks(), 1u) << "a release outside a call freed the host's block";
    EXPECT_EQ(FunctionAt<const void* (*)()>(utility, rec::UtilityFunctions::kGetBasicSuite)(), nullptr);

    const void* creator = SuiteTable(host, rec::CPixCreatorSuite::kName, rec::CPixCreatorSuite::kVersion);
    using CreateFn = std::int32_t (*)(BT_FrameHandle*, std::int32_t, std::uint32_t, std::int32_t, std::int32_t,
                                      std::uint8_t, std::int32_t, std::uint32_t, std::uint32_t, BT_HostOpaque16);
    BT_FrameHandle frame = nullptr;
    EXPECT_EQ(FunctionAt<CreateFn>(creator, rec::CPixCreatorSuite::kCreateFrame)(&frame, 2, 0x41595556, 8, 8, 0, 0,
                                                                                 1, 1, BT_HostOpaque16{}),
              -1);
    EXPECT_EQ(host.Frames().CreateCalls(), 0u);

    bthost::SequenceInfoSuite sequences(host);
    sequences.SetSequence(1, {});
    const void* info = SuiteTable(host, rec::SequenceInfoSuite::kName, rec::SequenceInfoSuite::kVersion);
    std::int32_t dropFrame = 7;
    EXPECT_EQ(FunctionAt<std::int32_t (*)(std::uint32_t, std::int32_t*)>(info, rec::SequenceInfoSuite::kGetDropFrame)(
                  1, &dropFrame),
              -1);
    EXPECT_EQ(dropFrame, 7);
}

TEST(Host, SequenceInfoAnswersOnlyForSequencesItKnowsAndGoesWithItsSuite)
{
    bthost::Host host(BT_MODULE_PATH);
    {
        bthost::SequenceInfoSuite sequences(host);
        sequences.SetSequence(4, {.dropFrame = 1, .workingColorSpace = MB::WorkingSpace::OR2100PQCvSDKColorSpaceID});
        std::int32_t dropFrame = -5;
        CvSDKGuid space = MB::WorkingSpace::OR601CvSDKColorSpaceID;
        EXPECT_EQ(sequences.GetDropFrame(3, &dropFrame), -1);
        EXPECT_EQ(sequences.GetWorkingColorSpace(3, &space), -1);
        EXPECT_EQ(dropFrame, -5) << "an unknown sequence's answer was written";
        EXPECT_EQ(space, MB::WorkingSpace::OR601CvSDKColorSpaceID);
        EXPECT_EQ(sequences.GetDropFrame(4, nullptr), -1);
        EXPECT_EQ(sequences.GetDropFrame(4, &dropFrame), 0);
        EXPECT_EQ(sequences.GetWorkingColorSpace(4, &space), 0);
        EXPECT_EQ(dropFrame, 1);
        EXPECT_EQ(space, MB::WorkingSpace::OR2100PQCvSDKColorSpaceID);
        EXPECT_EQ(sequences.AskedIds(), (std::vector<std::uint32_t>{3, 4, 4}));
        EXPECT_NE(SuiteTable(host, rec::SequenceInfoSuite::kName, rec::SequenceInfoSuite::kVersion), nullptr);
    }
    const void* withdrawn = &host;
    EXPECT_EQ(host.Suites().Acquire(rec::SequenceInfoSuite::kName, rec::SequenceInfoSuite::kVersion, &withdrawn), -1);
    EXPECT_EQ(withdrawn, nullptr) << "the suite's table outlived it";
}

TEST(Host, AClipInformationRecordCutShortIsRefused)
{
    EXPECT_NO_THROW((void)bthost::ReadClipDescription(std::vector<std::uint8_t>(rec::ClipInfo::kMinSize)));
    EXPECT_THROW((void)bthost::ReadClipDescription(std::vector<std::uint8_t>(rec::ClipInfo::kMinSize - 1)),
                 std::invalid_argument);
}
