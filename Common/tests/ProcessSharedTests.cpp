#include "barsandtone/ProcessShared.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>

TEST(ProcessShared, SameNameSameZeroFilledBlockOtherNameOtherBlock)
{
    auto& a = bt::ProcessShared<std::atomic<long long>>("test.ProcessShared.a");
    EXPECT_EQ(a.load(), 0);
    a.store(42);
    EXPECT_EQ(bt::ProcessShared<std::atomic<long long>>("test.ProcessShared.a").load(), 42);
    auto& b = bt::ProcessShared<std::atomic<long long>>("test.ProcessShared.b");
    EXPECT_NE(static_cast<void*>(&a), static_cast<void*>(&b));
    EXPECT_EQ(b.load(), 0);
}

TEST(ProcessShared, SingletonIsMadeOnceAndKeepsItsState)
{
    struct State {
        std::mutex mutex;
        std::string text = "made";
    };
    auto& first = bt::ProcessSingleton<State>("test.ProcessShared.singleton");
    EXPECT_EQ(first.text, "made");
    first.text = "changed";
    auto& again = bt::ProcessSingleton<State>("test.ProcessShared.singleton");
    EXPECT_EQ(&first, &again);
    EXPECT_EQ(again.text, "changed");
}
