#include "ModuleFixture.h"

#include "CVM/ColorManagement.h"
#include "ImporterBarsAndTone/HostRecords.h"
#include "barsandtone/PackedBytes.h"
#include "host/ToneSettings.h"

#include <limits>
#include <set>
#include <tuple>

using namespace bt::packed;
namespace ci = bt::records::ClipInfo;

namespace {

// Bytes the module writes for a current record; every other byte must stay.
const std::set<std::pair<std::size_t, std::size_t>> kWrittenFields{
    {ci::kFlag0, 1},  {ci::kFlag1, 1},          {ci::kWidth, 4},         {ci::kHeight, 4},
    {ci::kDepth12, 2}, {ci::kFlag22, 1},        {ci::kFlag31, 1},        {ci::kFlag32, 1},
    {ci::kParNum, 4},  {ci::kParDen, 4},        {ci::kFlag54, 4},        {ci::kColorManaged, 4},
    {ci::kFrameDuration, 8}, {ci::kAudioChannels, 4}, {ci::kAudioRate, 4}, {ci::kFlag182, 4},
    {ci::kAudioSamples, 8}, {ci::kPerFileRecord, 8}, {ci::kPersisted, 8}};

bool IsWritten(std::size_t byte)
{
    for (auto [start, size] : kWrittenFields)
        if (byte >= start && byte < start + size)
            return true;
    return false;
}

class ClipInfoTest : public ModuleTest {
protected:
    // Selector 37 on a record prefilled with the sentinel.
    std::int32_t Describe(std::uint32_t fileType, void* persisted, std::vector<std::uint8_t>& info)
    {
        info = Sentinel(ci::kMinSize + 16);
        StorePtr(info.data(), ci::kPersisted, persisted);
        std::vector<std::uint8_t> file(16, 0);
        StoreU32(file.data(), bt::records::FileRecord::kFileType, fileType);
        return host->Call(BT_SEL_GET_CLIP_INFO, file.data(), info.data());
    }
    void* Store(const bt::ToneSettings& s) { return host->StoreSettings(&s, sizeof s); }
};

} // namespace

TEST_F(ClipInfoTest, ClipWithoutStoredSettingsIsTheDefaultAtTheHostsAudioRate)
{
    auto r = host->GetClipInfo(BT_FILETYPE_BARS, nullptr, 44100.0f);
    ASSERT_EQ(r.result, 0);
    const auto& d = r.description;
    EXPECT_EQ(d.width, 1920);
    EXPECT_EQ(d.height, 1080);
    EXPECT_EQ(d.parNumerator, 40u);
    EXPECT_EQ(d.parDenominator, 33u);
    EXPECT_EQ(d.frameDuration, 8475667200);
    EXPECT_EQ(d.audioChannels, 2u);
    EXPECT_EQ(d.audioRate, 44100.0f);
    EXPECT_EQ(d.audioSamples, 220500);
    EXPECT_TRUE(d.colorManaged);
    const auto perFile = bt::LoadToneSettings(d.perFileRecord);
    EXPECT_EQ(perFile.audioFrameRate, 44100.0f);
    EXPECT_EQ(perFile.colorSpaceType, 1);
    EXPECT_EQ(host->ReleaseFileRecord(d.perFileRecord), 0);
}

TEST_F(ClipInfoTest, CurrentRecordIsDescribedWholeAndUnlistedBytesStay)
{
    bt::ToneSettings s;
    s.version = 0; // anything but 1 reads as the current layout
    s.frameWidth = 3840;
    s.frameHeight = 2160;
    s.par = zelmediatypes::PixelAspectRatio(4, 3);
    s.videoFrameRate = 5080320000;
    s.audioFrameRate = 96000.0f;
    s.audioChannelCount = 6;
    s.audioChannelType = 1;
    void* stored = Store(s);

    std::vector<std::uint8_t> info;
    ASSERT_EQ(Describe(BT_FILETYPE_BARS, stored, info), 0);
    EXPECT_EQ(info[0], 1);
    EXPECT_EQ(info[1], 1);
    EXPECT_EQ(LoadI32(info.data(), ci::kWidth), 3840);
    EXPECT_EQ(LoadI32(info.data(), ci::kHeight), 2160);
    EXPECT_EQ(LoadU16(info.data(), ci::kDepth12), 24);
    EXPECT_EQ(info[22], 5);
    EXPECT_EQ(info[31], 1);
    EXPECT_EQ(info[32], 2);
    EXPECT_EQ(LoadU32(info.data(), ci::kParNum), 4u);
    EXPECT_EQ(LoadU32(info.data(), ci::kParDen), 3u);
    EXPECT_EQ(LoadU32(info.data(), ci::kFlag54), 1u);
    EXPECT_EQ(LoadI64(info.data(), ci::kFrameDuration), 5080320000);
    EXPECT_EQ(LoadU32(info.data(), ci::kAudioChannels), 6u);
    EXPECT_EQ(LoadF32(info.data(), ci::kAudioRate), 96000.0f);
    EXPECT_EQ(LoadU32(info.data(), ci::kFlag182), 6u);
    EXPECT_EQ(LoadI64(info.data(), ci::kAudioSamples), 480000);
    EXPECT_EQ(LoadPtr(info.data(), ci::kPersisted), stored);
    for (std::size_t i = 0; i < info.size(); ++i) {
        if (!IsWritten(i)) {
            EXPECT_EQ(info[i], 0xCD) << "byte " << i;
        }
    }

    void* perFile = LoadPtr(info.data(), ci::kPerFileRecord);
    const auto copy = bt::LoadToneSettings(perFile);
    EXPECT_EQ(copy.audioChannelType, 3u); // recomputed from the count
    EXPECT_EQ(copy.frameWidth, 3840);
    host->ReleaseFileRecord(perFile);
    host->Memory().Release(stored);
}

