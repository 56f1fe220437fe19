#pragma once
// A request for sound as the tone generators see it, free of host records:
// where on the clip's timeline it starts, how long one element lasts, and the
// host's per-channel buffers.

#include "zelmediatypes/TickTime.h"

#include <cstdint>

namespace bt {

/// A sine of a frequency at a linear peak level, or silence.
struct Tone {
    float frequency = 0.0f; ///< Hz
    float level = 0.0f;     ///< linear peak, full scale 1.0
};

struct ToneRequest {
    zelmediatypes::FrameRate rate;        ///< ticks per element: one sample, or one level value
    zelmediatypes::TickTime start;        ///< clip time of element 0
    float* const* channelBuffers = nullptr; ///< host-owned, one buffer per channel of the clip
    std::int32_t channelCount = 0;        ///< buffers that exist; no channel at or above it is touched
    std::int64_t sampleCount = 0;         ///< elements per buffer; 0 or less writes nothing
    bool levelOnly = false;               ///< write each tone's level instead of its waveform

    /// The buffer of a channel, or null when the host supplied none for it.
    [[nodiscard]] float* Channel(std::int32_t channel) const noexcept
    {
        if (channelBuffers == nullptr || channel < 0 || channel >= channelCount)
            return nullptr;
        return channelBuffers[channel];
    }
};

} // namespace bt
