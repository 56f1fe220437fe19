#pragma once
// The presets of the settings dialog, one row each: the value of the settings
// record's preset byte and the dialog's item. The dialog fills its preset list
// from these rows, and hosts that choose a preset for a user name it by the
// same item, so a new preset is one new row here (and its picture in the
// dialog's preset routines).

#include "ImporterBarsAndTone/DefaultText.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace bt {

/// A preset by the value of the settings record's preset byte (byte 65).
enum class Preset : std::uint8_t {
    Custom = 0,
    MatchSequence = 1,
    SdRec601 = 2,
    HdRec709 = 3,
    HdRec2100Hlg = 4,
    HdRec2100Pq = 5,
    UhdRec709 = 6,
    UhdRec2100Hlg = 7,
    UhdRec2100Pq = 8,
};

struct PresetFacts {
    Preset preset;
    const char* dialogLabelKey; ///< localisation key of its item in the settings dialog
};

// In the order the dialog lists them.
// clang-format off
inline constexpr std::array<PresetFacts, 9> kPresets{{
    {Preset::Custom,        "$$$/Kestrel/Importers/BarsAndTone/ToneSettingsDialog/Custom=Custom"},
    {Preset::MatchSequence, "$$$/Kestrel/Importers/BarsAndTone/ToneSettingsDialog/MatchSeqSettings=Automatic (match sequence)"},
    {Preset::SdRec601,      "$$$/Kestrel/Importers/BarsAndTone/ToneSettingsDialog/SD1=SD Rec.601"},
    {Preset::HdRec709,      "$$$/Kestrel/Importers/BarsAndTone/ToneSettingsDialog/HD1=HD Rec.709"},
    {Preset::HdRec2100Hlg,  "$$$/Kestrel/Importers/BarsAndTone/ToneSettingsDialog/HLG1=HD Rec.2100 HLG"},
    {Preset::HdRec2100Pq,   "$$$/Kestrel/Importers/BarsAndTone/ToneSettingsDialog/PQ1=HD Rec.2100 PQ"},
    {Preset::UhdRec709,     "$$$/Kestrel/Importers/BarsAndTone/ToneSettingsDialog/HD2=UHD Rec.709"},
    {Preset::UhdRec2100Hlg, "$$$/Kestrel/Importers/BarsAndTone/ToneSettingsDialog/HLG2=UHD Rec.2100 HLG"},
    {Preset::UhdRec2100Pq,  "$$$/Kestrel/Importers/BarsAndTone/ToneSettingsDialog/PQ2=UHD Rec.2100 PQ"},
}};
// clang-format on

[[nodiscard]] constexpr std::uint8_t RecordValue(Preset preset) noexcept
{
    return static_cast<std::uint8_t>(preset);
}

/// Rows are in the order of their record values, so a value is its row's index.
constexpr bool PresetRowsFollowRecordValues() noexcept
{
    for (std::size_t i = 0; i < kPresets.size(); ++i)
        if (RecordValue(kPresets[i].preset) != i)
            return false;
    return true;
}
static_assert(PresetRowsFollowRecordValues());

/// The row a record's preset byte names; null for a value no row has.
[[nodiscard]] constexpr const PresetFacts* FindPreset(std::uint8_t recordValue) noexcept
{
    return recordValue < kPresets.size() ? &kPresets[recordValue] : nullptr;
}

/// The preset's name for people ("UHD Rec.2100 PQ"), as the dialog lists it.
[[nodiscard]] constexpr std::string_view DisplayName(const PresetFacts& facts) noexcept
{
    return DefaultText(facts.dialogLabelKey);
}

} // namespace bt
