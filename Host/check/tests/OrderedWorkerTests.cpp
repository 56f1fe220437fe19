// The worker the sound analysis and the loudness meter run on: jobs in the
// order given, the giver held back only when too many wait, and a job's
// failure thrown back to the giver.

#include "OrderedWorker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <stdexcept>
#include <thread>
#include <vector>

using btcheck::OrderedWorker;

TEST(OrderedWorker, RunsJobsInTheOrderGiven)
{
    std::vector<int> ran;
    OrderedWorker worker(4);
    for (int i = 0; i < 100; ++i)
        worker.Post([&ran, i] { ran.push_back(i); });
    worker.Finish();
    ASSERT_EQ(ran.size(), 100u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(ran[static_cast<std::size_t>(i)], i);
}

TEST(OrderedWorker, TheGiverWaitsOnlyWhenTooManyWait)
{
    std::promise<void> open;
    std::shared_future<void> gate = open.get_future().share();
    std::atomic<int> given = 0;
    OrderedWorker worker(2);
    // One job running (held at the gate) and two waiting: the fourth Post waits.
    auto giver = std::async(std::launch::async, [&] {
        for (int i = 0; i < 4; ++i) {
            worker.Post([gate] { gate.wait(); });
            ++given;
        }
    });
    for (int tries = 0; given < 3 && tries < 1000; ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(given, 3);
    open.set_value();
    giver.get();
    worker.Finish();
    EXPECT_EQ(given, 4);
}

TEST(OrderedWorker, AJobsFailureReachesTheGiver)
{
    OrderedWorker worker(4);
    std::atomic<int> after = 0;
    worker.Post([] { throw std::runtime_error("the module gave no sound"); });
    // Jobs already waiting behind the failed one are dropped; the failure is thrown once.
    EXPECT_THROW(
        {
            for (int i = 0; i < 1000; ++i)
                worker.Post([&after] { ++after; });
            worker.Finish();
        },
        std::runtime_error);
    EXPECT_NO_THROW(worker.Finish());
}
