#include "host/ToneSettings.h"

#include "barsandtone/PackedBytes.h"

#include <cstring>

namespace bt {

ToneSettings LoadToneSettings(const void* record) noexcept
{
    ToneSettings settings;
    std::memcpy(&settings, record, kToneSettingsSize);
    return settings;
}

void StoreToneSettings(void* record, const ToneSettings& settings) noexcept
{
    std::memcpy(record, &settings, kToneSettingsSize);
}

std::uint32_t LoadToneSettingsVersion(const void* record) noexcept
{
    return packed::LoadU32(record, offsetof(ToneSettings, version));
}

ToneSettings LoadOldToneSettings(const void* record) noexcept
{
    ToneSettings settings;
    settings.version = packed::LoadU32(record, offsetof(ToneSettings, version));
    settings.audioFrameRate = packed::LoadF32(record, offsetof(ToneSettings, audioFrameRate));
    settings.audioChannelType = packed::LoadU32(record, offsetof(ToneSettings, audioChannelType));
    settings.audioChannelCount = packed::LoadU32(record, offsetof(ToneSettings, audioChannelCount));
    settings.identifyChannels = packed::LoadU8(record, offsetof(ToneSettings, identifyChannels));
    settings.frequency = packed::LoadF32(record, offsetof(ToneSettings, frequency));
    settings.amplitude = packed::LoadF32(record, offsetof(ToneSettings, amplitude));
    settings.identifierFormat = packed::LoadU8(record, offsetof(ToneSettings, identifierFormat));
    return settings;
}

} // namespace bt
