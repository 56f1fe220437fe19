#pragma once
// A new clip's settings from the host's current sequence: the request's frame
// size, ratio and rates, and what the sequence info suite says about drop
// frame and the working colour space.

#include "host/HostServices.h"
#include "host/ToneSettings.h"

#include "zelmediatypes/ColorSpace.h"

#include <cstdint>

namespace bt {

/// The defaults overwritten with the sequence of a settings request: size,
/// pixel aspect ratio, frame rate (value / scale; 9223372036854775807 for a
/// rate of 0), audio rate, stereo, version 2. [any thread] reads the record only
[[nodiscard]] ToneSettings SettingsFromSequence(const void* settingsRequest) noexcept;

/// Asks the host's "Kestrel Sequence Info Suite" for the sequence's drop-frame
/// state and working colour space and sets dropFrame and colorSpaceType. No
/// basic suite, no sequence suite or an unknown colour space leave the fields
/// as they are. Every acquisition is released.
void MatchSequence(const HostServices& host, std::uint32_t sequenceId, ToneSettings& settings) noexcept;

/// The colour-space type whose row has this working colour space; Rec. 601
/// for any other.
[[nodiscard]] std::uint8_t ColorSpaceTypeOf(const zelmediatypes::color::ColorSpace& space) noexcept;

} // namespace bt
