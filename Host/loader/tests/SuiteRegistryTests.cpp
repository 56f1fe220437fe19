#include "bthost/SuiteRegistry.h"

#include <gtest/gtest.h>

using bthost::SuiteRegistry;

TEST(SuiteRegistry, AcquiresByNameAndVersionAndTracksOutstanding)
{
    SuiteRegistry suites;
    const int table = 0;
    suites.Register("Suite", 4, &table);
    const void* got = nullptr;
    EXPECT_EQ(suites.Acquire("Suite", 4, &got), 0);
    EXPECT_EQ(got, &table);
    EXPECT_EQ(suites.Acquire("Suite", 3, &got), -1);
    EXPECT_EQ(got, nullptr);
    EXPECT_EQ(suites.Outstanding().at("Suite"), 1);
    suites.Release("Suite", 4);
    EXPECT_TRUE(suites.Outstanding().empty());
    suites.RefuseSuite("Suite", true);
    EXPECT_EQ(suites.Acquire("Suite", 4, &got), -1);
    suites.RefuseSuite("Suite", false);
    EXPECT_EQ(suites.Acquire("Suite", 4, &got), 0);
    EXPECT_EQ(suites.Events().size(), 5u);
}

// What a careless module does shows in the log and the outstanding count; none
// of it reaches a table it was not given.
TEST(SuiteRegistry, MisuseIsRecordedAndNeverAnswered)
{
    SuiteRegistry suites;
    const int table = 0;
    suites.Register("Suite", 1, &table);
    const void* got = &table;
    EXPECT_EQ(suites.Acquire(nullptr, 1, &got), -1);
    EXPECT_EQ(got, nullptr);
    EXPECT_EQ(suites.Acquire("Suite", 1, nullptr), 0); // answered, with nowhere to put the table
    EXPECT_EQ(suites.Acquire("suite", 1, &got), -1) << "names are matched exactly";
    suites.Release("Suite", 1);
    suites.Release("Suite", 1); // once more than acquired
    suites.Release(nullptr, 1);
    EXPECT_EQ(suites.Outstanding(), (std::map<std::string, int>{{"", -1}, {"Suite", -1}}));

    suites.Register("Suite", 1, nullptr); // withdrawn
    EXPECT_EQ(suites.Acquire("Suite", 1, &got), -1);
    const auto events = suites.Events();
    ASSERT_EQ(events.size(), 7u);
    EXPECT_EQ(events[0].name, "");
    EXPECT_EQ(events[0].result, -1);
    suites.ClearEvents();
    EXPECT_TRUE(suites.Outstanding().empty());
}
