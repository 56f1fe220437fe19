#pragma once
// The preset definitions as pure routines on a settings record. The dialog
// applies them together with its controls (Initialize, OnPresetChanged).

#include "ImporterBarsAndTone/Presets.h"
#include "host/ToneSettings.h"

#include <cstdint>
#include <optional>

namespace bt::dialog {

// The dialog's names for the record values of the published presets.
inline constexpr std::uint8_t kPresetCustom = RecordValue(Preset::Custom);
inline constexpr std::uint8_t kPresetMatchSequence = RecordValue(Preset::MatchSequence);
inline constexpr std::uint8_t kPresetSD = RecordValue(Preset::SdRec601);
inline constexpr std::uint8_t kPresetHD709 = RecordValue(Preset::HdRec709);
inline constexpr std::uint8_t kPresetHDHLG = RecordValue(Preset::HdRec2100Hlg);
inline constexpr std::uint8_t kPresetHDPQ = RecordValue(Preset::HdRec2100Pq);
inline constexpr std::uint8_t kPresetUHD709 = RecordValue(Preset::UhdRec709);
inline constexpr std::uint8_t kPresetUHDHLG = RecordValue(Preset::UhdRec2100Hlg);
inline constexpr std::uint8_t kPresetUHDPQ = RecordValue(Preset::UhdRec2100Pq);

inline constexpr float kDefaultFrequency = 1000.0f;  ///< Hz
inline constexpr float kDefaultAmplitudeDb = -12.041199684143066f; ///< the float nearest 20·log10(0.25)

/// 48000 Hz, no drop-frame, and the locale's standard-definition picture:
/// 720 × 480, DV NTSC, 29.97 fps for NTSC; 720 × 576, DV PAL, 25 fps otherwise.
void ApplyLocaleBase(ToneSettings& settings, bool ntsc) noexcept;

/// The colour space a preset sets; none for Custom and Automatic.
[[nodiscard]] std::optional<ColorSpace> ColorSpaceOfPreset(std::uint8_t preset) noexcept;

struct FrameSize {
    std::int32_t width;
    std::int32_t height;
};
/// The frame size a preset sets; none for Custom, Automatic and unknown presets.
[[nodiscard]] std::optional<FrameSize> FrameSizeOfPreset(std::uint8_t preset, bool ntsc) noexcept;

/// DV NTSC or DV PAL for Rec. 601, square pixels for every other colour space.
[[nodiscard]] zelmediatypes::PixelAspectRatio ParForColorSpace(std::uint8_t colorSpaceType, bool ntsc) noexcept;

/// The record that opens on "HD Rec.709": the defaults with the locale base.
[[nodiscard]] ToneSettings ReferenceRecord(bool ntsc) noexcept;
/// Whether a record equals the reference in every field the dialog shows
/// (floats compared exactly).
[[nodiscard]] bool MatchesReference(const ToneSettings& settings, const ToneSettings& reference) noexcept;

/// Amplitude shown in dB: 20·log10(max(1e-15, amplitude)), computed in
/// double precision and rounded once to float.
[[nodiscard]] float AmplitudeToDb(float amplitude) noexcept;
/// Linear gain of a level in dB: 10^(dB / 20), computed in double precision
/// and rounded once to float.
[[nodiscard]] float DbToAmplitude(float decibels) noexcept;

} // namespace bt::dialog
