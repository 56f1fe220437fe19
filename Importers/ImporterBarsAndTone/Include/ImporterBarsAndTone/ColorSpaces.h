#pragma once
// The colour spaces of bars clips, one row each: the value a clip's settings
// record holds for it, how its pictures are described to the host, and what
// people read of it. The module and its hosts walk the same rows, so a new
// colour space is one new row here (and the module's own row beside it).

#include "ImporterBarsAndTone/DefaultText.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace bt {

/// A colour space by the value of the settings record's colour-space byte
/// (byte 64). The byte itself may hold any value: FindColorSpace tells
/// whether one of these is meant.
enum class ColorSpace : std::uint8_t {
    Rec601 = 0,
    Rec709 = 1,
    Rec2100Hlg = 2,
    Rec2100Pq = 3,
};

/// ITU-T H.273 code points, as selector 73 answers them.
struct H273CodePoints {
    std::uint32_t primaries;
    std::uint32_t transfer;
    std::uint32_t matrix;
};

struct ColorSpaceFacts {
    ColorSpace space;
    H273CodePoints codePoints;
    const char* clipNameKey;    ///< localisation key of the name a new clip gets
    const char* dialogLabelKey; ///< localisation key of its item in the settings dialog
    const char* token;          ///< short lower-case name for command lines and file names
};

/// The name of new clips whose colour space adds nothing to it.
inline constexpr const char* kPlainClipNameKey = "$$$/Kestrel/Importers/ImporterBarsAndTone/BarsAndTone=Bars and Tone";

// Rec. 601 pictures are described with BT.709 primaries, as the host expects.
// clang-format off
inline constexpr std::array<ColorSpaceFacts, 4> kColorSpaces{{
    {ColorSpace::Rec601,
     {1, 6, 5}, // BT.709 primaries, BT.601 transfer, BT.601 625-line matrix
     kPlainClipNameKey,
     "$$$/Kestrel/Importers/BarsAndTone/ToneSettingsDialog/SD=Rec. 601",
     "rec601"},
    {ColorSpace::Rec709,
     {1, 1, 1}, // BT.709 throughout
     "$$$/Kestrel/Importers/ImporterBarsAndTone/BarsAndTone-Rec709=Bars and Tone - Rec 709",
     "$$$/Kestrel/Importers/BarsAndTone/ToneSettingsDialog/HD=Rec. 709",
     "rec709"},
    {ColorSpace::Rec2100Hlg,
     {9, 18, 9}, // BT.2020 primaries, ARIB STD-B67, BT.2020 non-constant luminance
     "$$$/Kestrel/Importers/ImporterBarsAndTone/BarsAndTone-Rec2100HLG=Bars and Tone - Rec 2100 HLG",
     "$$$/Kestrel/Importers/BarsAndTone/ToneSettingsDialog/HLG=Rec. 2100 HLG",
     "hlg"},
    {ColorSpace::Rec2100Pq,
     {9, 16, 9}, // BT.2020 primaries, SMPTE ST 2084, BT.2020 non-constant luminance
     "$$$/Kestrel/Importers/ImporterBarsAndTone/BarsAndTone-Rec2100PQ=Bars and Tone - Rec 2100 PQ",
     "$$$/Kestrel/Importers/BarsAndTone/ToneSettingsDialog/PQ=Rec. 2100 PQ",
     "pq"},
}};
// clang-format on

[[nodiscard]] constexpr std::uint8_t RecordValue(ColorSpace space) noexcept
{
    return static_cast<std::uint8_t>(space);
}

/// Rows are in the order of their record values, so a value is its row's index.
constexpr bool RowsFollowRecordValues() noexcept
{
    for (std::size_t i = 0; i < kColorSpaces.size(); ++i)
        if (RecordValue(kColorSpaces[i].space) != i)
            return false;
    return true;
}
static_assert(RowsFollowRecordValues());

[[nodiscard]] constexpr const ColorSpaceFacts& FactsOf(ColorSpace space) noexcept
{
    return kColorSpaces[RecordValue(space)];
}

/// The row a record's colour-space byte names; null for a value no row has.
[[nodiscard]] constexpr const ColorSpaceFacts* FindColorSpace(std::uint8_t recordValue) noexcept
{
    return recordValue < kColorSpaces.size() ? &kColorSpaces[recordValue] : nullptr;
}

/// The colour space's name for people ("Rec. 2100 HLG"): its dialog item's
/// default text, so that hosts name it as the dialog lists it.
[[nodiscard]] constexpr std::string_view DisplayName(const ColorSpaceFacts& facts) noexcept
{
    return DefaultText(facts.dialogLabelKey);
}

} // namespace bt
