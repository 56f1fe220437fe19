#include "barsandtone/FourCC.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(FourCC, FirstCharacterIsTheMostSignificantByteBothWays)
{
    static_assert(bt::FourCC("BARS") == 0x42415253u);
    EXPECT_EQ(bt::FourCCText(0x494D5054u), "IMPT");
    EXPECT_EQ(bt::FourCCText(bt::FourCC("7QZX")), "7QZX");

    // Stored little-endian, as in host records, the characters come reversed.
    const std::uint32_t code = bt::FourCC("HDBR");
    unsigned char stored[4];
    std::memcpy(stored, &code, sizeof stored);
    EXPECT_EQ(std::memcmp(stored, "RBDH", 4), 0);
}
