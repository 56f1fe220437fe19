#pragma once
// The one routine that writes sine samples, and the channel-set operations
// built on it: a tone or silence is computed once, into the first channel of
// a set, and block-copied into the others.
//
// [any thread] every routine touches only its arguments.

#include "audio/Tone.h"
#include "zelmediatypes/TickTime.h"

#include <cstdint>
#include <span>

namespace bt {

/// 2π rounded to single precision and widened: the phase constant of every
/// sine. It exceeds 2π by about 1.748e-7, so a phase stepped through a whole
/// cycle drifts by that much against one recomputed from the sample index.
inline constexpr double kTwoPiSingle = 6.2831854820251465;
static_assert(kTwoPiSingle == static_cast<double>(static_cast<float>(6.283185307179586)));

/// Writes out[0] to out[count − 1]; nothing when count ≤ 0.
/// levelOnly: every sample is the level itself (rate, start and frequency
/// unused). Otherwise sample i is sin(phase) × level in double precision,
/// rounded to float, where the phase of out[0] follows from its absolute
/// sample index (start at rate) and is stepped by addition inside the call.
/// Without a time axis (see HasTimeAxis) the samples are 0.0.
void RenderSine(zelmediatypes::FrameRate rate, zelmediatypes::TickTime start, float frequency, float level,
                float* out, std::int64_t count, bool levelOnly) noexcept;

/// RenderSine into the first non-null buffer of channels, from element offset
/// on, then a copy of those count samples into the same elements of every
/// further non-null buffer, in list order. An empty list writes nothing.
void ToneOnChannels(std::span<float* const> channels, Tone tone, zelmediatypes::FrameRate rate,
                    zelmediatypes::TickTime start, std::int64_t offset, std::int64_t count, bool levelOnly) noexcept;

/// Zeros from element offset on in the first non-null buffer, copied into the
/// others in list order.
void SilenceOnChannels(std::span<float* const> channels, std::int64_t offset, std::int64_t count) noexcept;

/// Samples from time t up to the earlier of boundary and requestEnd:
/// floor((min(boundary, requestEnd) − t) / rate), and 1 where that is 0 or
/// less, so that a walk always moves on.
[[nodiscard]] std::int64_t RunLength(zelmediatypes::FrameRate rate, zelmediatypes::TickTime boundary,
                                     zelmediatypes::TickTime requestEnd, zelmediatypes::TickTime t) noexcept;

} // namespace bt
