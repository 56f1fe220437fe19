#include "audio/ClipSound.h"

#include "audio/Generators.h"
#include "audio/SampleClock.h"

namespace bt {

// Rationale: a request that gives nothing to write into (no buffer array, or
// a clip without channels) is answered at once; walking a cadence's timetable
// for an enormous count would otherwise take minutes to write nothing.
void RenderClipSound(const ToneSettings& settings, const ToneRequest& request) noexcept
{
    if (request.channelBuffers == nullptr || request.channelCount <= 0)
        return;
    if (!IdentifiesChannels(settings)) {
        RenderSteadyTone(request, settings.frequency, settings.amplitude);
        return;
    }
    switch (static_cast<IdentifierFormat>(settings.identifierFormat)) {
    case IdentifierFormat::EbuStereo1000: RenderEbuStereo(request, 1000.0f); return;
    case IdentifierFormat::EbuStereo400: RenderEbuStereo(request, 400.0f); return;
    case IdentifierFormat::EbuMultichannel: RenderEbuMultichannel(request); return;
    case IdentifierFormat::Blits: RenderBlits(request); return;
    }
}

bool SteadyLevelsAreLevelOnly(float frequency, zelmediatypes::FrameRate levelDuration) noexcept
{
    return static_cast<double>(frequency) >= ElementsPerSecond(levelDuration);
}

} // namespace bt
