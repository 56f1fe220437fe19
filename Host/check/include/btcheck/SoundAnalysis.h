#pragma once
// The sound of one programme against the module's tone, block by block as
// the file is read: which tone it is, where it starts against the first
// picture, its level against a line-up level, its loudness, and every
// drop-out, click and change of level or frequency with its time.
//
// Rationale: memory stays flat however long the file. The tone is named and
// locked to the module's sound on a bounded opening stretch (long enough for
// the longest identification cycle to show); after that each block is
// compared with the module's sound for the same place and let go.

#include "btcheck/Findings.h"
#include "btcheck/MediaFile.h"
#include "btcheck/Reference.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace btcheck {

/// Decoded sound of one programme, as the one pass hands it on.
using SoundBlock = SoundSamples;

/// Where the sound lies against the picture.
struct SoundTiming {
    double startSeconds = 0;              ///< first sound sample against the first picture (later: positive); 0 without picture
    double frameRate = 0;                 ///< pictures per second; 0 without picture
};

class SoundAnalysis {
public:
    /// `reference` and `clip` outlive the analysis; `clip` may be null.
    SoundAnalysis(Reference& reference, const ClipExpectation* clip, const SoundOptions& options,
                  const SoundFacts& facts, const SoundTiming& timing);
    ~SoundAnalysis();
    SoundAnalysis(const SoundAnalysis&) = delete;
    SoundAnalysis& operator=(const SoundAnalysis&) = delete;

    /// The timing, when it is known only once the first picture and sound are
    /// decoded; it counts from the next block on, and for the sync only while
    /// the opening stretch is still being fed.
    void SetTiming(const SoundTiming& timing);

    /// Blocks in order; any number of samples each.
    void Feed(const SoundBlock& block);

    /// Faults found since the last call, for reports made while reading.
    /// Each is also in Finish's finding.
    [[nodiscard]] std::vector<Fault> TakeNewFaults();

    /// After the last block: everything measured and every fault.
    [[nodiscard]] SoundFinding Finish();

private:
    struct State;
    std::unique_ptr<State> mState;
};

} // namespace btcheck
