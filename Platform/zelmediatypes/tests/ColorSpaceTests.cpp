#include "zelmediatypes/ColorSpace.h"

#include <gtest/gtest.h>

using namespace zelmediatypes::color;

TEST(ColorSpace, EqualityFollowsTheId)
{
    const ColorSpace spaces[] = {kColorSpace_Rec601, kColorSpace_Rec709, kColorSpace_Rec2100HLG,
                                 kColorSpace_Rec2100PQ, kColorSpace_DCIP3, ColorSpace()};
    for (std::size_t i = 0; i < std::size(spaces); ++i)
        for (std::size_t j = 0; j < std::size(spaces); ++j)
            EXPECT_EQ(spaces[i] == spaces[j], i == j) << i << " " << j;
    EXPECT_EQ(ColorSpace(kColorSpace_Rec709.ToGuid()), kColorSpace_Rec709);
}

TEST(ColorSpace, GuidPartsLieLittleEndian)
{
    const Guid g = Guid::FromParts(0x01020304, 0x0506, 0x0708, {9, 10, 11, 12, 13, 14, 15, 16});
    const std::array<std::uint8_t, 16> expected{4, 3, 2, 1, 6, 5, 8, 7, 9, 10, 11, 12, 13, 14, 15, 16};
    EXPECT_EQ(g.bytes, expected);
}
