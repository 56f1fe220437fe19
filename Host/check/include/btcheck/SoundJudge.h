#pragma once
// Judging what the sound analysis measured: the level the tone should sit
// at, and each fault in a sentence for a person with its measured values.

#include "btcheck/Findings.h"
#include "btcheck/SoundFollow.h"
#include "btcheck/SoundIdentify.h"

#include <optional>
#include <string>
#include <vector>

namespace btcheck {

/// A level a tone is lined up to.
struct LineUp {
    enum class Source { Asked, Own, Recognised, Nearest };
    std::string name; ///< for people: "the EBU line-up level", "the clip's level", ...
    double dbfs = 0;
    Source source = Source::Recognised;
};

/// The usual line-up levels, EBU's and SMPTE's, and the module's own default
/// level (`moduleDefaultDbfs`).
[[nodiscard]] std::vector<LineUp> UsualLineUps(double moduleDefaultDbfs);

/// The level a tone at `toneDbfs` is judged against: the asked level, else
/// the tone's own (`own`: the clip's, or an identification's, whose level is
/// part of it), else the usual level within `tolerance` of it, else the
/// nearest usual level.
[[nodiscard]] LineUp ChooseLineUp(std::optional<double> asked, const std::optional<LineUp>& own, double toneDbfs,
                                  const std::vector<LineUp>& usual, double tolerance);

/// The tone's name for people: a cadence's as the dialog lists it, or
/// "steady 1000.0 Hz at -12.04 dBFS".
[[nodiscard]] std::string ToneName(const ToneSpec& tone);

/// Level faults: each carrying channel's tone level (`moduleDbfs` plus its
/// gain) against the line-up; one fault when every channel is off alike.
[[nodiscard]] std::vector<Fault> LevelFaults(const std::vector<ChannelReading>& channels, double moduleDbfs,
                                             const LineUp& lineUp, double tolerance);

/// Channels that carry another channel's sound, are silent where they should
/// carry one, whose identification no channel carries, or that are inverted.
[[nodiscard]] std::vector<Fault> ChannelFaults(const std::vector<ChannelReading>& channels,
                                               const Identification& identified, const std::string& toneName);

/// Each channel's frequency against the module's, beyond `tolerance`, unless a
/// re-labelled rate explains it (one fault for all channels).
[[nodiscard]] std::vector<Fault> FrequencyFaults(const std::vector<ChannelReading>& channels, const Pattern& pattern,
                                                 double tolerance);

/// "sound 120 ms, 3 frames, late": where the tone starts against the first picture.
[[nodiscard]] std::optional<Fault> SyncFault(double lateSeconds, double frameRate, double toleranceMs);

/// Events of the same kind over the same samples (within `block`) on several
/// channels, as one fault each. `names` are the file channels' names; times
/// are the programme's, the file's first sample lying at `startSeconds`.
[[nodiscard]] std::vector<Fault> EventFaults(const std::vector<SoundEvent>& events, const std::vector<std::string>& names,
                                             double rate, double startSeconds, std::int64_t block);

/// Samples the stream skipped, from file sample `first` for `count`.
[[nodiscard]] Fault MissingSamplesFault(std::int64_t first, std::int64_t count, double rate, double startSeconds);

} // namespace btcheck
