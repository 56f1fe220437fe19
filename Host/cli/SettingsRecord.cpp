#include "SettingsRecord.h"

#include "ImporterBarsAndTone/ColorSpaces.h"
#include "barsandtone/PackedBytes.h"

#include <cmath>
#include <cstdio>

namespace btcli {

using namespace bt::packed;
namespace settings = bt::records::ToneSettingsRecord;

std::string HexBytes(const SettingsBytes& bytes, std::size_t first, std::size_t count)
{
    std::string text;
    char digits[4];
    for (std::size_t i = first; i < bytes.size() && i < first + count; ++i) {
        std::snprintf(digits, sizeof digits, "%02X", bytes[i]);
        if (i != first)
            text += ' ';
        text += digits;
    }
    return text;
}

void StoreIdentification(SettingsBytes& bytes, const bt::IdentifierFormatFacts& format) noexcept
{
    void* b = bytes.data();
    StoreU32(b, settings::kAudioChannelType, bt::RecordValue(format.channels));
    StoreU32(b, settings::kAudioChannelCount, bt::ChannelCountOf(format));
    StoreU8(b, settings::kIdentifyChannels, 1);
    StoreU8(b, settings::kIdentifierFormat, bt::RecordValue(format.format));
}

std::string ColourSpaceName(std::uint8_t colorSpaceType)
{
    const bt::ColorSpaceFacts* facts = bt::FindColorSpace(colorSpaceType);
    return facts != nullptr ? std::string(bt::DisplayName(*facts)) : "unknown (" + std::to_string(colorSpaceType) + ")";
}

std::string IdentifierFormatName(std::uint8_t identifierFormat)
{
    const bt::IdentifierFormatFacts* facts = bt::FindIdentifierFormat(identifierFormat);
    return facts != nullptr ? std::string(bt::DisplayName(*facts)) : "unknown (" + std::to_string(identifierFormat) + ")";
}

double FramesPerSecond(std::int64_t frameDuration) noexcept
{
    return frameDuration > 0 && frameDuration != INT64_MAX
               ? static_cast<double>(bt::records::kTicksPerSecond) / static_cast<double>(frameDuration)
               : 0.0;
}

std::string FrameRateText(std::int64_t frameDuration)
{
    const double fps = FramesPerSecond(frameDuration);
    if (fps <= 0)
        return "no frame rate";
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", fps);
    std::string out = text;
    while (out.back() == '0')
        out.pop_back();
    if (out.back() == '.')
        out.pop_back();
    return out + " fps";
}

std::string SettingsSummary(const SettingsFields& f)
{
    const bt::ChannelLayoutFacts* layout = bt::ChannelLayoutOfCount(f.audioChannelCount);
    const char* channels = layout != nullptr ? layout->token : "?";
    char text[256];
    if (f.identifyChannels == 1) {
        std::snprintf(text, sizeof text, "%d x %d, %s, %s; %s %.0f Hz, %s", f.frameWidth, f.frameHeight,
                      FrameRateText(f.videoFrameRate).c_str(), ColourSpaceName(f.colorSpaceType).c_str(), channels,
                      static_cast<double>(f.audioFrameRate), IdentifierFormatName(f.identifierFormat).c_str());
    } else {
        const double db = 20.0 * std::log10(std::max(1e-15, static_cast<double>(f.amplitude)));
        std::snprintf(text, sizeof text, "%d x %d, %s, %s; %s %.0f Hz, steady %.1f Hz at %.2f dB", f.frameWidth,
                      f.frameHeight, FrameRateText(f.videoFrameRate).c_str(), ColourSpaceName(f.colorSpaceType).c_str(),
                      channels, static_cast<double>(f.audioFrameRate), static_cast<double>(f.frequency), db);
    }
    return text;
}

} // namespace btcli
