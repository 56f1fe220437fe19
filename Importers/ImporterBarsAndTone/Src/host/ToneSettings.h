#pragma once
// ToneSettings: everything that makes one bars clip different from another.
// 72 bytes, little-endian, natural alignment; the host stores it with the clip
// byte for byte, so the layout below is a persisted format.

#include "ImporterBarsAndTone/Channels.h"
#include "ImporterBarsAndTone/ColorSpaces.h"
#include "ImporterBarsAndTone/HostRecords.h"
#include "zelmediatypes/PixelAspectRatio.h"
#include "zelmediatypes/TickTime.h"

#include <cstddef>
#include <cstdint>

namespace bt {

inline constexpr std::uint32_t kToneSettingsVersion = records::ToneSettingsRecord::kCurrentVersion;
inline constexpr std::uint32_t kToneSettingsOldVersion = records::ToneSettingsRecord::kOlderVersion;
inline constexpr std::size_t kToneSettingsSize = records::ToneSettingsRecord::kSize;
inline constexpr std::size_t kToneSettingsOldSize = records::ToneSettingsRecord::kOlderSize;

// Hosts count time in the records' ticks; the module counts in the platform's.
static_assert(records::kTicksPerSecond == zelmediatypes::kTicksPerSecond);

struct ToneSettings {
    std::uint32_t version = kToneSettingsVersion;
    float audioFrameRate = 48000.0f;        ///< samples per second
    std::uint32_t audioChannelType = RecordValue(ChannelType::Stereo); ///< a ChannelType
    std::uint32_t audioChannelCount = 2;    ///< 1, 2 or 6
    std::uint8_t identifyChannels = 0;      ///< 1: identification cadence; else steady sine
    std::uint8_t padding17[3]{};
    float frequency = 1000.0f;              ///< Hz, steady tone
    float amplitude = 0.25f;                ///< linear gain, steady tone (-12.04 dBFS)
    std::uint8_t identifierFormat = 0;      ///< an IdentifierFormat, or any byte a host stored
    std::uint8_t padding29[3]{};
    std::int32_t frameWidth = 1920;         ///< pixels
    std::int32_t frameHeight = 1080;        ///< pixels
    zelmediatypes::PixelAspectRatio par = zelmediatypes::kPixelAspectRatio_DVNTSCWide;
    std::int64_t videoFrameRate = 8475667200; ///< ticks per frame (29.97 fps)
    std::uint8_t dropFrame = 0;
    std::uint8_t padding57[7]{};
    std::uint8_t colorSpaceType = RecordValue(ColorSpace::Rec709); ///< a ColorSpace, or any byte a host stored
    std::uint8_t preset = 3;                ///< dialog preset, 0 to 8 (3 "HD Rec.709")
    std::uint8_t padding66[6]{};
};

// The struct is the record's layout as hosts know it, field for field.
namespace settings_layout_checks {
namespace layout = records::ToneSettingsRecord;
static_assert(sizeof(ToneSettings) == layout::kSize);
static_assert(offsetof(ToneSettings, version) == layout::kVersion);
static_assert(offsetof(ToneSettings, audioFrameRate) == layout::kAudioFrameRate);
static_assert(offsetof(ToneSettings, audioChannelType) == layout::kAudioChannelType);
static_assert(offsetof(ToneSettings, audioChannelCount) == layout::kAudioChannelCount);
static_assert(offsetof(ToneSettings, identifyChannels) == layout::kIdentifyChannels);
static_assert(offsetof(ToneSettings, frequency) == layout::kFrequency);
static_assert(offsetof(ToneSettings, amplitude) == layout::kAmplitude);
static_assert(offsetof(ToneSettings, identifierFormat) == layout::kIdentifierFormat);
static_assert(offsetof(ToneSettings, frameWidth) == layout::kFrameWidth);
static_assert(offsetof(ToneSettings, frameHeight) == layout::kFrameHeight);
static_assert(offsetof(ToneSettings, par) == layout::kParNumerator);
static_assert(offsetof(ToneSettings, par) + sizeof(std::uint32_t) == layout::kParDenominator);
static_assert(offsetof(ToneSettings, videoFrameRate) == layout::kVideoFrameRate);
static_assert(offsetof(ToneSettings, dropFrame) == layout::kDropFrame);
static_assert(offsetof(ToneSettings, colorSpaceType) == layout::kColorSpaceType);
static_assert(offsetof(ToneSettings, preset) == layout::kPreset);
static_assert(offsetof(ToneSettings, identifierFormat) < layout::kOlderSize &&
              offsetof(ToneSettings, frameWidth) >= layout::kOlderSize);
} // namespace settings_layout_checks

/// All 72 bytes of a host-held record, padding included. [any thread]
[[nodiscard]] ToneSettings LoadToneSettings(const void* record) noexcept;
/// All 72 bytes into a host buffer, padding included.
void StoreToneSettings(void* record, const ToneSettings& settings) noexcept;
/// The version word of a host-held record, the only field read before the layout is known.
[[nodiscard]] std::uint32_t LoadToneSettingsVersion(const void* record) noexcept;
/// The tone part of a version-1 record (bytes 0 to 28) over the defaults.
[[nodiscard]] ToneSettings LoadOldToneSettings(const void* record) noexcept;

} // namespace bt
