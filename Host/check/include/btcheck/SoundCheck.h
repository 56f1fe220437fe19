#pragma once
// The sound side of a check: each channel's level, frequency and polarity;
// which tone it is (a steady tone or one of the module's identification
// cadences), where in its cycle the file starts, which file channel carries
// which channel's identification; and the module's own sound for that tone
// as the measure of gain, frequency shifts and drop-outs.

#include "btcheck/Findings.h"
#include "btcheck/MediaFile.h"
#include "btcheck/Reference.h"
#include "btcheck/SoundAnalysis.h"

namespace btcheck {

/// `sound`: the first seconds of the file's sound, as the one pass read them.
[[nodiscard]] SoundFinding CheckSound(const Sound& sound, const SoundFacts& facts, Reference& reference,
                                      const ClipExpectation* clip, const Tolerances& tolerances,
                                      const SoundTiming& timing = {});

} // namespace btcheck
