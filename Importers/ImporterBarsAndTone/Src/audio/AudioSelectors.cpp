// Selectors 25 and 49: the clip's sound and its level overview, computed from
// the settings record that the request carries.
//
// [any thread] each call reads only its request and settings and writes only
// the host's buffers.

#include "ImporterBarsAndTone/HostRecords.h"
#include "audio/ClipSound.h"
#include "audio/SampleClock.h"
#include "barsandtone/PackedBytes.h"
#include "host/RequestSettings.h"
#include "host/SelectorCall.h"
#include "host/ToneSettings.h"
#include "zelaccelerate/VectorUtility.h"

namespace bt {

namespace {

using zelmediatypes::FrameRate;
using zelmediatypes::TickTime;

float* const* LoadBufferArray(const void* request, std::size_t offset) noexcept
{
    return static_cast<float* const*>(packed::LoadPtr(request, offset));
}

/// The lower envelope: each upper buffer negated into its lower buffer.
/// Rationale: a negative count negates nothing (read literally, it would be
/// some four billion values past the host's buffers), and a channel whose
/// upper or lower buffer is missing is skipped.
void NegateIntoLowerBuffers(float* const* upper, float* const* lower, std::int32_t channelCount,
                            std::int32_t count) noexcept
{
    if (upper == nullptr || lower == nullptr || count <= 0)
        return;
    for (std::int32_t ch = 0; ch < channelCount; ++ch)
        if (upper[ch] != nullptr && lower[ch] != nullptr)
            zelaccelerate::utility::MulConstant(static_cast<std::uint32_t>(count), upper[ch], lower[ch], -1.0f);
}

} // namespace

// Rationale for both selectors: a request without a record carries no
// settings either, so it gets the no-settings answer; a rate of 0.0, not a
// number, negative, or so high that a sample lasts less than a tick gives
// silence (see HasTimeAxis); a negative position is served by the same arithmetic as any
// other, so sines and cadences carry on backwards from clip time 0.

Result HandleGetAudio(const SelectorCall& call)
{
    namespace ar = records::AudioRequest;
    const void* request = call.Record2();
    const void* settingsRecord = RequestSettings(request, ar::kSettingsFirst, ar::kSettingsSecond);
    if (settingsRecord == nullptr)
        return kResultNoSettings;
    const ToneSettings settings = LoadToneSettings(settingsRecord);

    ToneRequest sound;
    sound.rate = SampleDuration(settings.audioFrameRate);
    sound.start = TickTime(packed::LoadI64(request, ar::kPosition), sound.rate);
    sound.channelBuffers = LoadBufferArray(request, ar::kChannelBuffers);
    sound.channelCount = static_cast<std::int32_t>(settings.audioChannelCount);
    sound.sampleCount = packed::LoadU32(request, ar::kSampleCount);
    RenderClipSound(settings, sound);
    return kResultSuccess;
}

Result HandleGetAudioLevels(const SelectorCall& call)
{
    namespace lr = records::LevelRequest;
    const void* request = call.Record2();
    const void* settingsRecord = RequestSettings(request, lr::kSettingsFirst, lr::kSettingsSecond);
    if (settingsRecord == nullptr)
        return kResultNoSettings;
    const ToneSettings settings = LoadToneSettings(settingsRecord);

    // Level value i stands for the time S + i × Tl, where S is the position
    // at the audio rate and Tl the duration of one level value.
    const FrameRate sampleDuration = SampleDuration(settings.audioFrameRate);
    const std::int32_t count = packed::LoadI32(request, lr::kSampleCount);
    ToneRequest levels;
    levels.rate = SampleDuration(packed::LoadF32(request, lr::kLevelRate));
    levels.start = TickTime(packed::LoadI64(request, lr::kPosition), sampleDuration);
    levels.channelBuffers = LoadBufferArray(request, lr::kUpperBuffers);
    levels.channelCount = static_cast<std::int32_t>(settings.audioChannelCount);
    levels.sampleCount = count;
    levels.levelOnly = IdentifiesChannels(settings) || SteadyLevelsAreLevelOnly(settings.frequency, levels.rate);
    RenderClipSound(settings, levels);

    NegateIntoLowerBuffers(levels.channelBuffers, LoadBufferArray(request, lr::kLowerBuffers), levels.channelCount,
                           count);
    return kResultSuccess;
}

} // namespace bt
