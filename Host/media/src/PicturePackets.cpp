#include "PicturePackets.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <cstring>

namespace btmedia {

namespace {

/// Whether two frames of one format hold the same samples (rows compared,
/// padding not): a memory pass, against the hundreds an encode costs.
bool SamePicture(const AVFrame& a, const AVFrame& b) noexcept
{
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(a.format));
    if (d == nullptr || a.format != b.format || a.width != b.width || a.height != b.height)
        return false;
    const int bytesPerSample = d->comp[0].depth > 8 ? 2 : 1;
    for (int p = 0; p < d->nb_components; ++p) {
        const int w = p == 0 ? a.width : AV_CEIL_RSHIFT(a.width, d->log2_chroma_w);
        const int h = p == 0 ? a.height : AV_CEIL_RSHIFT(a.height, d->log2_chroma_h);
        for (int y = 0; y < h; ++y)
            if (std::memcmp(a.data[p] + static_cast<std::ptrdiff_t>(y) * a.linesize[p],
                            b.data[p] + static_cast<std::ptrdiff_t>(y) * b.linesize[p],
                            static_cast<std::size_t>(w) * static_cast<std::size_t>(bytesPerSample)) != 0)
                return false;
    }
    return true;
}

} // namespace

PicturePackets::PicturePackets(AVCodecContext* encoder, AVStream* stream, MovieOutput& output, bool reuse)
    : mEncoder(encoder), mStream(stream), mOutput(output), mReuse(reuse)
{
}

void PicturePackets::Send(av::FramePtr frame)
{
    if (mReuse && mPrevious && SamePicture(*mPrevious, *frame)) {
        if (mPending.empty() && mHaveLast)
            WriteAgain(frame->pts);
        else
            mPending.push_back({frame->pts, true});
        return;
    }
    if (mReuse)
        mPending.push_back({frame->pts, false});
    av::Check(avcodec_send_frame(mEncoder, frame.get()), "picture encoding failed");
    ++mEncoded;
    if (mReuse)
        mPrevious = std::move(frame);
    Receive();
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
        if (mReuse) {
            mPending.pop_front();
            av_packet_unref(mLast.get());
            av::Check(av_packet_ref(mLast.get(), mPacket.get()), "cannot keep a picture's packet");
            mHaveLast = true;
        }
        Write(mPacket.get());
        while (mReuse && !mPending.empty() && mPending.front().repeat) {
            WriteAgain(mPending.front().pts);
            mPending.pop_front();
        }
    }
}

void PicturePackets::WriteAgain(std::int64_t pts)
{
    av::Check(av_packet_ref(mPacket.get(), mLast.get()), "cannot reuse a picture's packet");
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
