#pragma once
// A host with the module loaded, for tests that drive it through its exports.

#include "bthost/Host.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

class ModuleTest : public ::testing::Test {
protected:
    void SetUp() override { host = std::make_unique<bthost::Host>(BT_MODULE_PATH); }
    void TearDown() override
    {
        EXPECT_EQ(host->Memory().BadReleaseCount(), 0u);
        EXPECT_TRUE(host->Suites().Outstanding().empty());
    }

    /// A host record filled with a sentinel, so untouched bytes can be checked.
    static std::vector<std::uint8_t> Sentinel(std::size_t size) { return std::vector<std::uint8_t>(size, 0xCD); }

    std::unique_ptr<bthost::Host> host;
};