TEST_F(ClipInfoTest, ChannelTypeFollowsTheCount)
{
    for (auto [count, type] : {std::pair{1u, 1u}, {2u, 2u}, {6u, 3u}, {4u, 1u}, {0u, 1u}}) {
        bt::ToneSettings s;
        s.audioChannelCount = count;
        void* stored = Store(s);
        auto r = host->GetClipInfo(BT_FILETYPE_HDBR, stored);
        ASSERT_EQ(r.result, 0);
        EXPECT_EQ(bt::LoadToneSettings(r.description.perFileRecord).audioChannelType, type) << count;
        host->ReleaseFileRecord(r.description.perFileRecord);
        host->Memory().Release(stored);
    }
}

TEST_F(ClipInfoTest, VersionOneRecordTakesItsPictureFromTheHostAndIsStoredAgain)
{
    for (auto [fileType, colorSpace] : {std::pair{BT_FILETYPE_HDBR, 1}, {BT_FILETYPE_BARS, 0}}) {
        // An old record: only bytes 0 to 28 are set; the rest is noise.
        std::vector<std::uint8_t> old(bt::kToneSettingsSize, 0xEE);
        StoreU32(old.data(), 0, 1);
        StoreF32(old.data(), 4, 44100.0f);
        StoreU32(old.data(), 8, 9);
        StoreU32(old.data(), 12, 2);
        old[16] = 1;
        StoreF32(old.data(), 20, 400.0f);
        StoreF32(old.data(), 24, 0.5f);
        old[28] = 1;
        void* stored = host->StoreSettings(old.data(), old.size());

        std::vector<std::uint8_t> info = Sentinel(ci::kMinSize);
        StorePtr(info.data(), ci::kPersisted, stored);
        StoreI32(info.data(), ci::kWidth, 720);
        StoreI32(info.data(), ci::kHeight, 486);
        StoreU32(info.data(), ci::kParNum, 10);
        StoreU32(info.data(), ci::kParDen, 11);
        StoreI32(info.data(), ci::kRateNum, 30000);
        StoreI32(info.data(), ci::kRateDen, 1001);
        std::vector<std::uint8_t> file(12, 0);
        StoreU32(file.data(), 8, fileType);
        ASSERT_EQ(host->Call(BT_SEL_GET_CLIP_INFO, file.data(), info.data()), 0);

        // The picture fields are read, not written; byte 102 stays.
        EXPECT_EQ(LoadI32(info.data(), ci::kWidth), 720);
        for (std::size_t i = ci::kFrameDuration; i < ci::kFrameDuration + 8; ++i)
            EXPECT_EQ(info[i], 0xCD);

        void* restored = LoadPtr(info.data(), ci::kPersisted);
        EXPECT_NE(restored, stored);
        EXPECT_EQ(host->Memory().BlockSize(restored), bt::kToneSettingsSize);
        const auto s = bt::LoadToneSettings(restored);
        EXPECT_EQ(s.version, 1u);
        EXPECT_EQ(s.audioFrameRate, 44100.0f);
        EXPECT_EQ(s.audioChannelType, 2u);
        EXPECT_EQ(s.identifyChannels, 1);
        EXPECT_EQ(s.frequency, 400.0f);
        EXPECT_EQ(s.amplitude, 0.5f);
        EXPECT_EQ(s.identifierFormat, 1);
        EXPECT_EQ(s.colorSpaceType, colorSpace);
        EXPECT_EQ(s.frameWidth, 720);
        EXPECT_EQ(s.frameHeight, 486);
        EXPECT_EQ(s.par, zelmediatypes::kPixelAspectRatio_DVNTSC);
        EXPECT_EQ(s.videoFrameRate, 8475667200);
        EXPECT_EQ(s.dropFrame, 0);
        EXPECT_EQ(s.preset, 3);

        // The next request takes the same path and gives the same record.
        auto again = host->GetClipInfo(fileType, restored);
        ASSERT_EQ(again.result, 0);
        EXPECT_EQ(bt::LoadToneSettings(again.description.perFileRecord).colorSpaceType, colorSpace);
        host->ReleaseFileRecord(again.description.perFileRecord);
        host->ReleaseFileRecord(LoadPtr(info.data(), ci::kPerFileRecord));
        host->Memory().Release(again.description.persisted);
        EXPECT_EQ(host->Memory().LiveBlocks(), 0u);
    }
}

