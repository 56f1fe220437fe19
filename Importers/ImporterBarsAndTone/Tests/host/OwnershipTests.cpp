// Long random call sequences with failing allocations and suites: after every
// step the host holds exactly its own blocks, no suite and no frame. Per-file
// records live on the module's heap, where the sanitizers' leak check sees them.

#include "ModuleFixture.h"

#include "ImporterBarsAndTone/HostRecords.h"
#include "bthost/PictureRequests.h"
#include "host/ToneSettings.h"

#include <algorithm>
#include <cstring>
#include <random>
#include <set>

namespace {

constexpr int kSteps = 4000;

struct ClipState {
    void* stored = nullptr;
    std::uint32_t fileType = BT_FILETYPE_BARS;
    std::vector<void*> perFiles;
};

class Ownership : public ModuleTest {
protected:
    std::mt19937 random{20261205};

    void SetUp() override
    {
        ModuleTest::SetUp();
        // A frame the pool hands out again keeps its last picture's pixels in
        // what is now padding: refilled, only the module's own writes show.
        host->Frames().SetOptions({.refillReused = true});
    }

    std::uint32_t Below(std::uint32_t bound) { return std::uniform_int_distribution<std::uint32_t>(0, bound - 1)(random); }

    ClipState NewClip()
    {
        ClipState clip;
        clip.fileType = Below(2) == 0 ? BT_FILETYPE_BARS : BT_FILETYPE_HDBR;
        if (Below(4) == 0)
            return clip; // described from the host's proposal alone
        bt::ToneSettings s;
        const std::uint32_t versions[] = {1, 2, 2, 0, 7};
        s.version = versions[Below(5)];
        s.colorSpaceType = static_cast<std::uint8_t>(Below(6));
        s.frameWidth = static_cast<std::int32_t>(Below(64)) - 2;
        s.frameHeight = static_cast<std::int32_t>(Below(40)) - 2;
        s.audioChannelCount = Below(8);
        clip.stored = host->StoreSettings(&s, sizeof s);
        return clip;
    }

    void Describe(ClipState& clip)
    {
        const bool failing = Below(5) == 0;
        if (failing)
            host->Memory().FailAllocations(1);
        const bool old = clip.stored != nullptr && bt::LoadToneSettingsVersion(clip.stored) == 1;
        auto info = host->GetClipInfo(clip.fileType, clip.stored, 48000.0f);
        host->Memory().FailAllocations(0);
        if (info.result == BT_RESULT_MEMORY_ERROR) {
            EXPECT_TRUE(failing && old);
            EXPECT_EQ(info.description.persisted, clip.stored);
            return;
        }
        ASSERT_EQ(info.result, 0);
        EXPECT_EQ(info.description.persisted == clip.stored, !old);
        clip.stored = info.description.persisted;
        ASSERT_TRUE(live.insert(info.description.perFileRecord).second) << "a per-file record handed out twice";
        clip.perFiles.push_back(info.description.perFileRecord);
    }

    void ReleaseOne(ClipState& clip)
    {
        if (clip.perFiles.empty())
            return;
        const std::size_t i = Below(static_cast<std::uint32_t>(clip.perFiles.size()));
        EXPECT_EQ(host->ReleaseFileRecord(clip.perFiles[i]), 0);
        live.erase(clip.perFiles[i]);
        clip.perFiles.erase(clip.perFiles.begin() + static_cast<std::ptrdiff_t>(i));
    }

    void Picture(const ClipState& clip)
    {
        bthost::PictureRequest request;
        request.settingsFirst = clip.perFiles.empty() ? clip.stored : clip.perFiles[Below(static_cast<std::uint32_t>(clip.perFiles.size()))];
        request.sizePair[0] = static_cast<std::int32_t>(Below(50));
        request.sizePair[1] = static_cast<std::int32_t>(Below(30));
        const std::string suites[] = {"Corvella CPix Creator 2 Suite", "Corvella CPix Suite", "Corvella Pixel Format Suite"};
        const std::uint32_t hostility = Below(8);
        if (hostility < 3)
            host->Suites().RefuseSuite(suites[hostility], true);
        if (hostility == 3)
            host->Suites().OfferBasicSuite(false);
        if (hostility == 4)
            host->Frames().FailCheck(static_cast<int>(Below(3)) + 1, true);
        const auto picture = bthost::RequestPicture(*host, request);
        for (const std::string& name : suites)
            host->Suites().RefuseSuite(name, false);
        host->Suites().OfferBasicSuite(true);
        for (int slot = 1; slot <= 3; ++slot)
            host->Frames().FailCheck(slot, false);
        const std::set<std::int32_t> answers{0, 3, 5, 301};
        EXPECT_TRUE(answers.count(picture.result)) << picture.result;
        if (picture.frame != nullptr) {
            EXPECT_TRUE(host->Frames().OutsideUntouched(picture.frame));
            host->Frames().Release(picture.frame);
        }
    }

    void Drop(std::vector<ClipState>& clips, std::size_t i)
    {
        while (!clips[i].perFiles.empty())
            ReleaseOne(clips[i]);
        host->Memory().Release(clips[i].stored);
        clips.erase(clips.begin() + static_cast<std::ptrdiff_t>(i));
    }

    void ExpectLedger(const std::vector<ClipState>& clips)
    {
        const auto stored = static_cast<std::size_t>(
            std::count_if(clips.begin(), clips.end(), [](const ClipState& c) { return c.stored != nullptr; }));
        ASSERT_EQ(host->Memory().LiveBlocks(), stored);
        ASSERT_EQ(host->Memory().BadReleaseCount(), 0u);
        ASSERT_TRUE(host->Suites().Outstanding().empty());
        ASSERT_EQ(host->Frames().LiveFrames(), 0u);
    }

    std::set<void*> live;
};

TEST_F(Ownership, HostBlocksAndPerFileRecordsBalanceOverRandomSequences)
{
    std::vector<ClipState> clips;
    for (int step = 0; step < kSteps; ++step) {
        const std::uint32_t op = Below(10);
        if (clips.empty() || op == 0) {
            clips.push_back(NewClip());
        } else {
            const std::size_t i = Below(static_cast<std::uint32_t>(clips.size()));
            if (op <= 3)
                Describe(clips[i]);
            else if (op <= 5)
                ReleaseOne(clips[i]);
            else if (op <= 8)
                Picture(clips[i]);
            else
                Drop(clips, i);
        }
        ExpectLedger(clips);
        if (HasFatalFailure())
            return;
    }
    while (!clips.empty())
        Drop(clips, 0);
    EXPECT_EQ(host->Memory().LiveBlocks(), 0u);
    EXPECT_TRUE(live.empty());
}

} // namespace
