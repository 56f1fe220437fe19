#pragma once
// A whole check of one file: its container, picture and sound against the
// module's bars and tone (and against a clip, when one is given), read in
// one pass from the first packet to the last.

#include "btcheck/Findings.h"
#include "btcheck/MediaFile.h"
#include "btcheck/SoundAnalysis.h"
#include "bthost/Host.h"

#include <functional>
#include <string>

namespace btcheck {

struct CheckOptions {
    Tolerances tolerances;
    int frames = 0;             ///< pictures measured, spread over the file; 0: every one
    SoundOptions sound;
    double durationSeconds = 0; ///< stop after this much of the programme (a live input); 0: read to the end
    std::string timecode;       ///< the first picture's timecode the file should carry; empty: any
    /// Asked while reading: true ends the check early with what was read (an interrupt).
    std::function<bool()> interrupted;
    /// Each fault in time as it is found, before the report (a live input's far end).
    std::function<void(const Fault&)> found;
    /// Seconds of the programme read so far, and the seconds the file says it holds (0: not known).
    std::function<void(double read, double total)> progress;
};

/// The file's container facts against its own streams and the clip, and its
/// start timecode (the container's, else the one the pictures carry) against
/// `startTimecode` (empty: any).
[[nodiscard]] FileFinding CheckFileFacts(const FileFacts& facts, const ClipExpectation* clip,
                                         const std::string& startTimecode = {}, const CarriedTimecode& carried = {});

/// What the pass decoded against what the container declares: pictures and
/// sound that end early (`truncated`), picture and sound that end apart
/// (`duration`), and what the decoders refused (`decode`).
[[nodiscard]] std::vector<Fault> CheckLengths(const FileFacts& facts, const PassSummary& read);

/// Checks the file (or live input); throws ReadError when it cannot be read.
[[nodiscard]] CheckReport CheckFile(const std::string& path, bthost::Host& host, const ClipExpectation* clip,
                                    const CheckOptions& options);

} // namespace btcheck
