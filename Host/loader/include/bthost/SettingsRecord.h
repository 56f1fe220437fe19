#pragma once
// The host's reading of a clip's 72-byte settings record. To the host the
// record is the module's business and is stored byte for byte; its fields
// are decoded only where the host must know what a clip holds: to show it to
// a person, and to know which tone a checked file should carry.

#include "ImporterBarsAndTone/HostRecords.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace bthost {

inline constexpr std::size_t kSettingsSize = bt::records::ToneSettingsRecord::kSize;
using SettingsBytes = std::array<std::uint8_t, kSettingsSize>;

struct SettingsFields {
    std::uint32_t version = 0;
    float audioFrameRate = 0;
    std::uint32_t audioChannelType = 0;
    std::uint32_t audioChannelCount = 0;
    std::uint8_t identifyChannels = 0;
    float frequency = 0;
    float amplitude = 0;
    std::uint8_t identifierFormat = 0;
    std::int32_t frameWidth = 0;
    std::int32_t frameHeight = 0;
    std::uint32_t parNumerator = 0;
    std::uint32_t parDenominator = 0;
    std::int64_t videoFrameRate = 0; ///< ticks per frame
    std::uint8_t dropFrame = 0;
    std::uint8_t colorSpaceType = 0;
    std::uint8_t preset = 0;
};

[[nodiscard]] SettingsFields DecodeSettings(const SettingsBytes& bytes) noexcept;

} // namespace bthost
