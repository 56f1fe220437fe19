// Every selector that may run concurrently, asked from eight threads on shared
// and per-thread records, must answer as it did on one thread. Under
// ThreadSanitizer this is also the race detector's workload.

#include "../host/ModuleFixture.h"

#include "ImporterBarsAndTone/HostRecords.h"
#include "barsandtone/PackedBytes.h"
#include "bthost/PictureRequests.h"
#include "bthost/SoundRequests.h"
#include "host/ToneSettings.h"

#include <atomic>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <thread>

namespace {

constexpr int kThreads = 8;
constexpr int kRequestsPerThread = 1500;

/// Every byte an answer consists of, kept whole so answers compare exactly.
struct Digest {
    std::string bytes;
    void Add(const void* p, std::size_t size) { bytes.append(static_cast<const char*>(p), size); }
    void Add(const auto& value) { Add(&value, sizeof value); }
    [[nodiscard]] std::string Value() const { return bytes; }
};

struct Clip {
    bt::ToneSettings settings;
    void* stored = nullptr;  ///< the host's block
    void* perFile = nullptr; ///< shared by every thread
};

/// One request a thread can make; `settings` is the record it carries.
using Request = std::function<std::string(bthost::Host&, const void* settings)>;

struct Job {
    std::size_t clip;
    Request request;
};

std::string PictureAnswer(bthost::Host& host, const void* settings)
{
    bthost::PictureRequest request;
    request.settingsFirst = settings;
    const bthost::Picture picture = bthost::RequestPicture(host, request);
    EXPECT_TRUE(picture.result == 0 || picture.result == BT_RESULT_UNSUPPORTED) << picture.result;
    Digest d;
    d.Add(picture.result);
    d.Add(picture.sizePair);
    if (auto view = host.Frames().View(picture.frame)) {
        for (std::int32_t y = 0; y < view->height; ++y)
            d.Add(view->Row(y), static_cast<std::size_t>(view->width) * static_cast<std::size_t>(view->bytesPerPixel));
        EXPECT_TRUE(host.Frames().OutsideUntouched(picture.frame));
        host.Frames().Release(picture.frame);
    }
    return d.Value();
}

std::string PixelFormatAnswer(bthost::Host& host, const void* settings)
{
    const auto answer = bthost::RequestPixelFormat(host, settings);
    Digest d;
    d.Add(answer.result);
    d.Add(answer.pixelFormat);
    return d.Value();
}

std::string ColourAnswer(bthost::Host& host, const void* settings)
{
    const auto answer = bthost::RequestColourDescription(host, settings);
    Digest d;
    d.Add(answer.result);
    d.Add(answer.record.data() + 8, answer.record.size() - 8); // past the settings pointer
    return d.Value();
}

std::size_t Channels(const void* settings) { return bt::packed::LoadU32(settings, 12); }

std::string SoundAnswer(bthost::Host& host, const void* settings, std::int64_t position, std::uint32_t count)
{
    const auto sound = bthost::RequestAudio(host, {settings, nullptr}, position, count, Channels(settings), -7.0f);
    Digest d;
    d.Add(sound.result);
    for (const auto& channel : sound.channels)
        d.Add(channel.data(), channel.size() * sizeof(float));
    return d.Value();
}

std::string LevelAnswer(bthost::Host& host, const void* settings, std::int64_t position, float rate,
                          std::int32_t count)
{
    const auto levels = bthost::RequestLevels(host, {nullptr, settings}, position, rate, count, Channels(settings), -7.0f);
    Digest d;
    d.Add(levels.result);
    for (const auto& channel : levels.upper)
        d.Add(channel.data(), channel.size() * sizeof(float));
    for (const auto& channel : levels.lower)
        d.Add(channel.data(), channel.size() * sizeof(float));
    return d.Value();
}

/// The description of a clip, releasing the per-file record it brings.
std::string ClipInfoAnswer(bthost::Host& host, void* stored)
{
    auto info = host.GetClipInfo(BT_FILETYPE_BARS, stored);
    EXPECT_EQ(host.ReleaseFileRecord(info.description.perFileRecord), 0);
    bt::packed::StorePtr(info.record.data(), bt::records::ClipInfo::kPerFileRecord, nullptr);
    Digest d;
    d.Add(info.result);
    d.Add(info.record.data(), info.record.size());
    return d.Value();
}

class ConcurrentRequests : public ModuleTest {
protected:
    void SetUp() override
    {
        ModuleTest::SetUp();
        host->Frames().SetOptions({.refillReused = true});
        const std::array<std::array<std::int32_t, 2>, 2> sizes{{{48, 27}, {33, 17}}};
        // Every colour space, and the first value without one.
        for (std::uint8_t space = 0; space <= bt::kColorSpaces.size(); ++space)
            for (const auto& size : sizes)
                AddClip([&](bt::ToneSettings& s) {
                    s.colorSpaceType = space;
                    s.frameWidth = size[0];
                    s.frameHeight = size[1];
                });
        for (std::uint8_t format = 0; format < 4; ++format)
            AddClip([&](bt::ToneSettings& s) {
                s.identifyChannels = 1;
                s.identifierFormat = format;
                s.audioChannelCount = format < 2 ? 2 : 6;
                s.audioFrameRate = format % 2 == 0 ? 48000.0f : 44100.0f;
                s.frameWidth = 40;
                s.frameHeight = 22;
            });
        AddClip([](bt::ToneSettings& s) {
            s.frequency = 440.0f;
            s.amplitude = 0.5f;
            s.audioChannelCount = 1;
            s.frameWidth = 24;
            s.frameHeight = 24;
        });

        for (std::size_t c = 0; c < clips.size(); ++c) {
            jobs.push_back({c, PictureAnswer});
            jobs.push_back({c, PixelFormatAnswer});
            jobs.push_back({c, ColourAnswer});
            jobs.push_back({c, [this, c](bthost::Host& h, const void*) { return ClipInfoAnswer(h, clips[c].stored); }});
            // Sound of every mode: steady tones and the four cadences, at
            // positions that straddle slots and cycles, and level overviews
            // sparser and denser than the tones.
            for (const std::int64_t position : {std::int64_t{0}, std::int64_t{47993}, std::int64_t{1234567}})
                jobs.push_back({c, [position](bthost::Host& h, const void* s) { return SoundAnswer(h, s, position, 1001); }});
            for (const float rate : {10.0f, 100.0f, 48000.0f})
                jobs.push_back({c, [rate](bthost::Host& h, const void* s) { return LevelAnswer(h, s, 4800, rate, 300); }});
        }
    }

