#pragma once
// The host's reading of a clip's 72-byte settings record. To the host the
// record is the module's business and is stored byte for byte; these fields
// are decoded only to show a person what a clip file holds.

#include "ImporterBarsAndTone/HostRecords.h"
#include "ImporterBarsAndTone/IdentifierFormats.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace btcli {

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
/// `count` bytes from `first` on (fewer at the end) as upper-case hexadecimal
/// pairs between spaces: "02 00 7A".
[[nodiscard]] std::string HexBytes(const SettingsBytes& bytes, std::size_t first, std::size_t count);

/// A host-side edit of a stored record, as a host edits a clip it holds (the
/// new-clip dialog makes stereo clips only): the sound becomes the channels
/// of the layout `format` identifies, identifying themselves in it.
void StoreIdentification(SettingsBytes& bytes, const bt::IdentifierFormatFacts& format) noexcept;

/// "Rec. 709" and the like; "unknown (7)" for values the module does not name.
[[nodiscard]] std::string ColourSpaceName(std::uint8_t colorSpaceType);
[[nodiscard]] std::string IdentifierFormatName(std::uint8_t identifierFormat);
/// Frames per second of a frame duration, 0 for none.
[[nodiscard]] double FramesPerSecond(std::int64_t frameDuration) noexcept;
/// "29.97 fps", "25 fps", "23.976 fps" (at most three decimals, no trailing
/// zeros); "no frame rate" for none.
[[nodiscard]] std::string FrameRateText(std::int64_t frameDuration);
/// One line for a person: size, rate, colour space and tone.
[[nodiscard]] std::string SettingsSummary(const SettingsFields& f);

} // namespace btcli
