// Selector 38 at the host boundary: the size query, the setup flag and the
// matching of the host's sequence.

#include "../dialog/NewClipFixture.h"
#include "ImporterBarsAndTone/HostRecords.h"
#include "barsandtone/PackedBytes.h"
#include "zelcore/memory/MemoryRecycler.h"

#include <array>
#include <limits>
#include <tuple>

using AcquireSettingsTest = NewClipFixture; // PAL

TEST_F(AcquireSettingsTest, SizeQueryAndSetupNotRequestedTouchNothingElse)
{
    auto request = Sentinel(bt::records::SettingsRequest::kMinSize);
    bt::packed::StorePtr(request.data(), bt::records::SettingsRequest::kSettingsBuffer, nullptr);
    auto name = Sentinel(bt::records::ClipNameRecord::kMinSize);
    EXPECT_EQ(host->Call(BT_SEL_ACQUIRE_SETTINGS, name.data(), request.data()), 0);
    EXPECT_EQ(bt::packed::LoadU32(request.data(), bt::records::SettingsRequest::kSettingsSize), 72u);
    ExpectSentinelOutside(request, {{0, 12}}); // past the buffer pointer and the size
    EXPECT_EQ(name, Sentinel(name.size()));

    const auto clip = bthost::AcquireNewClipSettings(*host, {}, 0);
    EXPECT_EQ((std::tuple{clip.sizeResult, clip.size, clip.result}), (std::tuple{0, 72u, 0}));
    EXPECT_TRUE(Untouched(clip));
    EXPECT_EQ(driver->Runs(), 0);
    EXPECT_TRUE(host->Suites().Events().empty());

    EXPECT_EQ(host->Call(BT_SEL_ACQUIRE_SETTINGS, name.data(), nullptr), BT_RESULT_UNSUPPORTED);
}

TEST_F(AcquireSettingsTest, WorkingColourSpaceGivesTheColourSpaceType)
{
    CvSDKGuid unknown = MB::WorkingSpace::OR709CvSDKColorSpaceID;
    unknown.Data1 ^= 1;
    const struct {
        CvSDKGuid id;
        std::uint8_t type;
        const char16_t* name;
    } rows[] = {{MB::WorkingSpace::OR709CvSDKColorSpaceID, 1, u"Bars and Tone - Rec 709"},
                {MB::WorkingSpace::OR2100HLGCvSDKColorSpaceID, 2, u"Bars and Tone - Rec 2100 HLG"},
                {MB::WorkingSpace::OR2100PQCvSDKColorSpaceID, 3, u"Bars and Tone - Rec 2100 PQ"},
                {MB::WorkingSpace::OR601CvSDKColorSpaceID, 0, u"Bars and Tone"},
                {MB::WorkingSpace::ORDCIP3CvSDKColorSpaceID, 0, u"Bars and Tone"},
                {unknown, 1, u"Bars and Tone - Rec 709"}};
    for (const auto& row : rows) {
        sequences->SetSequence(1, {0, row.id});
        const auto clip = bthost::AcquireNewClipSettings(*host, {});
        ASSERT_EQ(clip.result, 0);
        EXPECT_EQ(clip.stored[64], row.type);
        EXPECT_EQ(clip.clipName, row.name);
    }
}

TEST_F(AcquireSettingsTest, SequenceRateBecomesTicksPerFrameAndDropFrameOnlyWhenTheHostSaysOne)
{
    WithoutDialog(); // the dialog would put its own table's rate in its place
    // The conversion's signs and saturation are the rate type's; here that
    // the sequence's rate reaches the record through it.
    const struct {
        std::int32_t dropAnswer, num, den;
        std::int64_t ticks;
        std::uint8_t drop;
    } rows[] = {{1, 30000, 1001, 8475667200, 1},  {0, 30000, 1001, 8475667200, 0}, {2, 30000, 1001, 8475667200, 0},
                {-1, 30000, 1001, 8475667200, 0}, {0, -25, 1, -10160640000, 0},
                {0, 0, 1, std::numeric_limits<std::int64_t>::max(), 0}};
    for (const auto& row : rows) {
        sequences->SetSequence(5, {row.dropAnswer, MB::WorkingSpace::OR709CvSDKColorSpaceID});
        const auto clip = bthost::AcquireNewClipSettings(*host, {5, 1920, 1080, 1, 1, row.num, row.den, 48000.0f});
        ASSERT_EQ(clip.result, 0);
        const bt::ToneSettings s = bt::LoadToneSettings(clip.stored.data());
        EXPECT_EQ(s.videoFrameRate, row.ticks) << row.num << "/" << row.den;
        EXPECT_EQ(s.dropFrame, row.drop) << row.dropAnswer;
    }
}

TEST_F(AcquireSettingsTest, MissingSuitesLeaveTheDefaults)
{
    WithoutDialog();
    sequences->SetSequence(1, {1, MB::WorkingSpace::OR2100HLGCvSDKColorSpaceID});
    const bthost::SequenceProperties unknown{9, 1280, 720, 1, 1, 25, 1, 48000.0f};
    const auto unanswered = bthost::AcquireNewClipSettings(*host, unknown); // a sequence the suite does not know
    EXPECT_EQ((std::array{unanswered.stored[64], unanswered.stored[56]}), (std::array<std::uint8_t, 2>{1, 0}));
    const bthost::SequenceProperties hlgSequence{1, 1280, 720, 1, 1, 25, 1, 48000.0f};
    sequences.reset();
    const auto noSuite = bthost::AcquireNewClipSettings(*host, hlgSequence);
    EXPECT_EQ(noSuite.result, 0);
    EXPECT_EQ(noSuite.stored[64], 1);
    host->Suites().OfferBasicSuite(false);
    const auto noBasic = bthost::AcquireNewClipSettings(*host, hlgSequence);
    EXPECT_EQ(noBasic.result, 0);
    EXPECT_EQ(noBasic.stored[64], 1);
    EXPECT_EQ(bt::LoadToneSettings(noBasic.stored.data()).videoFrameRate, 10160640000);
}

TEST_F(AcquireSettingsTest, RunningOutOfMemoryInTheDialogAnswersTheMemoryErrorAndStoresNothing)
{
    // Every limit below what the dialog needs fails at another allocation:
    // the data exchange first, then what the dialog builds while it opens.
    namespace hc = zelcore::memory::hostcontrol;
    const bthost::SequenceProperties sequence{1, 3840, 2160, 1, 1, 50, 1, 48000.0f};
    std::size_t limit = 0;
    bthost::NewClipSettings clip;
    for (;; ++limit) {
        ASSERT_LT(limit, 1000u) << "the dialog never opened";
        hc::LimitAllocations(limit);
        clip = bthost::AcquireNewClipSettings(*host, sequence);
        hc::LimitAllocations(std::nullopt);
        if (clip.result != BT_RESULT_MEMORY_ERROR)
            break;
        EXPECT_TRUE(Untouched(clip)) << limit;
        EXPECT_EQ(host->Memory().LiveBlocks(), 0u) << limit;
    }
    EXPECT_GT(limit, 1u); // the exchange and at least one of the dialog's own allocations were refused
    EXPECT_EQ(clip.result, 0);
    EXPECT_EQ(bt::LoadToneSettings(clip.stored.data()).frameWidth, 3840);
    EXPECT_EQ(clip.clipName, u"Bars and Tone - Rec 709");
}
