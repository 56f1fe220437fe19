#include "bthost/PropertyList.h"

#include "barsandtone/FourCC.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {
// A list of one property, 'kind' = 'IMPT', vendor 'ABCD', id 7.
std::vector<std::uint8_t> OneProperty()
{
    return {1, 0, 0, 0, 0, 0, 1, 0, 0, 0,             // version 1, reserved, count 1
            'D', 'C', 'B', 'A', 'd', 'n', 'i', 'k',   // vendor, key
            7, 0, 0, 0, 4, 0, 0, 0, 'T', 'P', 'M', 'I'}; // id, length, data
}
} // namespace

TEST(PropertyList, DecodesHeaderAndProperties)
{
    const auto list = bthost::DecodePropertyList(OneProperty());
    EXPECT_EQ(list.version, 1);
    ASSERT_EQ(list.properties.size(), 1u);
    const auto& p = list.properties[0];
    EXPECT_EQ(bt::FourCCText(p.vendor), "ABCD");
    EXPECT_EQ(bt::FourCCText(p.key), "kind");
    EXPECT_EQ(p.id, 7u);
    EXPECT_EQ(p.offset, 10u);
    EXPECT_EQ(bthost::DescribePropertyValue(p), "'IMPT'");
}

TEST(PropertyList, RejectsTruncatedAndOverlongLists)
{
    auto bytes = OneProperty();
    for (std::size_t size : {std::size_t{0}, std::size_t{9}, std::size_t{20}, bytes.size() - 1}) {
        const std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_THROW((void)bthost::DecodePropertyList(cut), std::runtime_error) << size;
    }
    bytes.push_back(0);
    EXPECT_THROW((void)bthost::DecodePropertyList(bytes), std::runtime_error);
    auto huge = OneProperty();
    huge[22] = 0xFF; // a data length far past the end
    huge[25] = 0xFF;
    EXPECT_THROW((void)bthost::DecodePropertyList(huge), std::runtime_error);
}

TEST(PropertyList, PascalTextStopsAtItsLengthByteAndRejectsOverruns)
{
    EXPECT_EQ(bthost::PascalText({3, 'a', 'b', 'c', 0}), "abc");
    EXPECT_EQ(bthost::PascalText({9, 'a'}), "");
    EXPECT_EQ(bthost::PascalText({}), "");
}
