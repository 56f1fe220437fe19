#pragma once
// The clip's four kinds of sound. Each writes the request's buffers from the
// request alone; the identification cadences are anchored at clip time 0.
//
// Channels: a generator writes only channels below request.channelCount whose
// buffer is not null.
// Rationale: the host supplies one buffer per channel of the clip, so a
// record naming a cadence with more channels than the clip has (a 5.1 cadence
// on a stereo clip, EBU stereo on a mono clip) is served on the channels that
// exist, each with the content it has in the full cadence, and nothing is
// written where no buffer was given.

#include "audio/Tone.h"

namespace bt {

/// One continuous sine on every channel: computed for channel 0 and copied.
void RenderSteadyTone(const ToneRequest& request, float frequency, float level) noexcept;

/// EBU stereo identification: the sine on both channels, channel 0 silent for
/// the last quarter second of every 3-second cycle.
void RenderEbuStereo(const ToneRequest& request, float frequency) noexcept;

/// EBU multichannel identification: 1000 Hz on channels 0 to 4 together, then
/// on each alone in the order 0, 4, 1, 3, 2, in a 12-second cycle; 80 Hz on
/// channel 5 throughout.
void RenderEbuMultichannel(const ToneRequest& request) noexcept;

/// BLITS identification: each channel alone at its own frequency, then
/// 1000 Hz on the front pair with channel 0 dropping out, then 2000 Hz on all
/// six, in a 13.4-second cycle.
void RenderBlits(const ToneRequest& request) noexcept;

} // namespace bt
