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
    EXPECT_EQ(suites.Events().size(), 4u);
}
