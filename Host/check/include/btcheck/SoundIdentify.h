#pragma once
// Naming the tone on the opening stretch of a file's sound: each channel's
// on/off pattern in 10 ms blocks, the module's pattern for each candidate
// tone, the phase of the cycle and the pairing of channels that fit best,
// and which channel of the module each file channel carries.

#include "btcheck/Reference.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace btcheck {

/// Sound is judged in blocks of this length; a whole number of samples at
/// every usual rate, and of whole cycles of the usual 1 kHz tone.
inline constexpr double kBlockSeconds = 0.01;

/// Samples per block at `rate`.
[[nodiscard]] std::size_t BlockSamples(double rate);

/// A low-frequency effects channel carries only what lies below this:
/// codecs band-limit it (AC-3's and AAC's to 120 Hz), so the module's higher
/// tones on it may be missing from a file that is right.
inline constexpr double kLowFrequencyTop = 120;

/// Which of a file's channels are low-frequency effects channels, by their
/// names ("LFE"), or by their place in a six-channel file without names.
[[nodiscard]] std::vector<bool> LowFrequencyChannels(const std::vector<std::string>& names, std::size_t channels);

/// Each channel of the opening stretch, block by block.
struct OpeningLevels {
    double rate = 0;
    std::size_t block = 0;                   ///< samples per block
    std::vector<std::vector<double>> levels; ///< RMS per channel and block
    std::vector<std::vector<bool>> on;       ///< blocks that sound
    std::vector<double> frequency;           ///< Hz over the longest run of tone, 0 none
    std::vector<double> loudestDb;           ///< dBFS of the loudest block's RMS
};

[[nodiscard]] OpeningLevels MeasureOpening(const std::vector<std::vector<float>>& channels, double rate);

/// The module's sound for one candidate tone, as on/off blocks.
struct Pattern {
    ToneSpec tone;
    ToneSpec asked;                    ///< as asked of the module (every channel a cadence may write)
    bool shared = false;               ///< one channel stands for all: a steady tone
    double ratio = 1;                  ///< file frequency ÷ module frequency
    double ratioFrom = 0, ratioTo = 0; ///< the re-labelling of rates the ratio stands for
    double rate = 0;                   ///< the rate it was asked for at
    std::vector<std::vector<float>> samples; ///< channels that sound at all
    std::vector<int> hostChannel;            ///< which of the asked channels each is
    int hostChannels = 0;                    ///< channels of the layout the tone identifies
    std::vector<std::vector<double>> levels;
    std::vector<std::vector<bool>> on;
    std::vector<std::vector<bool>> high;     ///< blocks whose tone lies above kLowFrequencyTop
    std::size_t period = 0; ///< blocks; 0: not periodic within the rendering
    double levelDbfs = 0;   ///< peak level of its loudest tone
};

[[nodiscard]] Pattern RenderPattern(Reference& reference, const ToneSpec& asked, double rate, double ratio,
                                    std::size_t block, double seconds);

/// The file's channels laid against a pattern.
struct Alignment {
    double score = 0;              ///< share of blocks that agree
    std::size_t phase = 0;         ///< blocks: file block b lies against the pattern's block b + phase
    std::vector<int> follows;      ///< per file channel: index into the pattern's channels, -1 none
    std::vector<double> agreement; ///< per file channel, with the channel it follows
};

/// `lowFrequency`: the file channels that may miss the pattern's tones above
/// kLowFrequencyTop (empty: none).
[[nodiscard]] Alignment Align(const Pattern& pattern, const std::vector<std::vector<bool>>& fileOn,
                              const std::vector<bool>& lowFrequency = {});

/// The tone that fits the opening best.
struct Identification {
    bool found = false; ///< a tone fits, and the sound is not silent
    bool silent = false;
    Pattern pattern;
    Alignment alignment;
};

/// Tries the `expected` steady tone (when it is one) and every identification
/// cadence, each at the re-labelled rates its frequencies allow.
[[nodiscard]] Identification Identify(Reference& reference, const ToneSpec& expected, const OpeningLevels& opening,
                                      const std::vector<bool>& lowFrequency = {});

/// What one file channel carries.
struct ChannelRole {
    int source = -1;   ///< index into the pattern's channels; -1: follows none
    int carries = -1;  ///< host channel whose sound it carries; -1 none
    int expected = -1; ///< host channel its place in the file's order calls for
};

[[nodiscard]] std::vector<ChannelRole> AssignChannels(const Identification& identified, const OpeningLevels& opening);

} // namespace btcheck
