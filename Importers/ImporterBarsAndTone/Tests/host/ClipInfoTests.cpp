#include "ModuleFixture.h"
#include "ToneSettingsMatch.h"

#include "CVM/ColorManagement.h"
#include "ImporterBarsAndTone/HostRecords.h"
#include "barsandtone/PackedBytes.h"
#include "bthost/ClipDescription.h"

#include <limits>
#include <optional>
#include <tuple>

using namespace bt::packed;
namespace ci = bt::records::ClipInfo;

namespace {

class ClipInfoTest : public ModuleTest {
protected:
    /// Selector 37 on a record prefilled with the sentinel. With a rate, the
    /// host's picture fields propose an NTSC DV picture at that many frames a
    /// second, which a version-1 record takes.
    std::int32_t Describe(std::uint32_t fileType, void* persisted, std::vector<std::uint8_t>& info,
                          std::optional<std::int32_t> hostRate = std::nullopt)
    {
        info = Sentinel(ci::kMinSize + 16);
        StorePtr(info.data(), ci::kPersisted, persisted);
        if (hostRate) {
            StoreI32(info.data(), ci::kWidth, 720);
            StoreI32(info.data(), ci::kHeight, 486);
            StoreU32(info.data(), ci::kParNum, 10);
            StoreU32(info.data(), ci::kParDen, 11);
            StoreI32(info.data(), ci::kRateNum, *hostRate);
            StoreI32(info.data(), ci::kRateDen, 1);
        }
        std::vector<std::uint8_t> file(16, 0);
        StoreU32(file.data(), bt::records::FileRecord::kFileType, fileType);
        return host->Call(BT_SEL_GET_CLIP_INFO, file.data(), info.data());
    }
    void* Store(const bt::ToneSettings& s) { return host->StoreSettings(&s, sizeof s); }
    static bt::ToneSettings PerFile(const std::vector<std::uint8_t>& info)
    {
        return bt::LoadToneSettings(LoadPtr(info.data(), ci::kPerFileRecord));
    }

    /// A version-1 record: its tone part set, the rest noise.
    void* StoreOld()
    {
        std::vector<std::uint8_t> old(bt::kToneSettingsSize, 0xEE);
        StoreU32(old.data(), 0, 1);
        StoreF32(old.data(), 4, 44100.0f);
        StoreU32(old.data(), 8, 9);
        StoreU32(old.data(), 12, 2);
        old[16] = 1;
        StoreF32(old.data(), 20, 400.0f);
        StoreF32(old.data(), 24, 0.5f);
        old[28] = 1;
        return host->StoreSettings(old.data(), old.size());
    }
    void Release(const std::vector<std::uint8_t>& info)
    {
        EXPECT_EQ(host->ReleaseFileRecord(LoadPtr(info.data(), ci::kPerFileRecord)), 0);
        host->Memory().Release(LoadPtr(info.data(), ci::kPersisted));
    }
};

} // namespace

TEST_F(ClipInfoTest, ClipWithoutStoredSettingsIsTheDefaultAtTheHostsRateInADistinctRecordEachCall)
{
    // The default record's own bytes are pinned by the record's tests; here
    // only what the host's rate changes.
    const auto a = host->GetClipInfo(BT_FILETYPE_BARS, nullptr, 44100.0f).description;
    EXPECT_EQ((std::tuple{a.audioRate, a.audioSamples}), (std::tuple{44100.0f, std::int64_t{5 * 44100}}));
    EXPECT_EQ(bt::LoadToneSettings(a.perFileRecord), (bt::ToneSettings{.audioFrameRate = 44100.0f}));
    EXPECT_TRUE(a.colorManaged);

    CVM::HostControl::SetAbleToSupportColorManagement(false);
    const auto b = host->GetClipInfo(BT_FILETYPE_HDBR, nullptr).description;
    CVM::HostControl::SetAbleToSupportColorManagement(true);
    EXPECT_FALSE(b.colorManaged);
    EXPECT_NE(a.perFileRecord, b.perFileRecord);
    EXPECT_EQ(host->ReleaseFileRecord(a.perFileRecord), 0);
    EXPECT_EQ(host->ReleaseFileRecord(b.perFileRecord), 0);
}

TEST_F(ClipInfoTest, CurrentRecordIsDescribedWholeAndUnlistedBytesStay)
{
    // Version 0: anything but 1 reads as the current layout.
    bt::ToneSettings s{.version = 0, .audioFrameRate = 96000.0f, .audioChannelType = 1, .audioChannelCount = 6,
                       .frameWidth = 3840, .frameHeight = 2160, .par = {4, 3}, .videoFrameRate = 5080320000};
    void* stored = Store(s);

    std::vector<std::uint8_t> info;
    ASSERT_EQ(Describe(BT_FILETYPE_BARS, stored, info), 0);
    const auto d = bthost::ReadClipDescription(info);
    EXPECT_EQ((std::tuple{d.width, d.height, d.parNumerator, d.parDenominator, d.frameDuration, d.audioChannels,
                          d.audioRate, d.audioSamples, d.persisted}),
              (std::tuple{3840, 2160, 4u, 3u, std::int64_t{5080320000}, 6u, 96000.0f, std::int64_t{480000}, stored}));
    EXPECT_EQ((std::tuple{info[0], info[1], LoadU16(info.data(), ci::kDepth12), info[22], info[31], info[32],
                          LoadU32(info.data(), ci::kFlag54), LoadU32(info.data(), ci::kFlag182)}),
              (std::tuple<int, int, int, int, int, int, std::uint32_t, std::uint32_t>{1, 1, 24, 5, 1, 2, 1, 6}));
    ExpectSentinelOutside(info, {{ci::kFlag0, 1}, {ci::kFlag1, 1}, {ci::kWidth, 4}, {ci::kHeight, 4},
                                 {ci::kDepth12, 2}, {ci::kFlag22, 1}, {ci::kFlag31, 1}, {ci::kFlag32, 1},
                                 {ci::kParNum, 4}, {ci::kParDen, 4}, {ci::kFlag54, 4}, {ci::kColorManaged, 4},
                                 {ci::kFrameDuration, 8}, {ci::kAudioChannels, 4}, {ci::kAudioRate, 4},
                                 {ci::kFlag182, 4}, {ci::kAudioSamples, 8}, {ci::kPerFileRecord, 8},
                                 {ci::kPersisted, 8}});

    s.audioChannelType = 3; // the per-file copy recomputes it from the count
    EXPECT_EQ(PerFile(info), s);
    Release(info);
}

