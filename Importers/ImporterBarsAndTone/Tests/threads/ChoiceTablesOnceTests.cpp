// The dialog's value tables are built once per process, on first use,
// whichever threads ask first. ctest runs each test in a process of its own,
// so the first use here is the process's first use.

#include "dialog/ChoiceTables.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

constexpr int kThreads = 8;

struct Seen {
    const void* audio = nullptr;
    const void* pars = nullptr;
    const void* video = nullptr;
    std::u16string lastAudioLabel, lastVideoLabel;
};

TEST(ChoiceTables, BuiltOnceUnderConcurrentFirstUse)
{
    std::atomic<int> waiting{kThreads};
    std::vector<Seen> seen(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            --waiting;
            while (waiting.load() > 0) {
            }
            // Each thread starts with a different table, so all three see a
            // first use that races with the others.
            Seen& s = seen[static_cast<std::size_t>(t)];
            for (int k = 0; k < 3; ++k) {
                switch ((t + k) % 3) {
                case 0: s.audio = &bt::dialog::GetAudioRates(); break;
                case 1: s.pars = &bt::dialog::GetPixelAspectRatios(); break;
                default: s.video = &bt::dialog::GetVideoRates(); break;
                }
            }
            s.lastAudioLabel = bt::dialog::GetAudioRates().back().label;
            s.lastVideoLabel = bt::dialog::GetVideoRates().back().label;
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    for (const Seen& s : seen) {
        EXPECT_EQ(s.audio, &bt::dialog::GetAudioRates());
        EXPECT_EQ(s.pars, &bt::dialog::GetPixelAspectRatios());
        EXPECT_EQ(s.video, &bt::dialog::GetVideoRates());
        EXPECT_EQ(s.lastAudioLabel, bt::dialog::GetAudioRates().back().label);
        EXPECT_EQ(s.lastVideoLabel, bt::dialog::GetVideoRates().back().label);
    }
    EXPECT_EQ(bt::dialog::GetAudioRates().size(), 5u);
    EXPECT_EQ(bt::dialog::GetPixelAspectRatios().size(), 8u);
    EXPECT_EQ(bt::dialog::GetVideoRates().size(), 9u);
}

} // namespace
