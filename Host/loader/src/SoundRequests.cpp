#include "bthost/SoundRequests.h"

#include "barsandtone/PackedBytes.h"

#include <algorithm>

namespace bthost {

namespace {

using namespace bt::packed;

std::vector<float*> BufferPointers(PlanarSamples& channels)
{
    std::vector<float*> pointers;
    pointers.reserve(channels.size());
    for (auto& channel : channels)
        pointers.push_back(channel.data());
    return pointers;
}

} // namespace

AudioRequestRecord MakeAudioRequest(SettingsChoice settings, std::int64_t position, std::uint32_t sampleCount,
                                    float* const* channelBuffers)
{
    namespace ar = bt::records::AudioRequest;
    AudioRequestRecord record{};
    StoreI64(record.data(), ar::kPosition, position);
    StoreU32(record.data(), ar::kSampleCount, sampleCount);
    StorePtr(record.data(), ar::kChannelBuffers, channelBuffers);
    StorePtr(record.data(), ar::kSettingsSecond, settings.second);
    StorePtr(record.data(), ar::kSettingsFirst, settings.first);
    return record;
}

LevelRequestRecord MakeLevelRequest(SettingsChoice settings, std::int64_t position, float levelRate,
                                    std::int32_t valueCount, float* const* upperBuffers, float* const* lowerBuffers)
{
    namespace lr = bt::records::LevelRequest;
    LevelRequestRecord record{};
    StorePtr(record.data(), lr::kSettingsSecond, settings.second);
    StorePtr(record.data(), lr::kSettingsFirst, settings.first);
    StoreI64(record.data(), lr::kPosition, position);
    StoreF32(record.data(), lr::kLevelRate, levelRate);
    StoreI32(record.data(), lr::kSampleCount, valueCount);
    StorePtr(record.data(), lr::kUpperBuffers, upperBuffers);
    StorePtr(record.data(), lr::kLowerBuffers, lowerBuffers);
    return record;
}

SoundResult RequestAudio(Host& host, SettingsChoice settings, std::int64_t position, std::uint32_t sampleCount,
                         std::size_t channelCount, float fill)
{
    SoundResult out;
    out.channels.assign(channelCount, std::vector<float>(sampleCount, fill));
    std::vector<float*> buffers = BufferPointers(out.channels);
    const auto record = MakeAudioRequest(settings, position, sampleCount, buffers.data());
    out.result = host.Call(BT_SEL_GET_AUDIO, nullptr, record.data());
    return out;
}

LevelResult RequestLevels(Host& host, SettingsChoice settings, std::int64_t position, float levelRate,
                          std::int32_t valueCount, std::size_t channelCount, float fill)
{
    LevelResult out;
    const std::size_t size = static_cast<std::size_t>(std::max(valueCount, 0));
    out.upper.assign(channelCount, std::vector<float>(size, fill));
    out.lower.assign(channelCount, std::vector<float>(size, fill));
    std::vector<float*> upper = BufferPointers(out.upper);
    std::vector<float*> lower = BufferPointers(out.lower);
    const auto record = MakeLevelRequest(settings, position, levelRate, valueCount, upper.data(), lower.data());
    out.result = host.Call(BT_SEL_GET_AUDIO_LEVELS, nullptr, record.data());
    return out;
}

} // namespace bthost
