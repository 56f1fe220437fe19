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
#include <functional>
#include <random>
#include <string>
#include <thread>

namespace {

constexpr int kThreads = 8;
constexpr int kRequestsPerThread = 1500;

/// An answer as its bytes, so answers compare exactly.
struct Answer {
    std::string bytes;
    Answer& Add(const void* p, std::size_t size)
    {
        bytes.append(static_cast<const char*>(p), size);
        return *this;
    }
    Answer& Add(const auto& value) { return Add(&value, sizeof value); }
    Answer& Add(const bthost::PlanarSamples& planar)
    {
        for (const auto& channel : planar)
            Add(channel.data(), channel.size() * sizeof(float));
        return *this;
    }
};

/// One request a thread can make; `settings` is the record it carries.
using Request = std::function<std::string(bthost::Host&, const void* settings)>;

std::string PictureAnswer(bthost::Host& host, const void* settings)
{
    bthost::PictureRequest request;
    request.settingsFirst = settings;
    const bthost::Picture picture = bthost::RequestPicture(host, request);
    Answer answer;
    answer.Add(picture.result).Add(picture.sizePair);
    if (auto view = host.Frames().View(picture.frame)) {
        for (std::int32_t y = 0; y < view->height; ++y)
            answer.Add(view->Row(y), static_cast<std::size_t>(view->width * view->bytesPerPixel));
        EXPECT_TRUE(host.Frames().OutsideUntouched(picture.frame));
        host.Frames().Release(picture.frame);
    }
    return answer.bytes;
}

std::string FormatAndColourAnswer(bthost::Host& host, const void* settings)
{
    const auto format = bthost::RequestPixelFormat(host, settings);
    const auto colour = bthost::RequestColourDescription(host, settings);
    return Answer()
        .Add(format.result).Add(format.pixelFormat).Add(colour.result)
        .Add(colour.record.data() + 8, colour.record.size() - 8) // past the settings pointer
        .bytes;
}

std::size_t Channels(const void* settings) { return bt::packed::LoadU32(settings, 12); }

Request Sound(std::int64_t position)
{
    return [position](bthost::Host& host, const void* settings) -> std::string {
        const auto sound = bthost::RequestAudio(host, {settings, nullptr}, position, 1001, Channels(settings), -7.0f);
        return Answer().Add(sound.result).Add(sound.channels).bytes;
    };
}

Request Levels(float rate)
{
    return [rate](bthost::Host& host, const void* settings) -> std::string {
        const auto levels = bthost::RequestLevels(host, {nullptr, settings}, 4800, rate, 300, Channels(settings), -7.0f);
        return Answer().Add(levels.result).Add(levels.upper).Add(levels.lower).bytes;
    };
}

class ConcurrentRequests : public ModuleTest {
protected:
    struct Clip {
        void* stored = nullptr;  ///< the host's block
        void* perFile = nullptr; ///< shared by every thread
    };
    struct Job {
        std::size_t clip;
        Request request;
    };

    void SetUp() override
    {
        ModuleTest::SetUp();
        host->Frames().SetOptions({.refillReused = true});
        // Every colour space and the first value without one, at two sizes.
        for (std::uint8_t space = 0; space <= bt::kColorSpaces.size(); ++space)
            for (const auto& [width, height] : {std::pair{48, 27}, std::pair{33, 17}})
                AddClip({.frameWidth = width, .frameHeight = height, .colorSpaceType = space});
        // Every cadence, and a steady tone of its own.
        for (std::uint8_t format = 0; format < 4; ++format)
            AddClip({.audioFrameRate = format % 2 == 0 ? 48000.0f : 44100.0f, .audioChannelCount = format < 2 ? 2u : 6u,
                     .identifyChannels = 1, .identifierFormat = format, .frameWidth = 40, .frameHeight = 22});
        AddClip({.audioChannelCount = 1, .frequency = 440.0f, .amplitude = 0.5f, .frameWidth = 24, .frameHeight = 24});

        for (std::size_t c = 0; c < clips.size(); ++c) {
            jobs.push_back({c, PictureAnswer});
            jobs.push_back({c, FormatAndColourAnswer});
            jobs.push_back({c, [this, c](bthost::Host& h, const void*) { return ClipInfoAnswer(h, clips[c].stored); }});
            // Positions that straddle slots and cycles; level overviews
            // sparser and denser than the tones.
            for (const std::int64_t position : {0, 47993, 1234567})
                jobs.push_back({c, Sound(position)});
            for (const float rate : {10.0f, 100.0f, 48000.0f})
                jobs.push_back({c, Levels(rate)});
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

    void AddClip(const bt::ToneSettings& settings)
    {
        void* stored = host->StoreSettings(&settings, sizeof settings);
        clips.push_back({stored, PerFileRecord(stored)});
    }

    void* PerFileRecord(void* stored)
    {
        const auto info = host->GetClipInfo(BT_FILETYPE_HDBR, stored);
        EXPECT_EQ(info.result, 0);
        return info.description.perFileRecord;
    }

    /// The description of a clip, releasing the per-file record it brings.
    static std::string ClipInfoAnswer(bthost::Host& host, void* stored)
    {
        auto info = host.GetClipInfo(BT_FILETYPE_BARS, stored);
        EXPECT_EQ(host.ReleaseFileRecord(info.description.perFileRecord), 0);
        bt::packed::StorePtr(info.record.data(), bt::records::ClipInfo::kPerFileRecord, nullptr);
        return Answer().Add(info.result).Add(info.record.data(), info.record.size()).bytes;
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
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            std::mt19937 random(static_cast<unsigned>(t) * 7919u + 1u);
            std::uniform_int_distribution<std::size_t> pick(0, jobs.size() - 1);
            for (int i = 0; i < kRequestsPerThread; ++i) {
                const std::size_t j = pick(random);
                const Clip& clip = clips[jobs[j].clip];
                // Shared records (stored and per-file) and, every fourth
                // request, a per-file record of this thread's own.
                void* own = i % 4 == 1 ? PerFileRecord(clip.stored) : nullptr;
                const void* settings = i % 4 == 0 ? clip.stored : own != nullptr ? own : clip.perFile;
                if (jobs[j].request(*host, settings) != expected[j])
                    ++mismatches;
                if (own != nullptr) {
                    EXPECT_EQ(host->ReleaseFileRecord(own), 0);
                }
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches.load(), 0);
}

} // namespace
