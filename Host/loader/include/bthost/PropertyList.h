#pragma once
// Decoding of a plug-in property list (resource PIPL): a 10-byte header (16-bit
// version, 32-bit reserved, 32-bit count), then the properties back to back,
// each a vendor code, a key code, a 32-bit id, a 32-bit data length and the
// data, whose stored length already includes its padding.

#include <cstdint>
#include <string>
#include <vector>

namespace bthost {

struct PluginPropertyEntry {
    std::uint32_t vendor = 0;
    std::uint32_t key = 0;
    std::uint32_t id = 0;
    std::size_t offset = 0;          ///< of the property, from the start of the list
    std::vector<std::uint8_t> data;  ///< as stored, padding included
};

struct PropertyList {
    std::uint16_t version = 0;
    std::uint32_t reserved = 0;
    std::vector<PluginPropertyEntry> properties;
};

/// Decodes a property list; throws std::runtime_error when the bytes end early
/// or carry bytes past the last property.
[[nodiscard]] PropertyList DecodePropertyList(const std::vector<std::uint8_t>& bytes);

/// The first property with that key, or null.
[[nodiscard]] const PluginPropertyEntry* FindProperty(const PropertyList& list, std::uint32_t key) noexcept;

/// A property's value as a person reads it: a code for `kind`, the text of a
/// length-prefixed text (`name`, `eMNA`, `catg`) or of a zero-terminated one
/// (`wx86`, `8664`), and a hexadecimal number otherwise.
[[nodiscard]] std::string DescribePropertyValue(const PluginPropertyEntry& property);

/// The text of a length-prefixed property (one length byte, then characters).
[[nodiscard]] std::string PascalText(const std::vector<std::uint8_t>& data);

} // namespace bthost
