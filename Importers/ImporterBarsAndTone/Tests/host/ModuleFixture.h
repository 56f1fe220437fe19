#pragma once
// A host with the module loaded, for tests that drive it through its exports.

#include "bthost/Host.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <utility>
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

    /// Checks that every byte outside the written {offset, size} fields still
    /// holds the sentinel.
    static void ExpectSentinelOutside(const std::vector<std::uint8_t>& record,
                                      std::initializer_list<std::pair<std::size_t, std::size_t>> written)
    {
        for (std::size_t i = 0; i < record.size(); ++i) {
            bool inField = false;
            for (const auto& [start, size] : written)
                inField |= i >= start && i < start + size;
            if (!inField) {
                EXPECT_EQ(record[i], 0xCD) << "byte " << i;
            }
        }
    }

    std::unique_ptr<bthost::Host> host;
};
