#pragma once
// Pictures into encoders, packets out into the container, in frame order.
//
// Every frame encoded: the frames go through the stream's encoder one by
// one; it may hold a few before it gives their packets back, and the
// container's interleaver keeps the sound in step meanwhile.
//
// Templates: each distinct picture is encoded once, as a whole GOP of itself
// (one packet for an intra-only codec) by an encoder of its own that is then
// drained, so its packets come back at once. The frames of that picture take
// the GOP's packets in turn with their own times, a new GOP starting from its
// first packet after the last, or wherever the picture changes. Each GOP
// refers to nothing before it, and a frame only to frames before it, so the
// file decodes to the frames a full encode gives (with a constant quantiser,
// which every GOP of a picture gets alike).
//
// Rationale: the first picture gets its whole GOP at once, so that a
// real-time run has it before its clock starts; a later one first gets its
// opening picture alone, and the whole GOP only when a frame shows it again,
// so that pictures that change at every frame cost one encode each, not a
// GOP's. The whole GOP opens with the same packet (the encoder decides
// nothing from pictures to come); where it does not, the GOP starts anew at
// that frame.

#include "btmedia/AvSupport.h"
#include "MovieOutput.h"
#include "PictureEncoder.h"

#include <cstdint>
#include <deque>
#include <vector>

namespace btmedia {

class PicturePackets {
public:
    /// `recentPictures`: with templates, how many of the latest pictures a
    /// repeat may name (their GOPs are kept); 0: every frame encoded.
    PicturePackets(PictureStream& stream, MovieOutput& output, int recentPictures);

    /// The next frame's picture (its pts the frame number), in the encoder's
    /// pixel format; returns its number among the pictures sent, from 0.
    /// `framesLeft`: frames of the movie from this one on, which a template
    /// GOP need not outlast.
    std::int64_t Send(av::FramePtr frame, std::int64_t framesLeft);
    /// Frame `pts` is picture `picture` again. Throws std::logic_error for a
    /// picture that is not among the recent ones, or without templates.
    void Repeat(std::int64_t pts, std::int64_t picture, std::int64_t framesLeft);
    /// Frame `pts` shows the picture of the frame before it again (a picture
    /// that came too late for a real-time run).
    void RepeatLast(std::int64_t pts, std::int64_t framesLeft);
    /// Drains the encoder at the end.
    void Finish();

    /// Pictures given to encoders.
    [[nodiscard]] std::int64_t EncodedFrames() const noexcept { return mEncoded; }

private:
    struct Template {
        std::int64_t picture = -1;
        std::vector<av::PacketPtr> gop; ///< decode order, which is frame order
        av::FramePtr frame;             ///< while only its opening packet is made: the picture, for the rest
    };
    std::vector<av::PacketPtr> EncodeGop(const AVFrame& frame, std::int64_t length);
    void WriteFromTemplate(std::int64_t pts, Template& t, std::int64_t framesLeft);
    void Receive(AVCodecContext* encoder, std::vector<av::PacketPtr>* into);
    void Write(AVPacket* packet);

    PictureStream& mStream;
    MovieOutput& mOutput;
    std::size_t mRecentLimit;
    av::PacketPtr mPacket = av::NewPacket();
    std::deque<Template> mRecent; ///< the latest pictures' GOPs, oldest first
    std::int64_t mPictures = 0;   ///< pictures sent
    std::int64_t mEncoded = 0;
    // Where the frames are in the current GOP.
    std::int64_t mCurrent = -1;   ///< picture of the last frame written
    std::size_t mNextInGop = 0;
    av::FramePtr mLast;           ///< every frame encoded: the last frame, for RepeatLast
};

} // namespace btmedia