TEST_F(ClipInfoTest, VersionOneRecordTakesItsPictureAndRateFromTheHostAndIsStoredAgain)
{
    // A negative rate is a negative duration; only a rate of 0 is no rate.
    for (auto [fileType, colorSpace, rateNum, ticks] :
         {std::tuple{BT_FILETYPE_HDBR, 1, -25, std::int64_t{-10160640000}},
          std::tuple{BT_FILETYPE_BARS, 0, 0, std::numeric_limits<std::int64_t>::max()}}) {
        void* stored = StoreOld();
        std::vector<std::uint8_t> info;
        ASSERT_EQ(Describe(fileType, stored, info, rateNum), 0);
        // The picture fields are read, not written; the frame duration stays.
        EXPECT_EQ(LoadI32(info.data(), ci::kWidth), 720);
        EXPECT_EQ(Load<std::uint64_t>(info.data(), ci::kFrameDuration), 0xCDCDCDCDCDCDCDCDu);

        void* restored = LoadPtr(info.data(), ci::kPersisted);
        EXPECT_NE(restored, stored);
        EXPECT_EQ(host->Memory().BlockSize(restored), bt::kToneSettingsSize);
        // The tone part, the host's picture, the rest defaults.
        const bt::ToneSettings want{.version = 1, .audioFrameRate = 44100.0f, .identifyChannels = 1,
                                    .frequency = 400.0f, .amplitude = 0.5f, .identifierFormat = 1, .frameWidth = 720,
                                    .frameHeight = 486, .par = zelmediatypes::kPixelAspectRatio_DVNTSC,
                                    .videoFrameRate = ticks, .colorSpaceType = static_cast<std::uint8_t>(colorSpace)};
        EXPECT_EQ(bt::LoadToneSettings(restored), want);
        EXPECT_EQ(PerFile(info).videoFrameRate, ticks);

        // The next request takes the same path and gives the same record.
        std::vector<std::uint8_t> again;
        ASSERT_EQ(Describe(fileType, restored, again, rateNum), 0);
        EXPECT_EQ(bt::LoadToneSettings(LoadPtr(again.data(), ci::kPersisted)), want);
        EXPECT_EQ(host->ReleaseFileRecord(LoadPtr(info.data(), ci::kPerFileRecord)), 0);
        Release(again);
        EXPECT_EQ(host->Memory().LiveBlocks(), 0u);
    }
}

TEST_F(ClipInfoTest, SoundIsFiveSecondsOfTheRateTruncatedWhateverItsSignAndItsChannelTypeFollowsTheCount)
{
    constexpr auto max = std::numeric_limits<std::int64_t>::max();
    constexpr auto min = std::numeric_limits<std::int64_t>::min();
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // 44100.3 × 5 is 220501.5 in single precision: the count is truncated.
    for (auto [count, type, rate, samples] :
         {std::tuple{1u, 1u, 44100.3f, std::int64_t{220501}}, {2u, 2u, -48000.0f, -240000}, {6u, 3u, -44100.3f, -220501},
          {4u, 1u, -0.1f, 0}, {0u, 1u, 0.0f, 0}, {2u, 2u, inf, max}, {2u, 2u, -inf, min}, {2u, 2u, nan, 0}}) {
        std::vector<std::uint8_t> info;
        ASSERT_EQ(Describe(BT_FILETYPE_HDBR, Store({.audioFrameRate = rate, .audioChannelCount = count}), info), 0);
        EXPECT_EQ(LoadI64(info.data(), ci::kAudioSamples), samples) << rate;
        EXPECT_EQ(PerFile(info).audioChannelType, type) << count;
        Release(info);
    }
}

TEST_F(ClipInfoTest, FailingHostAllocatorGives4AndKeepsTheStoredSettings)
{
    void* stored = StoreOld();
    host->Memory().FailAllocations(1);
    std::vector<std::uint8_t> info;
    EXPECT_EQ(Describe(BT_FILETYPE_BARS, stored, info, 25), 4);
    EXPECT_EQ(LoadPtr(info.data(), ci::kPersisted), stored);
    EXPECT_EQ(Load<std::uint64_t>(info.data(), ci::kPerFileRecord), 0xCDCDCDCDCDCDCDCDu) << "no per-file record handed out";
    EXPECT_EQ(LoadU32(info.data(), ci::kFlag182), 6u); // the sound fields stay written
    EXPECT_EQ(host->Memory().LiveBlocks(), 1u);
    host->Memory().Release(stored);
}

TEST_F(ClipInfoTest, NullClipInformationRecordIsNotServed)
{
    EXPECT_EQ(host->Call(BT_SEL_GET_CLIP_INFO, nullptr, nullptr), 3);
    EXPECT_EQ(host->Memory().AllocationCount(), 0u);
}
