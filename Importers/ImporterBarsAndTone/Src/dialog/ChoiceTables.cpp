#include "dialog/ChoiceTables.h"

#include "ImporterBarsAndTone/Channels.h"
#include "ImporterBarsAndTone/ColorSpaces.h"
#include "ImporterBarsAndTone/IdentifierFormats.h"
#include "ImporterBarsAndTone/Presets.h"
#include "dialog/LocalizationKeys.h"
#include "zelcore/config/Localizer.h"
#include "zelmediatypes/TickTime.h"

#include <array>
#include <string_view>

namespace bt::dialog {

namespace {

namespace mt = zelmediatypes;

std::u16string Label(const char* key) { return zelcore::config::Localizer::Get().Localize(key); }

// The identifier formats of one channel type, in the order of their rows.
template <ChannelType Type>
constexpr auto kIdentifierChoices = [] {
    constexpr std::size_t count = [] {
        std::size_t n = 0;
        for (const IdentifierFormatFacts& facts : kIdentifierFormats)
            n += facts.channels == Type ? 1 : 0;
        return n;
    }();
    std::array<FixedChoice, count> choices{};
    std::size_t next = 0;
    for (const IdentifierFormatFacts& facts : kIdentifierFormats)
        if (facts.channels == Type)
            choices[next++] = {facts.dialogLabelKey, RecordValue(facts.format)};
    return choices;
}();
// One item per colour space, in the order of their rows.
constexpr auto kColorSpaceChoices = [] {
    std::array<FixedChoice, kColorSpaces.size()> choices{};
    for (std::size_t i = 0; i < kColorSpaces.size(); ++i)
        choices[i] = {kColorSpaces[i].dialogLabelKey, RecordValue(kColorSpaces[i].space)};
    return choices;
}();
// Their labels are the dialog's texts, translated from the dialog's catalogue.
static_assert([] {
    for (const ColorSpaceFacts& facts : kColorSpaces)
        if (!std::string_view(facts.dialogLabelKey).starts_with(DIALOG_KEY("")))
            return false;
    for (const IdentifierFormatFacts& facts : kIdentifierFormats)
        if (!std::string_view(facts.dialogLabelKey).starts_with(DIALOG_KEY("")))
            return false;
    for (const PresetFacts& facts : kPresets)
        if (!std::string_view(facts.dialogLabelKey).starts_with(DIALOG_KEY("")))
            return false;
    return true;
}());
// One item per preset, in the order of their rows.
constexpr auto kPresetChoices = [] {
    std::array<FixedChoice, kPresets.size()> choices{};
    for (std::size_t i = 0; i < kPresets.size(); ++i)
        choices[i] = {kPresets[i].dialogLabelKey, RecordValue(kPresets[i].preset)};
    return choices;
}();

} // namespace

// Rationale: function-local statics give the thread-safe one-time
// initialisation the tables need; the labels are translated once, when the
// first caller builds them.
const std::vector<AudioRateEntry>& GetAudioRates()
{
    static const std::vector<AudioRateEntry> table{
        {7938000, Label(DIALOG_KEY("FrameRate_Audio32000=32000 Hz"))},
        {5760000, Label(DIALOG_KEY("FrameRate_Audio44100=44100 Hz"))},
        {5292000, Label(DIALOG_KEY("FrameRate_Audio48000=48000 Hz"))},
        {2880000, Label(DIALOG_KEY("FrameRate_Audio88200=88200 Hz"))},
        {2646000, Label(DIALOG_KEY("FrameRate_Audio96000=96000 Hz"))},
    };
    return table;
}

const std::vector<PixelAspectRatioEntry>& GetPixelAspectRatios()
{
    static const std::vector<PixelAspectRatioEntry> table{
        {mt::kPixelAspectRatio_Square, Label(DIALOG_KEY("SquarePixels=Square Pixels (1.0)"))},
        {mt::kPixelAspectRatio_DVNTSC, Label(DIALOG_KEY("D1_DV_NTSC=D1/DV NTSC (0.9091)"))},
        {mt::kPixelAspectRatio_DVNTSCWide, Label(DIALOG_KEY("D1_DV_NTSC_Widescreen=D1/DV NTSC Widescreen 16:9 (1.2121)"))},
        {mt::kPixelAspectRatio_DVPAL, Label(DIALOG_KEY("D1_DV_PAL=D1/DV PAL(1.0940)"))},
        {mt::kPixelAspectRatio_DVPALWide, Label(DIALOG_KEY("D1_DV_PAL_Widescreen=D1/DV PAL Widescreen 16:9 (1.4587)"))},
        {mt::kPixelAspectRatio_Anamorphic, Label(DIALOG_KEY("Anamorphic=Anamorphic 2:1 (2.0)"))},
        {mt::kPixelAspectRatio_HDAnamorphic1080, Label(DIALOG_KEY("HD_Anamorphic=HD Anamorphic 1080 (1.333)"))},
        {mt::kPixelAspectRatio_DVCProHD, Label(DIALOG_KEY("DVCPRO_HD=DVCPRO HD (1.5)"))},
    };
    return table;
}

const std::vector<VideoRateEntry>& GetVideoRates()
{
    static const std::vector<VideoRateEntry> table{
        {10594584000, 0, Label(DIALOG_KEY("FrameRate_23976=23.976 fps"))},
        {10584000000, 0, Label(DIALOG_KEY("FrameRate_Film24=24.00 fps"))},
        {10160640000, 0, Label(DIALOG_KEY("FrameRate_VideoPAL=25.00 fps"))},
        {8475667200, 1, Label(DIALOG_KEY("FrameRate_VideoNTSC=29.97 fps"))},
        {8467200000, 0, Label(DIALOG_KEY("FrameRate_Video30=30.00 fps"))},
        {5292000000, 0, Label(DIALOG_KEY("FrameRate_Film48=48.00 fps"))},
        {5080320000, 0, Label(DIALOG_KEY("FrameRate_VideoPAL_HD=50.00 fps"))},
        {4237833600, 1, Label(DIALOG_KEY("FrameRate_VideoNTSC_HD=59.94 fps"))},
        {4233600000, 0, Label(DIALOG_KEY("FrameRate_60=60.00 fps"))},
    };
    return table;
}

double AudioRateOf(const AudioRateEntry& entry) noexcept
{
    if (entry.sampleDuration == mt::kNoRateDuration)
        return 0.0;
    return static_cast<double>(mt::kTicksPerSecond) / static_cast<double>(entry.sampleDuration);
}

std::size_t AudioEntryForRate(float rate)
{
    const auto& table = GetAudioRates();
    std::size_t found = 0;
    for (std::size_t i = 0; i < table.size(); ++i)
        if (AudioRateOf(table[i]) == static_cast<double>(rate))
            found = i;
    return found;
}

std::size_t ParEntryForRatio(zelmediatypes::PixelAspectRatio par)
{
    const auto& table = GetPixelAspectRatios();
    std::size_t found = 0;
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i].par == par)
            found = i;
    return found;
}

std::size_t VideoEntryForDuration(std::int64_t frameDuration)
{
    const auto& table = GetVideoRates();
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i].frameDuration == frameDuration)
            return i;
    return 0;
}

bool IsInsideTable(std::int64_t index, std::size_t size) noexcept
{
    return static_cast<std::uint32_t>(index) < size;
}

std::span<const FixedChoice> IdentifierFormatChoices(std::uint32_t audioChannelType) noexcept
{
    switch (audioChannelType) {
    case RecordValue(ChannelType::Stereo): return kIdentifierChoices<ChannelType::Stereo>;
    case RecordValue(ChannelType::Surround51): return kIdentifierChoices<ChannelType::Surround51>;
    default: return {};
    }
}

std::span<const FixedChoice> ColorSpaceChoices() noexcept { return kColorSpaceChoices; }

std::span<const FixedChoice> PresetChoices() noexcept { return kPresetChoices; }

} // namespace bt::dialog
