#pragma once
// What the command line shows of a clip's settings record, decoded by the
// loader library (bthost), and the one edit it makes to a stored record.

#include "ImporterBarsAndTone/IdentifierFormats.h"
#include "bthost/SettingsRecord.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace btcli {

using bthost::DecodeSettings;
using bthost::kSettingsSize;
using bthost::SettingsBytes;
using bthost::SettingsFields;

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