    void TearDown() override
    {
        for (Clip& clip : clips) {
            EXPECT_EQ(host->ReleaseFileRecord(clip.perFile), 0);
            host->Memory().Release(clip.stored);
        }
        EXPECT_EQ(host->Memory().LiveBlocks(), 0u);
        EXPECT_EQ(host->Frames().LiveFrames(), 0u);
        ModuleTest::TearDown();
    }

    template <typename Edit>
    void AddClip(Edit edit)
    {
        Clip clip;
        edit(clip.settings);
        clip.stored = host->StoreSettings(&clip.settings, sizeof clip.settings);
        const auto info = host->GetClipInfo(BT_FILETYPE_HDBR, clip.stored);
        ASSERT_EQ(info.result, 0);
        clip.perFile = info.description.perFileRecord;
        clips.push_back(clip);
    }

    /// Each thread's own per-file record of a clip, made and released by it.
    void* OwnRecord(std::size_t clip)
    {
        const auto info = host->GetClipInfo(BT_FILETYPE_HDBR, clips[clip].stored);
        EXPECT_EQ(info.result, 0);
        return info.description.perFileRecord;
    }

    std::vector<Clip> clips;
    std::vector<Job> jobs;
};

TEST_F(ConcurrentRequests, EveryAnswerEqualsTheSingleThreadedOne)
{
    std::vector<std::string> expected;
    for (const Job& job : jobs)
        expected.push_back(job.request(*host, clips[job.clip].stored));

    std::atomic<int> mismatches{0};
    std::atomic<int> requests{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            std::mt19937 random(static_cast<unsigned>(t) * 7919u + 1u);
            std::uniform_int_distribution<std::size_t> pick(0, jobs.size() - 1);
            for (int i = 0; i < kRequestsPerThread; ++i) {
                const std::size_t j = pick(random);
                const Job& job = jobs[j];
                // Shared records (stored and per-file) and, every fourth
                // request, a per-file record of this thread's own.
                const void* settings = nullptr;
                void* own = nullptr;
                switch (i % 4) {
                case 0: settings = clips[job.clip].stored; break;
                case 1: settings = own = OwnRecord(job.clip); break;
                default: settings = clips[job.clip].perFile; break;
                }
                if (job.request(*host, settings) != expected[j])
                    ++mismatches;
                if (own != nullptr) {
                    EXPECT_EQ(host->ReleaseFileRecord(own), 0);
                }
                ++requests;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(requests.load(), kThreads * kRequestsPerThread);
    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_TRUE(host->Suites().Outstanding().empty());
}

} // namespace
