#include "audio/Generators.h"

#include "audio/SineCore.h"

#include <span>

namespace bt {

void RenderSteadyTone(const ToneRequest& request, float frequency, float level) noexcept
{
    if (request.channelBuffers == nullptr || request.channelCount <= 0)
        return;
    const std::span<float* const> channels(request.channelBuffers, static_cast<std::size_t>(request.channelCount));
    ToneOnChannels(channels, Tone{frequency, level}, request.rate, request.start, 0, request.sampleCount,
                   request.levelOnly);
}

} // namespace bt
