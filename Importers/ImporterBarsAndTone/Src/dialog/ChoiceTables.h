#pragma once
// The dialog's choice lists. Three value tables (audio rates, pixel aspect
// ratios, video rates) are built once per process with their labels
// translated at that moment; three short fixed lists (identifier formats,
// colour spaces, presets) are written into their pop-ups each time the
// dialog fills them. Each list keeps the stored value apart from its place
// in the pop-up.

#include "zelmediatypes/PixelAspectRatio.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace bt::dialog {

struct AudioRateEntry {
    std::int64_t sampleDuration; ///< ticks per sample
    std::u16string label;
};

struct PixelAspectRatioEntry {
    zelmediatypes::PixelAspectRatio par;
    std::u16string label;
};

struct VideoRateEntry {
    std::int64_t frameDuration; ///< ticks per frame
    std::uint8_t dropFrame;
    std::u16string label;
};

/// The tables, built on first use. [any thread]
const std::vector<AudioRateEntry>& GetAudioRates();
const std::vector<PixelAspectRatioEntry>& GetPixelAspectRatios();
const std::vector<VideoRateEntry>& GetVideoRates();

/// 254016000000 / sampleDuration in double precision; 0.0 for the "no rate" duration.
[[nodiscard]] double AudioRateOf(const AudioRateEntry& entry) noexcept;
/// The last entry whose rate equals `rate` widened to double; 0 when none does.
[[nodiscard]] std::size_t AudioEntryForRate(float rate);
/// The last entry whose ratio equals `par`; 0 when none does.
[[nodiscard]] std::size_t ParEntryForRatio(zelmediatypes::PixelAspectRatio par);
/// The first entry whose duration equals `frameDuration`; 0 when none does.
[[nodiscard]] std::size_t VideoEntryForDuration(std::int64_t frameDuration);
/// Whether a pop-up index names an entry of a table of `size` entries; the
/// index is compared as an unsigned 32-bit number.
[[nodiscard]] bool IsInsideTable(std::int64_t index, std::size_t size) noexcept;

/// An item of a fixed list: its label key and the value it stores.
struct FixedChoice {
    const char* key;
    std::uint8_t value;
};

/// The identifier formats offered for a channel type: EBU stereo for stereo,
/// EBU multichannel and BLITS for 5.1, none otherwise.
[[nodiscard]] std::span<const FixedChoice> IdentifierFormatChoices(std::uint32_t audioChannelType) noexcept;
[[nodiscard]] std::span<const FixedChoice> ColorSpaceChoices() noexcept;
[[nodiscard]] std::span<const FixedChoice> PresetChoices() noexcept;

} // namespace bt::dialog
