#pragma once
// A colour space, identified by a 128-bit id (the usual little-endian GUID
// byte layout). Two colour spaces are equal when their ids are.

#include <array>
#include <cstdint>

namespace zelmediatypes::color {

struct Guid {
    std::array<std::uint8_t, 16> bytes{};

    /// From the written form {d1-d2-d3-d4[0]d4[1]-d4[2..7]}.
    static constexpr Guid FromParts(std::uint32_t d1, std::uint16_t d2, std::uint16_t d3,
                                    std::array<std::uint8_t, 8> d4) noexcept
    {
        Guid g;
        for (std::size_t i = 0; i < 4; ++i)
            g.bytes[i] = static_cast<std::uint8_t>(d1 >> (8 * i));
        for (std::size_t i = 0; i < 2; ++i) {
            g.bytes[4 + i] = static_cast<std::uint8_t>(d2 >> (8 * i));
            g.bytes[6 + i] = static_cast<std::uint8_t>(d3 >> (8 * i));
        }
        for (std::size_t i = 0; i < 8; ++i)
            g.bytes[8 + i] = d4[i];
        return g;
    }
    friend constexpr bool operator==(const Guid&, const Guid&) noexcept = default;
};

class ColorSpace {
public:
    /// The unknown colour space (an all-zero id).
    constexpr ColorSpace() noexcept = default;
    constexpr explicit ColorSpace(Guid id) noexcept : mId(id) {}

    [[nodiscard]] constexpr Guid ToGuid() const noexcept { return mId; }
    friend constexpr bool operator==(const ColorSpace&, const ColorSpace&) noexcept = default;

private:
    Guid mId;
};

// The library's own identities of the colour spaces it knows.
inline constexpr ColorSpace kColorSpace_Rec601{Guid::FromParts(0x0C5A1E00, 0x6A2B, 0x4B7C, {0x91, 0x0D, 0x3E, 0x60, 0x01, 0x00, 0x06, 0x01})};
inline constexpr ColorSpace kColorSpace_Rec709{Guid::FromParts(0x0C5A1E00, 0x6A2B, 0x4B7C, {0x91, 0x0D, 0x3E, 0x60, 0x01, 0x00, 0x07, 0x09})};
inline constexpr ColorSpace kColorSpace_Rec2100HLG{Guid::FromParts(0x0C5A1E00, 0x6A2B, 0x4B7C, {0x91, 0x0D, 0x3E, 0x60, 0x01, 0x00, 0x21, 0x18})};
inline constexpr ColorSpace kColorSpace_Rec2100PQ{Guid::FromParts(0x0C5A1E00, 0x6A2B, 0x4B7C, {0x91, 0x0D, 0x3E, 0x60, 0x01, 0x00, 0x20, 0x84})};
inline constexpr ColorSpace kColorSpace_DCIP3{Guid::FromParts(0x0C5A1E00, 0x6A2B, 0x4B7C, {0x91, 0x0D, 0x3E, 0x60, 0x01, 0x00, 0xD0, 0xC1})};

} // namespace zelmediatypes::color
