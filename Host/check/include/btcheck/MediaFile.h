#pragma once
// Reads a file that is meant to carry bars and tone, with FFmpeg's libraries:
// what its container says (streams, durations, rates, timecode, colour tags,
// channel layout), the picture of a few chosen frames in the file's own codes,
// and its sound as float samples in the file's channel order.
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

class MediaFile {
public:
    /// Opens and probes a file; throws ReadError.
    static MediaFile Open(const std::string& path);
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

private:
    struct State;
    explicit MediaFile(std::unique_ptr<State> state);
    std::unique_ptr<State> mState;
};

} // namespace btcheck
