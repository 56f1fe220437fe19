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

TEST(PropertyList, ValuesReadAsTheirKindIsWritten)
{
    auto property = [](const char* key, std::vector<std::uint8_t> data) {
        bthost::PluginPropertyEntry p;
        p.key = bt::FourCC(key);
        p.data = std::move(data);
        return bthost::DescribePropertyValue(p);
    };
    EXPECT_EQ(property("name", {5, 'B', 'a', 'r', 's', '!', 0, 0}), "\"Bars!\"");
    EXPECT_EQ(property("catg", {9, 'x'}), "\"\"") << "a length past the data";
    EXPECT_EQ(property("8664", {'G', 'o', 0, 'x'}), "\"Go\"");
    EXPECT_EQ(property("wx86", {'G', 'o'}), "\"Go\"") << "no terminator";
    EXPECT_EQ(property("vers", {0x78, 0x56, 0x34, 0x12}), "0x12345678");
    EXPECT_EQ(property("vers", {1, 2, 3}), "3 bytes");
    EXPECT_EQ(property("kind", {'I'}), "1 bytes");

    const std::vector<std::uint8_t> two{
        1, 0, 0, 0, 0, 0, 2, 0, 0, 0,                                     // version 1, count 2
        'D', 'C', 'B', 'A', 'd', 'n', 'i', 'k', 7, 0, 0, 0, 2, 0, 0, 0, 0, 0, // 'kind', 2 bytes
        'D', 'C', 'B', 'A', 'e', 'n', 'i', 'k', 8, 0, 0, 0, 0, 0, 0, 0};      // 'kine', none
    const auto list = bthost::DecodePropertyList(two);
    ASSERT_EQ(list.properties.size(), 2u);
    EXPECT_EQ(bthost::FindProperty(list, bt::FourCC("kind")), &list.properties[0]);
    EXPECT_EQ(bthost::FindProperty(list, bt::FourCC("kine")), &list.properties[1]);
    EXPECT_EQ(list.properties[1].offset, 28u);
    EXPECT_EQ(bthost::FindProperty(list, bt::FourCC("vers")), nullptr);
}
