#pragma once
// Between sample counts and host time (254016000000 ticks per second).

#include "zelmediatypes/TickTime.h"

#include <cstdint>

namespace bt {

/// Ticks per sample for a rate in samples per second: 254016000000 / rate in
/// double precision, truncated toward zero (negative for a negative rate);
/// 0x7FFFFFFFFFFFFFFF for a rate of 0.0 (FrameRate::FromFramesPerSecond).
/// The generators treat the no-rate duration, a negative one and the 0 of a
/// rate above one sample per tick as "no time axis" (HasTimeAxis).
[[nodiscard]] zelmediatypes::FrameRate SampleDuration(float samplesPerSecond) noexcept;

/// Elements per second of a duration, 0.0 for the no-rate duration.
[[nodiscard]] double ElementsPerSecond(zelmediatypes::FrameRate duration) noexcept;

/// True when every element of a run of count elements from start has its own
/// place on the tick axis: the duration is a positive number of ticks other
/// than the no-rate duration, and neither start nor the end of the run lies
/// beyond the 64-bit tick range.
/// Rationale: without that, samples cannot be told apart by time (a cadence
/// could not find their slots, a sine not their phase), so the generators
/// write silence there rather than guess; no host asks for sound 420 days
/// into a clip, and a clip without a sample rate has no sound to give.
[[nodiscard]] bool HasTimeAxis(zelmediatypes::FrameRate duration, zelmediatypes::TickTime start,
                               std::int64_t count) noexcept;

} // namespace bt
