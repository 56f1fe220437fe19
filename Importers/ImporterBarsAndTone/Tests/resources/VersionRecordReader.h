#pragma once
// A reader of the version record (resource 16, 1) as Windows lays it out,
// written from that layout rather than from the module's generator, so the
// resource tests check the generator against it.

#include "barsandtone/PackedBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace expected {

// A version record node: 16-bit total length, value length, type (1 = text),
// a zero-terminated UTF-16 key, then the value and the children, each on a
// 4-byte boundary.
struct VersionNode {
    std::string key;
    std::string text;                 ///< type 1 values
    std::vector<std::uint8_t> binary; ///< type 0 values
    std::vector<VersionNode> children;
};

inline std::size_t Align4(std::size_t n) { return (n + 3) & ~std::size_t{3}; }

inline std::string Utf16Until(const std::vector<std::uint8_t>& b, std::size_t& at, std::size_t end)
{
    std::string s;
    for (; at + 1 < end; at += 2) {
        const std::uint16_t unit = bt::packed::LoadU16(b.data(), at);
        if (unit == 0) {
            at += 2;
            break;
        }
        s += static_cast<char>(unit < 0x80 ? unit : '?');
    }
    return s;
}

inline VersionNode ParseVersionNode(const std::vector<std::uint8_t>& b, std::size_t start)
{
    VersionNode node;
    if (start + 6 > b.size()) {
        ADD_FAILURE() << "version node past the end";
        return node;
    }
    const std::size_t end = std::min(b.size(), start + bt::packed::LoadU16(b.data(), start));
    const std::size_t valueLength = bt::packed::LoadU16(b.data(), start + 2);
    const bool isText = bt::packed::LoadU16(b.data(), start + 4) == 1;
    std::size_t at = start + 6;
    node.key = Utf16Until(b, at, end);
    at = Align4(at);
    const std::size_t valueBytes = isText ? 2 * valueLength : valueLength;
    if (isText) {
        std::size_t textAt = at;
        node.text = Utf16Until(b, textAt, std::min(end, at + valueBytes));
    } else {
        node.binary.assign(b.begin() + static_cast<std::ptrdiff_t>(at),
                           b.begin() + static_cast<std::ptrdiff_t>(std::min(end, at + valueBytes)));
    }
    at = Align4(at + valueBytes);
    while (at + 6 <= end) {
        node.children.push_back(ParseVersionNode(b, at));
        const std::size_t length = bt::packed::LoadU16(b.data(), at);
        if (length == 0)
            break;
        at = Align4(at + length);
    }
    return node;
}

} // namespace expected
