#include "dialog/Presets.h"

#include <algorithm>
#include <cmath>

namespace bt::dialog {

namespace mt = zelmediatypes;

namespace {
constexpr std::int64_t kNtscFrameDuration = 8475667200; // 29.97 fps
constexpr std::int64_t kPalFrameDuration = 10160640000; // 25 fps
} // namespace

void ApplyLocaleBase(ToneSettings& s, bool ntsc) noexcept
{
    s.audioFrameRate = 48000.0f;
    s.dropFrame = 0;
    s.par = ntsc ? mt::kPixelAspectRatio_DVNTSC : mt::kPixelAspectRatio_DVPAL;
    s.videoFrameRate = ntsc ? kNtscFrameDuration : kPalFrameDuration;
    s.frameWidth = 720;
    s.frameHeight = ntsc ? 480 : 576;
}

std::optional<ColorSpace> ColorSpaceOfPreset(std::uint8_t preset) noexcept
{
    switch (preset) {
    case kPresetSD: return ColorSpace::Rec601;
    case kPresetHD709:
    case kPresetUHD709: return ColorSpace::Rec709;
    case kPresetHDHLG:
    case kPresetUHDHLG: return ColorSpace::Rec2100Hlg;
    case kPresetHDPQ:
    case kPresetUHDPQ: return ColorSpace::Rec2100Pq;
    default: return std::nullopt;
    }
}

std::optional<FrameSize> FrameSizeOfPreset(std::uint8_t preset, bool ntsc) noexcept
{
    switch (preset) {
    case kPresetSD: return FrameSize{720, ntsc ? 480 : 576};
    case kPresetHD709:
    case kPresetHDHLG:
    case kPresetHDPQ: return FrameSize{1920, 1080};
    case kPresetUHD709:
    case kPresetUHDHLG:
    case kPresetUHDPQ: return FrameSize{3840, 2160};
    default: return std::nullopt;
    }
}

mt::PixelAspectRatio ParForColorSpace(std::uint8_t colorSpaceType, bool ntsc) noexcept
{
    if (colorSpaceType == RecordValue(ColorSpace::Rec601))
        return ntsc ? mt::kPixelAspectRatio_DVNTSC : mt::kPixelAspectRatio_DVPAL;
    return mt::kPixelAspectRatio_Square;
}

ToneSettings ReferenceRecord(bool ntsc) noexcept
{
    ToneSettings reference;
    ApplyLocaleBase(reference, ntsc);
    return reference;
}

bool MatchesReference(const ToneSettings& s, const ToneSettings& r) noexcept
{
    return s.colorSpaceType == r.colorSpaceType && s.frameWidth == r.frameWidth && s.frameHeight == r.frameHeight &&
           s.audioFrameRate == r.audioFrameRate && s.videoFrameRate == r.videoFrameRate && s.par == r.par &&
           s.audioChannelType == r.audioChannelType && s.audioChannelCount == r.audioChannelCount &&
           s.identifyChannels == r.identifyChannels && s.frequency == r.frequency && s.amplitude == r.amplitude &&
           s.identifierFormat == r.identifierFormat;
}

// Rationale: both conversions run in double precision and round once, so
// that the default gain 0.25 shows as exactly kDefaultAmplitudeDb and that
// level stores exactly 0.25 again; single-precision steps can land one float
// away on either side.
float AmplitudeToDb(float amplitude) noexcept
{
    const double gain = std::max(1e-15, static_cast<double>(amplitude));
    return static_cast<float>(20.0 * std::log10(gain));
}

float DbToAmplitude(float decibels) noexcept
{
    return static_cast<float>(std::pow(10.0, static_cast<double>(decibels) / 20.0));
}

} // namespace bt::dialog
