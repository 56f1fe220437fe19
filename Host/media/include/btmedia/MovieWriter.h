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
// asked for; each distinct picture is encoded once, as a GOP of itself, and
// the frames that show it again take that GOP's packets in turn with their
// own times (PicturePackets.h), which decodes to the very same frames.
// Picture and sound leave interleaved by time, on files and pipes alike.
//
// A real-time run is paced at the clip's rate against the clock, for as long
// as it is let run. It keeps time whatever its receiver does: a picture that
// is not ready in time is replaced by the one before it, and after the
// output has held the run back (a receiver that stalled) the frames whose
// time has gone are dropped, picture and sound alike, so the stream goes on
// at the clock's time. Both are counted and told.

#include "btmedia/MovieFormats.h"
#include "btmedia/OutputFile.h"
#include "btmedia/StudioPicture.h"
#include "btmedia/Timecode.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace btmedia {

/// A frame count for a run without an end.
inline constexpr std::int64_t kEndless = INT64_MAX;

struct MovieSpec {
    MovieFormat format = MovieFormat::Ffv1Matroska;
    std::string path;                 ///< the output's name in messages; unused by the null sink
    OutputFile* output = nullptr;     ///< where the movie goes, committed when complete; none: `path`, replaced
    std::string address;              ///< a network address (udp://, srt://, rtmp://...) instead of a file
    int width = 0;                    ///< pixels
    int height = 0;                   ///< pixels
    std::int64_t frameDuration = 0;   ///< ticks, 254016000000 per second
    std::uint32_t parNumerator = 1;   ///< pixel aspect ratio
    std::uint32_t parDenominator = 1;
    ColourCodes colour;               ///< H.273 code points written into the stream
    int audioRate = 0;                ///< Hz; 0: no sound
    int audioChannels = 0;            ///< 1, 2 or 6, in the host's order
    std::int64_t frameCount = 0;      ///< length of the export in frames; kEndless: until stopped
    bool realTime = false;            ///< paced at the clip's rate against the clock
    int pictureThreads = 1;           ///< threads that request pictures
    std::uint32_t soundChunk = 1024;  ///< most samples per sound request (PCM and null sink)

    std::string profile;                             ///< a picture coding as --profile names it; empty: the kind's own
    FieldOrder fieldOrder = FieldOrder::Progressive; ///< the same picture in both fields when interlaced
    std::optional<SampleFormat> samples;             ///< where the kind has a choice; none: kDefaultMovieSamples
    std::string audioCodec;                          ///< as --audio-codec names it; empty: the kind's own
    AudioTracks audioTracks = AudioTracks::Multichannel;
    StartTimecode timecode;
    double masteringMaxCandelas = 1000.0;            ///< PQ only: the mastering display's peak
    double masteringMinCandelas = 0.0001;            ///< PQ only: its black
    std::optional<unsigned> maxCll;                  ///< PQ only: cd/m²; none: measured from the first picture
    std::optional<unsigned> maxFall;                 ///< PQ only: cd/m²; none: measured from the first picture
    bool reuseIdenticalPictures = true;              ///< off: encode every frame (for comparisons)
};

/// Frames a real-time run did not send as made. [export thread]
struct Slip {
    std::int64_t frame = 0;    ///< the frame it happened at
    std::int64_t dropped = 0;  ///< frames whose time had gone, left out
    std::int64_t repeated = 0; ///< frames that showed the picture before them, theirs being late
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
    /// Told when a real-time run drops or repeats frames. [export thread]
    std::function<void(const Slip& slip)> slip;
};

struct MovieResult {
    std::int64_t frames = 0;         ///< the frame time reached: frames written, dropped ones included
    std::int64_t samples = 0;        ///< per channel
    std::int64_t encodedFrames = 0;  ///< pictures the encoder was given; the rest reused a packet
    std::int64_t droppedFrames = 0;  ///< real time: frames left out after the output held the run back
    std::int64_t repeatedFrames = 0; ///< real time: frames that showed the picture before them
    int stoppedBy = 0;               ///< real time: the stop signal that ended the run (the stream ended cleanly)
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
/// A stop signal throws Stopped, except in a real-time run, which ends its
/// stream cleanly, commits it and answers with `stoppedBy`.
MovieResult WriteMovie(const MovieSpec& spec, const MovieSources& sources);

} // namespace btmedia
