#include "host/ToneSettings.h"

#include "barsandtone/PackedBytes.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>

using namespace bt::packed;

TEST(ToneSettings, DefaultRecordHasTheStoredBytes)
{
    // Offset, size and value of every field, little-endian; the padding
    // between them is zeros, so stored records are reproducible.
    const auto f32 = [](float v) { return std::uint64_t{std::bit_cast<std::uint32_t>(v)}; };
    const struct {
        std::size_t offset, size;
        std::uint64_t value;
    } fields[] = {{0, 4, 2},     {4, 4, f32(48000.0f)}, {8, 4, 2},           {12, 4, 2},  {16, 1, 0},
                  {20, 4, f32(1000.0f)}, {24, 4, f32(0.25f)}, {28, 1, 0}, {32, 4, 1920}, {36, 4, 1080},
                  {40, 4, 40},   {44, 4, 33},           {48, 8, 8475667200}, {56, 1, 0},  {64, 1, 1}, {65, 1, 3}};
    std::array<std::uint8_t, 72> want{};
    for (const auto& f : fields)
        for (std::size_t i = 0; i < f.size; ++i)
            want[f.offset + i] = static_cast<std::uint8_t>(f.value >> 8 * i);
    std::array<std::uint8_t, 72> bytes{};
    bytes.fill(0xCD);
    bt::StoreToneSettings(bytes.data(), bt::ToneSettings{});
    EXPECT_EQ(bytes, want);
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
