#pragma once
// Reads a file that is meant to carry bars and tone, with FFmpeg's libraries:
// what its container says (streams, durations, rates, timecode, colour tags,
// channel layout), the picture of a few chosen frames in the file's own codes,
// and its sound as float samples in the file's channel order; or the whole
// file in one pass, picture and sound together, handed on as it is decoded.
//
// Rationale: the picture is read component by component from the decoded
// frame as the pixel format describes it, with no scaler in between, so that
// no range, matrix or rounding change can creep into what is measured. Chroma
// planes of subsampled formats are repeated up to the picture's size; that is
// enough for medians taken away from region edges.
//
// The reader takes untrusted input: anything FFmpeg refuses, and anything it
// accepts but this reader cannot measure, ends in ReadError.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace btcheck {

/// The file cannot be read, or holds nothing this reader can measure.
class ReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// How a picture's three components are to be read.
enum class Family {
    YCbCr, ///< components Y', Cb, Cr
    Rgb,   ///< components R', G', B'
    Gray,  ///< Y' only
};

/// ITU-T H.273 code points as the stream declares them; 2 is unspecified.
struct ColourTags {
    int primaries = 2;
    int transfer = 2;
    int matrix = 2;
    int range = 0; ///< 0 unspecified, 1 narrow, 2 full (FFmpeg's numbering)
};

struct PictureFacts {
    std::string codec;
    std::string pixelFormat;
    int width = 0;
    int height = 0;
    int sarNum = 0; ///< 0: not declared
    int sarDen = 1;
    int rateNum = 0; ///< frames per second as a ratio; 0: not declared
    int rateDen = 1;
    std::int64_t frameCount = 0; ///< declared or worked out from the duration
    double durationSeconds = 0;  ///< 0: not known
    int depth = 0;               ///< bits per component
    Family family = Family::YCbCr;
    int chromaShiftX = 0; ///< log2 of horizontal chroma subsampling
    int chromaShiftY = 0;
    ColourTags tags;
    std::string chromaLocation; ///< "left", "center", ... or "unspecified"
    bool still = false;         ///< a single picture (PNG, TIFF, DPX...)
};

struct SoundFacts {
    std::string codec;
    int tracks = 1;                         ///< streams read as one programme (one mono track per channel)
    std::string sampleFormat;
    int rate = 0;
    int channels = 0;
    std::string layout;                     ///< "5.1", "stereo", ... or "unknown"
    std::vector<std::string> channelNames;  ///< "FL", "FC", ...; empty names when unknown
    bool layoutDeclared = false;            ///< the container names the channels
    double durationSeconds = 0;
    int bitsPerSample = 0; ///< 0: not known
};

struct FileFacts {
    std::string container;
    double durationSeconds = 0;
    /// The container states its streams' lengths; false for stream formats
    /// (transport and program streams), whose lengths are guessed from timestamps.
    bool lengthsDeclared = true;
    std::string timecode; ///< start timecode as declared ("01:00:00:00"), empty: none
    std::optional<PictureFacts> picture;
    std::optional<SoundFacts> sound;
};

/// One decoded picture in the file's own codes, at full size, top row first.
struct CodePicture {
    int width = 0;
    int height = 0;
    int depth = 8;
    Family family = Family::YCbCr;
    bool fullRange = false;      ///< as the frame is tagged (full-range pixel formats included)
    int chromaShiftX = 0;        ///< the file's chroma subsampling (log2), before repetition
    int chromaShiftY = 0;
    std::int64_t frameIndex = 0; ///< which frame of the stream this is
    std::vector<std::uint16_t> plane[3];

