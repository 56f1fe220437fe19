#pragma once
// Writes finished clip files with FFmpeg's libraries: the picture as 10-bit
// narrow-range Y'CbCr (8-bit for H.264 previews) with its colour description
// (H.273 primaries, transfer characteristics, matrix coefficients, narrow
// range) in the stream and the container, the sound with its channel layout
// declared, the start timecode, and for HDR the display metadata.
//
// The writer pulls its material through callbacks: pictures from several
// threads at once (so a host can have the module paint frames in parallel),
// sound in the export thread, in the host's channel order. Every frame is
// asked for; where an intra-only encoder would be given a picture identical
// to the last one it was given, the packet it made for that one is written
// again instead, which decodes to the very same frame.

#include "btmedia/MovieFormats.h"
#include "btmedia/OutputFile.h"
#include "btmedia/StudioPicture.h"
#include "btmedia/Timecode.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace btmedia {

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
    std::uint32_t soundChunk = 1024;  ///< most samples per sound request (PCM and null sink)

    std::string profile;                             ///< a picture coding as --profile names it; empty: the kind's own
    FieldOrder fieldOrder = FieldOrder::Progressive; ///< the same picture in both fields when interlaced
    std::optional<SampleFormat> samples;             ///< where the kind has a choice; none: kDefaultMovieSamples
    AudioTracks audioTracks = AudioTracks::Multichannel;
    StartTimecode timecode;
    double masteringMaxCandelas = 1000.0;            ///< PQ only: the mastering display's peak
    double masteringMinCandelas = 0.0001;            ///< PQ only: its black
    bool reuseIdenticalPictures = true;              ///< off: encode every frame (for comparisons)
};

struct MovieSources {
    /// Fills picture `frame` into planes the size of the movie and answers
    /// false. Given `same`, the codes of the last picture the encoder was
    /// given (read only, unchanged while the call lasts), a source may answer
    /// true instead where the picture's codes are all those, leaving `out` as
    /// it is (ConvertToStudioUnlessSame does both). [called on up to
    /// pictureThreads threads at once, each with its own planes]
    std::function<bool(std::int64_t frame, const StudioPlanes& out, const StudioPlanes* same)> picture;
    /// Fills `count` samples from sample `position` into one buffer per
    /// channel, in the host's channel order. [export thread]
    std::function<void(std::int64_t position, std::uint32_t count, float* const* channels)> sound;
    /// Told after each frame is written. [export thread]
    std::function<void(std::int64_t framesDone, std::int64_t frameCount)> progress;
};

struct MovieResult {
    std::int64_t frames = 0;
    std::int64_t samples = 0;        ///< per channel
    std::int64_t encodedFrames = 0;  ///< pictures the encoder was given; the rest reused a packet
    std::string description;         ///< what was written, e.g. "ProRes 422 HQ 10-bit 4:2:2, 24-bit PCM in QuickTime"
};

/// The number of sound samples that belong to `frames` frames, rounded to
/// nearest.
[[nodiscard]] std::int64_t SamplesForFrames(std::int64_t frames, std::int64_t frameDuration, int audioRate);

/// Throws std::invalid_argument, naming the reason, for a MovieSpec the writer
/// cannot write (what a user asked wrongly: a size or field order the codec
/// lacks, a sample format the container cannot carry...).
void CheckMovieSpec(const MovieSpec& spec);

/// Writes the movie into the output it names and commits it when complete.
/// Throws std::runtime_error (std::invalid_argument for a bad MovieSpec) with a
/// message naming what failed; the output, uncommitted, then leaves nothing.
MovieResult WriteMovie(const MovieSpec& spec, const MovieSources& sources);

} // namespace btmedia
