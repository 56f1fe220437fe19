#include "bthost/SettingsRecord.h"

#include "barsandtone/PackedBytes.h"

namespace bthost {

SettingsFields DecodeSettings(const SettingsBytes& bytes) noexcept
{
    using namespace bt::packed;
    namespace settings = bt::records::ToneSettingsRecord;
    const void* b = bytes.data();
    SettingsFields f;
    f.version = LoadU32(b, settings::kVersion);
    f.audioFrameRate = LoadF32(b, settings::kAudioFrameRate);
    f.audioChannelType = LoadU32(b, settings::kAudioChannelType);
    f.audioChannelCount = LoadU32(b, settings::kAudioChannelCount);
    f.identifyChannels = LoadU8(b, settings::kIdentifyChannels);
    f.frequency = LoadF32(b, settings::kFrequency);
    f.amplitude = LoadF32(b, settings::kAmplitude);
    f.identifierFormat = LoadU8(b, settings::kIdentifierFormat);
    f.frameWidth = LoadI32(b, settings::kFrameWidth);
    f.frameHeight = LoadI32(b, settings::kFrameHeight);
    f.parNumerator = LoadU32(b, settings::kParNumerator);
    f.parDenominator = LoadU32(b, settings::kParDenominator);
    f.videoFrameRate = LoadI64(b, settings::kVideoFrameRate);
    f.dropFrame = LoadU8(b, settings::kDropFrame);
    f.colorSpaceType = LoadU8(b, settings::kColorSpaceType);
    f.preset = LoadU8(b, settings::kPreset);
    return f;
}

} // namespace bthost
