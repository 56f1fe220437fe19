#pragma once
// Pictures into the encoder in order, packets out into the container. Where
// the encoder makes every packet on its own (intra-only) and a picture has
// the very codes of the one before it, the encoder is not given it: the
// packet made for that one is written again with this frame's time, which
// decodes to the same frame for a fraction of the work.
//
// The encoder may hold a few pictures before it gives their packets back
// (frame threads), so the frames in between are remembered in order: a
// repeat whose original is still in the encoder is written as soon as the
// original comes out.

#include "AvSupport.h"
#include "MovieOutput.h"

#include <cstdint>
#include <deque>

namespace btmedia {

class PicturePackets {
public:
    /// `reuse`: whether repeated pictures may reuse packets (intra-only
    /// encoders, and asked for).
    PicturePackets(AVCodecContext* encoder, AVStream* stream, MovieOutput& output, bool reuse);

    /// Takes the next frame (its pts the frame number).
    void Send(av::FramePtr frame);
    /// Drains the encoder at the end.
    void Finish();

    [[nodiscard]] std::int64_t EncodedFrames() const noexcept { return mEncoded; }

private:
    void Receive();
    void WriteAgain(std::int64_t pts);
    void Write(AVPacket* packet);

    struct Pending {
        std::int64_t pts;
        bool repeat; ///< reuses the packet of the distinct picture before it
    };
    AVCodecContext* mEncoder;
    AVStream* mStream;
    MovieOutput& mOutput;
    bool mReuse;
    av::FramePtr mPrevious;
    av::PacketPtr mPacket = av::NewPacket();
    av::PacketPtr mLast = av::NewPacket(); ///< the last distinct picture's packet, encoder time base
    bool mHaveLast = false;
    std::deque<Pending> mPending;
    std::int64_t mEncoded = 0;
};

} // namespace btmedia
