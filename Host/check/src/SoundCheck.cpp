#include "btcheck/SoundCheck.h"

#include "btcheck/SoundAnalysis.h"

#include <algorithm>

namespace btcheck {

namespace {

// The decoded sound is handed on in pieces of this many samples, as a reader
// of the whole file hands it on.
constexpr std::size_t kPiece = 4800;

} // namespace

SoundFinding CheckSound(const Sound& sound, const SoundFacts& facts, Reference& reference,
                        const ClipExpectation* clip, const Tolerances& tolerances, const SoundTiming& timing)
{
    if (sound.channels.empty() || sound.channels[0].empty())
        return {};
    SoundFacts decoded = facts;
    decoded.rate = sound.rate;
    decoded.channels = static_cast<int>(sound.channels.size());
    SoundOptions options;
    options.levelDb = tolerances.levelDb;
    options.frequencyHz = tolerances.frequencyHz;
    SoundAnalysis analysis(reference, clip, options, decoded, timing);
    const std::size_t length = sound.channels[0].size();
    SoundBlock block;
    block.channels.resize(sound.channels.size());
    for (std::size_t done = 0; done < length; done += kPiece) {
        block.firstSample = static_cast<std::int64_t>(done);
        block.count = std::min(kPiece, length - done);
        for (std::size_t c = 0; c < sound.channels.size(); ++c)
            block.channels[c] = sound.channels[c].data() + done;
        analysis.Feed(block);
    }
    SoundFinding out = analysis.Finish();
    out.truncated = sound.truncated;
    return out;
}

} // namespace btcheck
