#include "PicturePackets.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace btmedia {

namespace {

bool SamePacket(const AVPacket& a, const AVPacket& b) noexcept
{
    return a.size == b.size && a.flags == b.flags && std::equal(a.data, a.data + a.size, b.data);
}

} // namespace

PicturePackets::PicturePackets(PictureStream& stream, MovieOutput& output, int recentPictures)
    : mStream(stream), mOutput(output), mRecentLimit(static_cast<std::size_t>(std::max(recentPictures, 0)))
{
}

std::int64_t PicturePackets::Send(av::FramePtr frame, std::int64_t framesLeft)
{
    const std::int64_t picture = mPictures++;
    const std::int64_t pts = frame->pts;
    if (mRecentLimit > 0) {
        Template t;
        t.picture = picture;
        const std::int64_t whole = std::clamp<std::int64_t>(framesLeft, 1, mStream.gopFrames);
        t.gop = EncodeGop(*frame, picture == 0 ? whole : 1);
        if (static_cast<std::int64_t>(t.gop.size()) < whole)
            t.frame = std::move(frame);
        mRecent.push_back(std::move(t));
        if (mRecent.size() > mRecentLimit)
            mRecent.pop_front();
        WriteFromTemplate(pts, mRecent.back(), framesLeft);
        return picture;
    }
    mLast.reset(av_frame_clone(frame.get()));
    if (!mLast)
        throw std::bad_alloc();
    av::Check(avcodec_send_frame(mStream.codec.get(), frame.get()), "picture encoding failed");
    ++mEncoded;
    Receive(mStream.codec.get(), nullptr);
    return picture;
}

void PicturePackets::Repeat(std::int64_t pts, std::int64_t picture, std::int64_t framesLeft)
{
    const auto found = std::find_if(mRecent.begin(), mRecent.end(), [&](const Template& t) { return t.picture == picture; });
    if (found == mRecent.end())
        throw std::logic_error("picture " + std::to_string(picture) + " is not among the recent ones to repeat");
    WriteFromTemplate(pts, *found, framesLeft);
}

void PicturePackets::RepeatLast(std::int64_t pts, std::int64_t framesLeft)
{
    if (mRecentLimit > 0) {
        Repeat(pts, mCurrent, framesLeft);
        return;
    }
    if (!mLast)
        throw std::logic_error("no picture to repeat before the first");
    av::FramePtr again(av_frame_clone(mLast.get()));
    if (!again)
        throw std::bad_alloc();
    again->pts = pts;
    (void)Send(std::move(again), framesLeft);
    --mPictures; // the same picture, encoded again
}

void PicturePackets::Finish()
{
    if (mRecentLimit > 0)
        return; // every template was drained as it was made
    av::Check(avcodec_send_frame(mStream.codec.get(), nullptr), "picture encoding failed");
    Receive(mStream.codec.get(), nullptr);
}

std::vector<av::PacketPtr> PicturePackets::EncodeGop(const AVFrame& frame, std::int64_t length)
{
    // The stream's own encoder makes the first GOP; each later one gets a
    // new encoder opened alike.
    av::CodecPtr encoder = mStream.codec ? std::move(mStream.codec) : mStream.recipe.Open();
    const std::int64_t settling = static_cast<std::int64_t>(mStream.settlingGops) * mStream.gopFrames;
    std::vector<av::PacketPtr> gop;
    for (std::int64_t i = 0; i < settling + length; ++i) {
        av::FramePtr copy(av_frame_clone(&frame));
        if (!copy)
            throw std::bad_alloc();
        copy->pts = i;
        av::Check(avcodec_send_frame(encoder.get(), copy.get()), "picture encoding failed");
        ++mEncoded;
        Receive(encoder.get(), &gop);
    }
    av::Check(avcodec_send_frame(encoder.get(), nullptr), "picture encoding failed");
    Receive(encoder.get(), &gop);
    if (static_cast<std::int64_t>(gop.size()) == settling + length)
        gop.erase(gop.begin(), gop.begin() + settling);
    if (static_cast<std::int64_t>(gop.size()) != length)
        throw std::logic_error("the encoder made " + std::to_string(gop.size()) + " packets of a GOP of " +
                               std::to_string(length) + " frames");
    return gop;
}

void PicturePackets::WriteFromTemplate(std::int64_t pts, Template& t, std::int64_t framesLeft)
{
    const bool sameGop = t.picture == mCurrent && mNextInGop > 0;
    if (sameGop && mNextInGop == t.gop.size() && t.frame) {
        // The picture shows again: its whole GOP, this frame on in it.
        const auto length =
            std::clamp<std::int64_t>(static_cast<std::int64_t>(mNextInGop) + framesLeft, 1, mStream.gopFrames);
        std::vector<av::PacketPtr> whole = EncodeGop(*t.frame, length);
        t.frame.reset();
        const bool opensAlike = SamePacket(*whole.front(), *t.gop.front());
        t.gop = std::move(whole);
        if (!opensAlike)
            mNextInGop = 0;
    }
    if (!sameGop || mNextInGop >= t.gop.size()) {
        mCurrent = t.picture;
        mNextInGop = 0;
    }
    av::Check(av_packet_ref(mPacket.get(), t.gop[mNextInGop++].get()), "cannot reuse a picture's packet");
    // No frame is held back for a later one, so each frame's packet
    // decodes as it comes.
    mPacket->pts = pts;
    mPacket->dts = pts;
    if (mStream.restamp)
        mStream.restamp(*mPacket, pts);
    Write(mPacket.get());
}

void PicturePackets::Receive(AVCodecContext* encoder, std::vector<av::PacketPtr>* into)
{
    for (;;) {
        const int r = avcodec_receive_packet(encoder, mPacket.get());
        if (r == AVERROR(EAGAIN) || r == AVERROR_EOF)
            return;
        av::Check(r, "picture encoding failed");
        if (into == nullptr) {
            Write(mPacket.get());
            continue;
        }
        av::PacketPtr kept = av::NewPacket();
        av_packet_move_ref(kept.get(), mPacket.get());
        into->push_back(std::move(kept));
    }
}

void PicturePackets::Write(AVPacket* packet)
{
    if (packet->duration == 0)
        packet->duration = 1;
    av_packet_rescale_ts(packet, mStream.timeBase, mStream.stream->time_base);
    packet->stream_index = mStream.stream->index;
    mOutput.Write(packet);
}

} // namespace btmedia
