#pragma once
// What a clip must hold to be used: a settings record every command can ask
// the module about and turn into files. Every clip is judged by this one
// rule, whether read from a clip file or just made by `new`.
//
// Rationale: the module answers any record it is given, and a record edited
// by hand can hold what no dialog makes (a height of -16776136, no frame
// rate, seven channels). Asked about it, one request would fail in the module
// and another in an encoder, each in its own words; judged once, up front,
// every command refuses it alike, as a wrong request (exit status 2).

#include "SettingsRecord.h"

#include <optional>
#include <string>

namespace btcli {

/// The part of a clip a rule is about, so that a caller can name the flag
/// that set it.
enum class ClipPart { Record, Picture, PixelAspect, FrameRate, ColourSpace, Sound, Tone };

struct ClipFault {
    ClipPart part;
    std::string text; ///< what is wrong and what a clip holds instead, for a person
};

/// The first rule the record breaks; none when a clip can hold it.
[[nodiscard]] std::optional<ClipFault> FaultOf(const SettingsBytes& settings);

} // namespace btcli
