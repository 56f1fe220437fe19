#pragma once
// Pictures into the encoder in order, packets out into the container. Where
// the encoder makes every packet on its own (intra-only) and a frame's
// picture is one the encoder has already been given, the frame is not
// encoded: that picture's packet is written again with this frame's time,
// which decodes to the same frame for a fraction of the work.
//
// The encoder may hold a few pictures before it gives their packets back
// (frame threads), so the frames in between are remembered in order: a
// repeat whose original is still in the encoder is written as soon as the
// original comes out.

#include "btmedia/AvSupport.h"
#include "MovieOutput.h"

#include <cstdint>
#include <deque>

namespace btmedia {

class PicturePackets {
public:
    /// `recentPictures`: how many of the latest pictures encoded a repeat may
    /// name (their packets are kept); 0 for none, where no frame repeats
    /// (encoders whose packets depend on each other, or every frame encoded).
    PicturePackets(AVCodecContext* encoder, AVStream* stream, MovieOutput& output, int recentPictures);

    /// Encodes the next frame (its pts the frame number); returns its
    /// picture's number among those encoded, from 0.
    std::int64_t Send(av::FramePtr frame);
    /// Frame `pts` is encoded picture `picture` again: its packet is written
    /// with this frame's time. Throws std::logic_error for a picture that is
    /// not among the recent ones.
    void Repeat(std::int64_t pts, std::int64_t picture);
    /// Drains the encoder at the end.
    void Finish();

    [[nodiscard]] std::int64_t EncodedFrames() const noexcept { return mEncoded; }

private:
    void Receive();
    void WriteAgain(std::int64_t pts, std::int64_t picture);
    void Write(AVPacket* packet);

    struct Pending {
        std::int64_t pts;
        std::int64_t picture;
        bool repeat; ///< written again from an earlier picture's packet
    };
    AVCodecContext* mEncoder;
    AVStream* mStream;
    MovieOutput& mOutput;
    std::size_t mRecentLimit;
    av::PacketPtr mPacket = av::NewPacket();
    std::deque<av::PacketPtr> mRecent; ///< the latest pictures' packets, oldest first, encoder time base
    std::int64_t mReceived = 0;        ///< pictures whose packet came back: the last in mRecent is mReceived - 1
    std::deque<Pending> mPending;
    std::int64_t mEncoded = 0;
};

} // namespace btmedia
