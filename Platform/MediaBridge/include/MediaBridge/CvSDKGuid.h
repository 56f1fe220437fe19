#pragma once
// The host's 16-byte identifier (colour spaces among others), in the usual
// little-endian GUID layout.

#include <cstdint>

struct CvSDKGuid {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];

    friend constexpr bool operator==(const CvSDKGuid&, const CvSDKGuid&) noexcept = default;
};
static_assert(sizeof(CvSDKGuid) == 16);