    [[nodiscard]] int Components() const noexcept { return family == Family::Gray ? 1 : 3; }
    [[nodiscard]] std::uint16_t At(int p, int x, int y) const noexcept
    {
        return plane[p][static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }
};

/// Sound in the file's channel order, full scale 1.0.
struct Sound {
    int rate = 0;
    std::vector<std::vector<float>> channels;
    bool truncated = false; ///< more sound follows than was read
};

/// A run of decoded sound as the one pass hands it on: planar float, full
/// scale 1.0, valid only during the call.
struct SoundSamples {
    std::int64_t firstSample = 0; ///< from the programme's first decoded sample; a jump past the previous end: samples missing
    std::size_t count = 0;        ///< samples per channel
    std::vector<const float*> channels; ///< the programme's channels in file order (tracks one after another)
    double startSeconds = 0; ///< the programme's first sample against the first picture (later: positive); 0 without picture
};

/// What the one pass met, against which the container's promises are weighed.
struct PassSummary {
    std::int64_t pictures = 0;         ///< frames met, decoded or standing for an identical packet
    std::int64_t picturesDecoded = 0;
    std::int64_t picturesRead = 0;     ///< read into codes: not the same as a picture read before
    std::int64_t missingPictures = 0;  ///< frame numbers skipped by the stream's timestamps
    double pictureEndSeconds = 0;      ///< end of the last picture, from the first picture's start
    std::int64_t samples = 0;          ///< per channel, decoded
    std::int64_t missingSamples = 0;   ///< skipped by the stream's timestamps
    double soundStartSeconds = 0;      ///< first sample against the first picture (later: positive)
    double soundEndSeconds = 0;        ///< end of the last sample, on the same clock as the pictures
    std::int64_t decodeErrors = 0;     ///< packets or frames the decoders refused or marked damaged
    std::string firstDecodeError;
    std::string readError;             ///< why the demuxer stopped before the end of the file; empty: it did not
    bool stopped = false;              ///< ended early on request (an interrupt, a duration reached)
    std::int64_t bytes = 0;            ///< bytes of packets read
};

/// Receives the one pass over a file. Pictures arrive in frame order; sound
/// arrives in order. The picture calls (WantPicture, Knows, Repeat, Picture,
/// Timecode) come from a thread of the pass's own, Sound and Stop from the
/// thread that called ReadAll, at the same time: what both touch is the
/// sink's to guard.
class PassSink {
public:
    virtual ~PassSink() = default;
    /// Whether pictures are decoded at all. [before the pass]
    [[nodiscard]] virtual bool ReadsPictures() const { return true; }
    /// Whether frame `frame` is to be looked at at all. [picture thread]
    [[nodiscard]] virtual bool WantPicture(std::int64_t frame) { return frame >= 0; }
    /// Whether a picture whose packet (of an intra-only stream) or decoded
    /// planes had this hash was measured already: the frame then takes its
    /// result through Repeat, undecoded or unread. [picture thread]
    [[nodiscard]] virtual bool Knows(std::uint64_t hash) const = 0;
    /// Frame `frame` is the picture known by `hash`. [picture thread]
    virtual void Repeat(std::int64_t frame, std::uint64_t hash) = 0;
    /// [picture thread]
    virtual void Picture(const CodePicture& picture, std::uint64_t packetHash, std::uint64_t pictureHash) = 0;
    /// Frame `frame` carries the timecode `text` ("10:00:00:00"; ";" before
    /// the frames when it counts drop-frame): an MPEG-2 group of pictures'
    /// (told with the packet that starts the group, so not in frame order),
    /// or a picture's own timing message (SMPTE 12M). [picture thread]
    virtual void Timecode(std::int64_t frame, const std::string& text)
    {
        (void)frame;
        (void)text;
    }
    /// [reading thread]
    virtual void Sound(const SoundSamples& samples) = 0;
    /// Asked between packets and while waiting for input: true ends the
    /// pass. [reading thread]
    [[nodiscard]] virtual bool Stop() { return false; }
};

class MediaFile {
public:
    /// Opens and probes a file, or any address FFmpeg's libraries open
    /// (udp://, srt://...); throws ReadError. `interrupted`, when given, is
    /// asked while waiting for input: true gives up the wait.
    static MediaFile Open(const std::string& path, std::function<bool()> interrupted = {});
    /// The same from bytes in memory (the fuzzer's way in); throws ReadError.
    static MediaFile OpenBytes(std::span<const std::uint8_t> bytes);

    MediaFile(MediaFile&&) noexcept;
    MediaFile& operator=(MediaFile&&) noexcept;
    ~MediaFile();

    [[nodiscard]] const FileFacts& Facts() const noexcept;

    /// Frame `index` of the picture stream (0-based): seeks near it and decodes
    /// forward, so only a few frames are decoded. A frame past the last one
    /// decoded gives the last. Throws ReadError.
    [[nodiscard]] CodePicture DecodeFrame(std::int64_t index);

    /// The sound from the start, at most `maxSeconds` of it. Throws ReadError.
    [[nodiscard]] Sound DecodeSound(double maxSeconds);

    /// Reads the file from where it is to its end (or until the sink stops
    /// it), decoding picture and sound together: the pictures on a thread of
    /// their own, and their decoder on as many as it uses. What cannot be decoded is counted, not thrown; throws
    /// ReadError only for a picture the reader cannot hold.
    PassSummary ReadAll(PassSink& sink);

    /// The reader's own state, known only to its sources (the probe and the
    /// one pass share it).
    struct State;

private:
    explicit MediaFile(std::unique_ptr<State> state);
    std::unique_ptr<State> mState;
};

} // namespace btcheck
