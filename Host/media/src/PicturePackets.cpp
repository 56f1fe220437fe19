#include "PicturePackets.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace btmedia {

PicturePackets::PicturePackets(AVCodecContext* encoder, AVStream* stream, MovieOutput& output, int recentPictures)
    : mEncoder(encoder), mStream(stream), mOutput(output),
      mRecentLimit(static_cast<std::size_t>(std::max(recentPictures, 0)))
{
}

std::int64_t PicturePackets::Send(av::FramePtr frame)
{
    const std::int64_t picture = mEncoded;
    if (mRecentLimit > 0)
        mPending.push_back({frame->pts, picture, false});
    av::Check(avcodec_send_frame(mEncoder, frame.get()), "picture encoding failed");
    ++mEncoded;
    frame.reset();
    Receive();
    return picture;
}

void PicturePackets::Repeat(std::int64_t pts, std::int64_t picture)
{
    if (picture < mReceived - static_cast<std::int64_t>(mRecent.size()) || picture >= mEncoded)
        throw std::logic_error("picture " + std::to_string(picture) + " is not among the recent ones to repeat");
    if (mPending.empty())
        WriteAgain(pts, picture);
    else
        mPending.push_back({pts, picture, true});
}

void PicturePackets::Finish()
{
    av::Check(avcodec_send_frame(mEncoder, nullptr), "picture encoding failed");
    Receive();
}

void PicturePackets::Receive()
{
    for (;;) {
        const int r = avcodec_receive_packet(mEncoder, mPacket.get());
        if (r == AVERROR(EAGAIN) || r == AVERROR_EOF)
            return;
        av::Check(r, "picture encoding failed");
        // Intra-only packets come out in the order their pictures went in.
        if (mRecentLimit > 0) {
            mPending.pop_front();
            av::PacketPtr kept = av::NewPacket();
            av::Check(av_packet_ref(kept.get(), mPacket.get()), "cannot keep a picture's packet");
            mRecent.push_back(std::move(kept));
            if (mRecent.size() > mRecentLimit)
                mRecent.pop_front();
            ++mReceived;
        }
        Write(mPacket.get());
        while (!mPending.empty() && mPending.front().repeat) {
            WriteAgain(mPending.front().pts, mPending.front().picture);
            mPending.pop_front();
        }
    }
}

void PicturePackets::WriteAgain(std::int64_t pts, std::int64_t picture)
{
    const std::int64_t back = mReceived - 1 - picture;
    if (back < 0 || back >= static_cast<std::int64_t>(mRecent.size()))
        throw std::logic_error("the packet of picture " + std::to_string(picture) + " is no longer kept");
    const AVPacket* kept = mRecent[mRecent.size() - 1 - static_cast<std::size_t>(back)].get();
    av::Check(av_packet_ref(mPacket.get(), kept), "cannot reuse a picture's packet");
    mPacket->pts = pts;
    mPacket->dts = pts;
    Write(mPacket.get());
}

void PicturePackets::Write(AVPacket* packet)
{
    if (packet->duration == 0)
        packet->duration = 1;
    av_packet_rescale_ts(packet, mEncoder->time_base, mStream->time_base);
    packet->stream_index = mStream->index;
    mOutput.Write(packet);
}

} // namespace btmedia
