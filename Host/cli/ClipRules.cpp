#include "ClipRules.h"

#include "ImporterBarsAndTone/Channels.h"
#include "ImporterBarsAndTone/ColorSpaces.h"
#include "ImporterBarsAndTone/FrameSizes.h"
#include "ImporterBarsAndTone/IdentifierFormats.h"

#include <cmath>
#include <cstdint>
#include <sstream>

namespace btcli {

namespace {

namespace layout = bt::records::ToneSettingsRecord;

std::string Number(double v)
{
    std::ostringstream text;
    text << v;
    return text.str();
}

template <class Rows>
std::string NamesOf(const Rows& rows)
{
    std::string names;
    for (const auto& row : rows)
        names += (names.empty() ? "" : ", ") + std::string(bt::DisplayName(row));
    return names;
}

std::string ChannelCounts()
{
    std::string counts;
    for (std::size_t i = 0; i < bt::kChannelLayouts.size(); ++i)
        counts += (i == 0 ? "" : i + 1 == bt::kChannelLayouts.size() ? " or " : ", ") +
                  std::to_string(bt::kChannelLayouts[i].count);
    return counts;
}

} // namespace

std::optional<ClipFault> FaultOf(const SettingsBytes& settings)
{
    const SettingsFields f = DecodeSettings(settings);
    if (f.version == layout::kOlderVersion)
        return ClipFault{ClipPart::Record,
                         "its settings record has the older layout (version " + std::to_string(f.version) +
                             "), whose picture a host keeps apart from the record, and a clip file holds none"};
    if (f.version != layout::kCurrentVersion)
        return ClipFault{ClipPart::Record, "its settings record is version " + std::to_string(f.version) +
                                               "; a clip's record is version " +
                                               std::to_string(layout::kCurrentVersion)};

    const bt::FrameSizeRange& sizes = bt::kFrameSizes;
    if (!sizes.Holds(f.frameWidth, f.frameHeight))
        return ClipFault{ClipPart::Picture, "its picture is " + std::to_string(f.frameWidth) + " x " +
                                                std::to_string(f.frameHeight) + " pixels, and a clip's is from " +
                                                std::to_string(sizes.minWidth) + " x " +
                                                std::to_string(sizes.minHeight) + " to " +
                                                std::to_string(sizes.maxWidth) + " x " +
                                                std::to_string(sizes.maxHeight)};
    if (f.parNumerator == 0 || f.parDenominator == 0)
        return ClipFault{ClipPart::PixelAspect, "its pixel aspect ratio is " + std::to_string(f.parNumerator) + "/" +
                                                    std::to_string(f.parDenominator) + ", which is no shape"};
    if (FramesPerSecond(f.videoFrameRate) <= 0)
        return ClipFault{ClipPart::FrameRate, "it has no frame rate (a frame lasts " +
                                                  std::to_string(f.videoFrameRate) + " ticks)"};
    if (bt::FindColorSpace(f.colorSpaceType) == nullptr)
        return ClipFault{ClipPart::ColourSpace, "its colour space is " + std::to_string(f.colorSpaceType) +
                                                    ", none of the module's (" + NamesOf(bt::kColorSpaces) + ")"};

    if (!std::isfinite(f.audioFrameRate) || f.audioFrameRate <= 0)
        return ClipFault{ClipPart::Sound, "its sound has a rate of " + Number(static_cast<double>(f.audioFrameRate)) + " Hz"};
    if (bt::ChannelLayoutOfCount(f.audioChannelCount) == nullptr)
        return ClipFault{ClipPart::Sound, "its sound has " + std::to_string(f.audioChannelCount) +
                                              " channels, and a clip's has " + ChannelCounts()};
    if (f.identifyChannels == 1) {
        if (bt::FindIdentifierFormat(f.identifierFormat) == nullptr)
            return ClipFault{ClipPart::Tone, "its sound identifies its channels in format " +
                                                 std::to_string(f.identifierFormat) + ", none of the module's (" +
                                                 NamesOf(bt::kIdentifierFormats) + ")"};
    } else if (!std::isfinite(f.frequency) || f.frequency <= 0 || !std::isfinite(f.amplitude) || f.amplitude < 0) {
        return ClipFault{ClipPart::Tone, "its tone is " + Number(static_cast<double>(f.frequency)) + " Hz at a gain of " +
                                             Number(static_cast<double>(f.amplitude)) + "; a tone is above 0 Hz at a gain of 0 or more"};
    }
    return std::nullopt;
}

} // namespace btcli
