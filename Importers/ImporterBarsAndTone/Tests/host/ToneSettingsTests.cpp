#include "host/ToneSettings.h"

#include "barsandtone/PackedBytes.h"

#include <gtest/gtest.h>

#include <array>

using namespace bt::packed;

TEST(ToneSettings, DefaultRecordHasTheStoredBytes)
{
    std::array<std::uint8_t, 72> bytes{};
    bytes.fill(0xCD);
    bt::StoreToneSettings(bytes.data(), bt::ToneSettings{});
    EXPECT_EQ(LoadU32(bytes.data(), 0), 2u);
    EXPECT_EQ(LoadF32(bytes.data(), 4), 48000.0f);
    EXPECT_EQ(LoadU32(bytes.data(), 8), 2u);
    EXPECT_EQ(LoadU32(bytes.data(), 12), 2u);
    EXPECT_EQ(bytes[16], 0);
    EXPECT_EQ(LoadF32(bytes.data(), 20), 1000.0f);
    EXPECT_EQ(LoadF32(bytes.data(), 24), 0.25f);
    EXPECT_EQ(bytes[28], 0);
    EXPECT_EQ(LoadI32(bytes.data(), 32), 1920);
    EXPECT_EQ(LoadI32(bytes.data(), 36), 1080);
    EXPECT_EQ(LoadU32(bytes.data(), 40), 40u);
    EXPECT_EQ(LoadU32(bytes.data(), 44), 33u);
    EXPECT_EQ(LoadI64(bytes.data(), 48), 8475667200);
    EXPECT_EQ(bytes[56], 0);
    EXPECT_EQ(bytes[64], 1);
    EXPECT_EQ(bytes[65], 3);
    // Padding is written as zeros, so stored records are reproducible.
    for (std::size_t i : {17, 18, 19, 29, 30, 31, 57, 63, 66, 71})
        EXPECT_EQ(bytes[i], 0) << i;
}

TEST(ToneSettings, BulkCopyKeepsEveryByteAndOldRecordsKeepOnlyTheirTonePart)
{
    std::array<std::uint8_t, 72> source{};
    for (std::size_t i = 0; i < source.size(); ++i)
        source[i] = static_cast<std::uint8_t>(i * 7 + 1);
    std::array<std::uint8_t, 72> copy{};
    bt::StoreToneSettings(copy.data(), bt::LoadToneSettings(source.data()));
    EXPECT_EQ(copy, source);

    // Only 29 bytes of an old record may exist.
    std::array<std::uint8_t, bt::kToneSettingsOldSize> old{};
    StoreU32(old.data(), 0, 1);
    StoreF32(old.data(), 20, 440.0f);
    old[28] = 3;
    const auto s = bt::LoadOldToneSettings(old.data());
    EXPECT_EQ(s.version, 1u);
    EXPECT_EQ(s.frequency, 440.0f);
    EXPECT_EQ(s.identifierFormat, 3);
    EXPECT_EQ(s.frameWidth, 1920); // beyond byte 28: defaults
}
