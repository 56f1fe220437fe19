#pragma once
// The picture stream of a movie: which encoder, with what settings, and the
// planes it takes. Every encoder of one movie is opened from one recipe, so
// that the packets of any of them belong to the same stream.

#include "btmedia/AvSupport.h"
#include "MovieOutput.h"
#include "btmedia/MovieWriter.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace btmedia {

/// The coding a MovieSpec's picture gets, and the planes its encoder takes.
struct PictureLayout {
    const PictureCoding* coding = nullptr;
    AVPixelFormat pixelFormat = AV_PIX_FMT_NONE;
    int chromaShiftX = 0;
    int chromaShiftY = 0;
    int bits = 10; ///< 8: codes narrowed from 10 bits for the encoder
};

/// The coding and layout a MovieSpec needs; throws std::invalid_argument for
/// a picture the coding cannot carry.
[[nodiscard]] PictureLayout ChoosePictureLayout(const MovieSpec& spec);

/// Frames in one GOP of the movie's coding at its rate; 1 for intra-only.
[[nodiscard]] int GopFrames(const MovieSpec& spec, const PictureCoding& coding);

/// How to open one more encoder exactly as the stream's first was opened.
struct EncoderRecipe {
    const AVCodec* codec = nullptr;
    std::function<void(AVCodecContext&)> configure; ///< every field and option, as for the first
    std::string what;                               ///< for messages: "the libx264 encoder for 1920 x 1080"

    [[nodiscard]] av::CodecPtr Open() const;
};

struct PictureStream {
    av::CodecPtr codec; ///< the first encoder, open
    AVStream* stream = nullptr;
    std::string label;  ///< e.g. "ProRes 422 HQ 10-bit 4:2:2"
    EncoderRecipe recipe;
    AVRational timeBase{1, 1}; ///< of every encoder's packets
    int gopFrames = 1;  ///< frames per GOP; 1: intra-only
    /// GOPs an encoder makes before the one repeated: a constant rate's
    /// control settles during the first (MPEG-2 at 50 Mb/s fills its GOPs
    /// to the rate from the second on).
    int settlingGops = 0;
    /// Rewrites what a packet says of its own time where the codec writes
    /// that into the picture (MPEG-2's GOP header timecode), for a packet
    /// written again as frame `frame`; empty where nothing needs it.
    std::function<void(AVPacket& packet, std::int64_t frame)> restamp;
};

/// Opens the encoder and adds its stream to the container. `first` is the
/// movie's first picture, which an HDR stream's light levels are measured
/// from (they go into the stream's header, before any frame). `templates`:
/// the encoders will each be given one picture's GOP and flushed, so an
/// intra-only encoder works on slices (one picture leaves no frames to share
/// among threads).
[[nodiscard]] PictureStream OpenPictureStream(const MovieSpec& spec, const PictureLayout& layout, MovieOutput& output,
                                              const StudioPlanes& first, bool templates);

} // namespace btmedia
