#pragma once
// Four-character codes ('BARS', 'IMPT', property keys): the first character is
// the most significant byte, so a code stored little-endian holds its
// characters in reverse order.

#include <cstdint>
#include <string>
#include <string_view>

namespace bt {

/// The code of four characters ("IMPT" is 0x494D5054).
[[nodiscard]] constexpr std::uint32_t FourCC(std::string_view characters) noexcept
{
    std::uint32_t code = 0;
    for (char c : characters)
        code = code << 8 | static_cast<std::uint8_t>(c);
    return code;
}

/// The code's four characters, first character first.
[[nodiscard]] inline std::string FourCCText(std::uint32_t code)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8)
        text += static_cast<char>((code >> shift) & 0xFFu);
    return text;
}

} // namespace bt