TEST_F(ClipInfoTest, SoundLengthIsFiveSecondsOfTheRateTruncatedWhateverItsSign)
{
    constexpr auto max = std::numeric_limits<std::int64_t>::max();
    constexpr auto min = std::numeric_limits<std::int64_t>::min();
    const float inf = std::numeric_limits<float>::infinity();
    // 44100.3 × 5 is 220501.5 in single precision: the count is truncated.
    for (auto [rate, samples] : {std::pair{44100.3f, std::int64_t{220501}}, {-48000.0f, -240000},
                                 {-44100.3f, -220501}, {-0.1f, 0}, {0.0f, 0}, {inf, max}, {-inf, min},
                                 {std::numeric_limits<float>::quiet_NaN(), 0}}) {
        bt::ToneSettings s;
        s.audioFrameRate = rate;
        void* stored = Store(s);
        std::vector<std::uint8_t> info;
        ASSERT_EQ(Describe(BT_FILETYPE_HDBR, stored, info), 0);
        EXPECT_EQ(LoadI64(info.data(), ci::kAudioSamples), samples) << rate;
        host->ReleaseFileRecord(LoadPtr(info.data(), ci::kPerFileRecord));
        host->Memory().Release(stored);
    }
}

TEST_F(ClipInfoTest, VersionOneRateBecomesTicksPerFrameWhateverItsSign)
{
    std::vector<std::uint8_t> old(bt::kToneSettingsSize, 0);
    StoreU32(old.data(), 0, 1);
    for (auto [num, den, ticks] : {std::tuple{-25, 1, std::int64_t{-10160640000}},
                                   std::tuple{30000, -1001, std::int64_t{-8475667200}},
                                   std::tuple{0, 7, std::numeric_limits<std::int64_t>::max()}}) {
        void* stored = host->StoreSettings(old.data(), old.size());
        std::vector<std::uint8_t> info = Sentinel(ci::kMinSize);
        StorePtr(info.data(), ci::kPersisted, stored);
        StoreI32(info.data(), ci::kRateNum, num);
        StoreI32(info.data(), ci::kRateDen, den);
        std::vector<std::uint8_t> file(12, 0);
        ASSERT_EQ(host->Call(BT_SEL_GET_CLIP_INFO, file.data(), info.data()), 0);
        void* restored = LoadPtr(info.data(), ci::kPersisted);
        void* perFile = LoadPtr(info.data(), ci::kPerFileRecord);
        EXPECT_EQ(bt::LoadToneSettings(restored).videoFrameRate, ticks) << num << "/" << den;
        EXPECT_EQ(bt::LoadToneSettings(perFile).videoFrameRate, ticks) << num << "/" << den;
        host->ReleaseFileRecord(perFile);
        host->Memory().Release(restored);
    }
    EXPECT_EQ(host->Memory().LiveBlocks(), 0u);
}

TEST_F(ClipInfoTest, FailingHostAllocatorGives4AndKeepsTheStoredSettings)
{
    std::vector<std::uint8_t> old(bt::kToneSettingsSize, 0);
    StoreU32(old.data(), 0, 1);
    void* stored = host->StoreSettings(old.data(), old.size());
    host->Memory().FailAllocations(1);

    std::vector<std::uint8_t> info;
    EXPECT_EQ(Describe(BT_FILETYPE_BARS, stored, info), 4);
    EXPECT_EQ(LoadPtr(info.data(), ci::kPersisted), stored);
    for (std::size_t i = ci::kPerFileRecord; i < ci::kPerFileRecord + 8; ++i)
        EXPECT_EQ(info[i], 0xCD) << "no per-file record handed out";
    EXPECT_EQ(LoadU32(info.data(), ci::kFlag182), 6u); // the sound fields stay written
    EXPECT_EQ(host->Memory().LiveBlocks(), 1u);
    host->Memory().Release(stored);
}

TEST_F(ClipInfoTest, EveryCallHandsOutADistinctRecordAndColourManagementFollowsTheHost)
{
    auto a = host->GetClipInfo(BT_FILETYPE_HDBR, nullptr);
    CVM::HostControl::SetAbleToSupportColorManagement(false);
    auto b = host->GetClipInfo(BT_FILETYPE_HDBR, nullptr);
    CVM::HostControl::SetAbleToSupportColorManagement(true);
    EXPECT_NE(a.description.perFileRecord, b.description.perFileRecord);
    EXPECT_TRUE(a.description.colorManaged);
    EXPECT_FALSE(b.description.colorManaged);
    host->ReleaseFileRecord(a.description.perFileRecord);
    host->ReleaseFileRecord(b.description.perFileRecord);
}

TEST_F(ClipInfoTest, NullClipInformationRecordIsNotServed)
{
    EXPECT_EQ(host->Call(BT_SEL_GET_CLIP_INFO, nullptr, nullptr), 3);
    EXPECT_EQ(host->Memory().AllocationCount(), 0u);
}
