#pragma once
// Writes finished clip files with FFmpeg's libraries: the picture as 10-bit
// narrow-range Y'CbCr with its colour description (H.273 primaries, transfer
// characteristics, matrix coefficients, narrow range) written into the
// stream, and the sound with its channel layout declared.
//
// The writer pulls its material through callbacks: pictures from several
// threads at once (so a host can have the module paint frames in parallel),
// sound in the export thread, in the host's channel order.
//
// Rationale for the formats:
// - FFV1 in Matroska keeps the picture lossless at 4:4:4. Matroska's PCM has
//   no channel mask, so the sound goes in as 24-bit FLAC, which is lossless
//   for 24-bit samples and whose channel assignment declares 5.1.
// - ProRes 422 HQ in QuickTime is what editors take without a second thought;
//   its 24-bit PCM keeps the layout through the file's channel atom. Chroma is
//   halved by taking every even sample (co-sited with the left luma sample,
//   the location written into the stream), which keeps flat patches exact
//   where a filter would blur them into their neighbours.
// - The null sink requests and converts every picture and every stretch of
//   sound like a real export and then drops them: a way to time the module.

#include "btmedia/OutputFile.h"
#include "btmedia/StudioPicture.h"

#include <cstdint>
#include <functional>
#include <string>

namespace btmedia {

enum class MovieFormat {
    Ffv1Matroska,    ///< .mkv, FFV1 4:4:4 10-bit, FLAC 24-bit
    ProResQuickTime, ///< .mov, ProRes 422 HQ 10-bit, PCM 24-bit
    NullSink,        ///< nothing written
};

struct MovieSpec {
    MovieFormat format = MovieFormat::Ffv1Matroska;
    std::string path;                 ///< the output's name in messages; unused by the null sink
    OutputFile* output = nullptr;     ///< where the movie goes, committed when complete; none: `path`, replaced
    int width = 0;                    ///< pixels
    int height = 0;                   ///< pixels
    std::int64_t frameDuration = 0;   ///< ticks, 254016000000 per second
    std::uint32_t parNumerator = 1;   ///< pixel aspect ratio
    std::uint32_t parDenominator = 1;
    ColourCodes colour;               ///< H.273 code points written into the stream
    int audioRate = 0;                ///< Hz; 0: no sound
    int audioChannels = 0;            ///< 1, 2 or 6, in the host's order
    std::int64_t frameCount = 0;      ///< length of the export in frames
    int pictureThreads = 1;           ///< threads that request pictures
    std::uint32_t soundChunk = 1024;  ///< samples per sound request (PCM and null sink)
};

struct MovieSources {
    /// Fills picture `frame` into planes the size of the movie. [called on
    /// up to pictureThreads threads at once, each with its own planes]
    std::function<void(std::int64_t frame, const StudioPlanes& out)> picture;
    /// Fills `count` samples from sample `position` into one buffer per
    /// channel, in the host's channel order. [export thread]
    std::function<void(std::int64_t position, std::uint32_t count, float* const* channels)> sound;
    /// Told after each frame is written. [export thread]
    std::function<void(std::int64_t framesDone, std::int64_t frameCount)> progress;
};

struct MovieResult {
    std::int64_t frames = 0;
    std::int64_t samples = 0; ///< per channel
};

/// The number of sound samples that belong to `frames` frames, rounded to
/// nearest.
[[nodiscard]] std::int64_t SamplesForFrames(std::int64_t frames, std::int64_t frameDuration, int audioRate);

/// File channel i carries host channel FileChannelSource(channels, i): for
/// 5.1 the host's L, R, Ls, Rs, C, LFE become the file's L, R, C, LFE, Ls, Rs.
[[nodiscard]] int FileChannelSource(int channels, int fileChannel);

/// Writes the movie into the spec's output and commits it when complete.
/// Throws std::runtime_error (std::invalid_argument for a bad spec) with a
/// message naming what failed; the output, uncommitted, then leaves nothing.
MovieResult WriteMovie(const MovieSpec& spec, const MovieSources& sources);

} // namespace btmedia
