#pragma once
// The channel-identification cadences a clip's sound can carry instead of a
// steady tone, one row each: the value of the settings record's identifier
// byte, the dialog's item, a short name, and the channels it identifies. The
// module and its hosts walk the same rows.

#include "ImporterBarsAndTone/Channels.h"
#include "ImporterBarsAndTone/DefaultText.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace bt {

/// A cadence by the value of the settings record's identifier byte (byte 28).
enum class IdentifierFormat : std::uint8_t {
    EbuStereo1000 = 0,
    EbuStereo400 = 1,
    EbuMultichannel = 2,
    Blits = 3,
};

struct IdentifierFormatFacts {
    IdentifierFormat format;
    const char* dialogLabelKey; ///< localisation key of its item in the settings dialog
    const char* token;          ///< short lower-case name for command lines
    ChannelType channels;       ///< the layout it identifies; the dialog offers it for clips of that layout
};

// clang-format off
inline constexpr std::array<IdentifierFormatFacts, 4> kIdentifierFormats{{
    {IdentifierFormat::EbuStereo1000,
     "$$$/Kestrel/Importers/BarsAndTone/ToneSettingsDialog/EBUStereo1000=EBU Stereo (1000 Hz)", "ebu1000",
     ChannelType::Stereo},
    {IdentifierFormat::EbuStereo400,
     "$$$/Kestrel/Importers/BarsAndTone/ToneSettingsDialog/EBUStereo400=EBU Stereo (400 Hz)", "ebu400",
     ChannelType::Stereo},
    {IdentifierFormat::EbuMultichannel,
     "$$$/Kestrel/Importers/BarsAndTone/ToneSettingsDialog/EBUMultichannel=EBU Multichannel (5.1)", "ebu51",
     ChannelType::Surround51},
    {IdentifierFormat::Blits,
     "$$$/Kestrel/Importers/BarsAndTone/ToneSettingsDialog/BLITS5_1=BLITS (5.1)", "blits",
     ChannelType::Surround51},
}};
// clang-format on

[[nodiscard]] constexpr std::uint8_t RecordValue(IdentifierFormat format) noexcept
{
    return static_cast<std::uint8_t>(format);
}

/// Rows are in the order of their record values, so a value is its row's index.
constexpr bool IdentifierRowsFollowRecordValues() noexcept
{
    for (std::size_t i = 0; i < kIdentifierFormats.size(); ++i)
        if (RecordValue(kIdentifierFormats[i].format) != i)
            return false;
    return true;
}
static_assert(IdentifierRowsFollowRecordValues());

[[nodiscard]] constexpr const IdentifierFormatFacts& FactsOf(IdentifierFormat format) noexcept
{
    return kIdentifierFormats[RecordValue(format)];
}

/// The row a record's identifier byte names; null for a value no row has.
[[nodiscard]] constexpr const IdentifierFormatFacts* FindIdentifierFormat(std::uint8_t recordValue) noexcept
{
    return recordValue < kIdentifierFormats.size() ? &kIdentifierFormats[recordValue] : nullptr;
}

/// The cadence's name for people ("BLITS (5.1)"), as the dialog lists it.
[[nodiscard]] constexpr std::string_view DisplayName(const IdentifierFormatFacts& facts) noexcept
{
    return DefaultText(facts.dialogLabelKey);
}

/// The channel count of the layout a cadence identifies.
[[nodiscard]] constexpr std::uint32_t ChannelCountOf(const IdentifierFormatFacts& facts) noexcept
{
    return FactsOf(facts.channels).count;
}

} // namespace bt
