#pragma once
// The picture stream of a movie: which encoder, with what settings, and the
// planes it takes.

#include "btmedia/AvSupport.h"
#include "MovieOutput.h"
#include "btmedia/MovieWriter.h"

#include <string>

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

struct PictureStream {
    av::CodecPtr codec;
    AVStream* stream = nullptr;
    std::string label; ///< e.g. "ProRes 422 HQ 10-bit 4:2:2"
};

/// Opens the encoder and adds its stream to the container. `first` is the
/// movie's first picture, which an HDR stream's light levels are measured
/// from (they go into the stream's header, before any frame).
[[nodiscard]] PictureStream OpenPictureStream(const MovieSpec& spec, const PictureLayout& layout, MovieOutput& output,
                                              const StudioPlanes& first);

} // namespace btmedia
