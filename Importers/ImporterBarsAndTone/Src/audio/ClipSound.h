#pragma once
// Which generator makes a clip's sound, chosen by the tone fields of its
// settings.

#include "ImporterBarsAndTone/IdentifierFormats.h"
#include "audio/Tone.h"
#include "host/ToneSettings.h"
#include "zelmediatypes/TickTime.h"

namespace bt {

/// An identification cadence exactly when identifyChannels is 1; any other
/// value is a steady tone.
[[nodiscard]] constexpr bool IdentifiesChannels(const ToneSettings& s) noexcept { return s.identifyChannels == 1; }

/// Runs the clip's generator on the request: the cadence that identifierFormat
/// names, or the steady tone of frequency and amplitude on audioChannelCount
/// channels. An unknown identifierFormat runs nothing and leaves the buffers
/// as the host gave them.
void RenderClipSound(const ToneSettings& settings, const ToneRequest& request) noexcept;

/// Whether a level overview of a steady tone holds the amplitude itself: when
/// at least one cycle of the tone fits into each level value, that is when
/// the frequency is at least the level rate (which is 0.0 for the no-rate
/// duration).
[[nodiscard]] bool SteadyLevelsAreLevelOnly(float frequency, zelmediatypes::FrameRate levelDuration) noexcept;

} // namespace bt
