#include "bthost/PropertyList.h"

#include "barsandtone/FourCC.h"
#include "barsandtone/PackedBytes.h"

#include <cstdio>
#include <stdexcept>

namespace bthost {

using namespace bt::packed;

namespace {
constexpr std::size_t kHeaderSize = 10;   // version 16, reserved 32, count 32
constexpr std::size_t kPropertyHead = 16; // vendor, key, id, length
} // namespace

PropertyList DecodePropertyList(const std::vector<std::uint8_t>& bytes)
{
    if (bytes.size() < kHeaderSize)
        throw std::runtime_error("property list shorter than its header");
    PropertyList list;
    list.version = LoadU16(bytes.data(), 0);
    list.reserved = LoadU32(bytes.data(), 2);
    const std::uint32_t count = LoadU32(bytes.data(), 6);
    std::size_t at = kHeaderSize;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (bytes.size() - at < kPropertyHead)
            throw std::runtime_error("property list ends inside property " + std::to_string(i));
        PluginPropertyEntry p;
        p.offset = at;
        p.vendor = LoadU32(bytes.data(), at);
        p.key = LoadU32(bytes.data(), at + 4);
        p.id = LoadU32(bytes.data(), at + 8);
        const std::uint32_t length = LoadU32(bytes.data(), at + 12);
        at += kPropertyHead;
        if (bytes.size() - at < length)
            throw std::runtime_error("property list ends inside the data of property " + std::to_string(i));
        p.data.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at + length));
        at += length;
        list.properties.push_back(std::move(p));
    }
    if (at != bytes.size())
        throw std::runtime_error("property list has " + std::to_string(bytes.size() - at) + " bytes past its last property");
    return list;
}

const PluginPropertyEntry* FindProperty(const PropertyList& list, std::uint32_t key) noexcept
{
    for (const auto& p : list.properties)
        if (p.key == key)
            return &p;
    return nullptr;
}

std::string PascalText(const std::vector<std::uint8_t>& data)
{
    if (data.empty() || data[0] >= data.size())
        return {};
    return std::string(data.begin() + 1, data.begin() + 1 + data[0]);
}

std::string DescribePropertyValue(const PluginPropertyEntry& p)
{
    switch (p.key) {
    case bt::FourCC("kind"):
        if (p.data.size() >= 4)
            return "'" + bt::FourCCText(LoadU32(p.data.data(), 0)) + "'";
        break;
    case bt::FourCC("name"):
    case bt::FourCC("eMNA"):
    case bt::FourCC("catg"):
        return "\"" + PascalText(p.data) + "\"";
    case bt::FourCC("wx86"):
    case bt::FourCC("8664"): {
        std::string text;
        for (std::uint8_t c : p.data) {
            if (c == 0)
                break;
            text += static_cast<char>(c);
        }
        return "\"" + text + "\"";
    }
    default:
        if (p.data.size() == 4) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%08X", LoadU32(p.data.data(), 0));
            return hex;
        }
    }
    return std::to_string(p.data.size()) + " bytes";
}

} // namespace bthost
