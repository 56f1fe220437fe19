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

/// Decoded sound of one programme: planar float, full scale 1.0.
struct SoundBlock {
    std::int64_t firstSample = 0;       ///< from the programme's first decoded sample; a jump past the
                                        ///< previous block's end: samples missing
    std::size_t count = 0;              ///< samples per channel
    std::vector<const float*> channels; ///< the programme's channels in file order
};

/// Where the sound lies against the picture.
struct SoundTiming {
    double startSeconds = 0;              ///< first sound sample against the first picture (later: positive); 0 without picture
    double frameRate = 0;                 ///< pictures per second; 0 without picture
    std::int64_t firstFrameTimecode = -1; ///< frames since midnight of the first picture's timecode; -1 none
};

struct SoundOptions {
    double levelDb = 0.1;     ///< a tone's level may be this far from its line-up, and change this much
    double frequencyHz = 0.1; ///< a tone's frequency may be this far off, and change this much
    double syncMs = 1;        ///< the tone may start this far from the first picture
    /// A sample may leave the course of the tone by this share of its
    /// amplitude before it is a click.
    double clickShare = 0.05;
    /// The line-up level the tone should sit at, dBFS; none: the clip's, or
    /// else one of the usual line-up levels recognised in the file.
    std::optional<double> referenceLevel;
    /// The stretch the tone is named and locked on, at most; the longest
    /// identification cycle is 13.4 s.
    double openingSeconds = 16;
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
