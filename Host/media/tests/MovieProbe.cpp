#include "MovieProbe.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/pixdesc.h>
}

#include <cstring>
#include <memory>
#include <stdexcept>

namespace btmedia::probe {

namespace {

struct Input {
    AVFormatContext* format = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    int videoIndex = -1;
    int audioIndex = -1;
    ~Input()
    {
        avcodec_free_context(&video);
        avcodec_free_context(&audio);
        avformat_close_input(&format);
    }
};

AVCodecContext* OpenDecoder(const AVStream* stream)
{
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (codec == nullptr)
        throw std::runtime_error("no decoder");
    AVCodecContext* c = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(c, stream->codecpar);
    if (avcodec_open2(c, codec, nullptr) < 0)
        throw std::runtime_error("cannot open decoder");
    return c;
}

void TakePicture(const AVFrame* f, Movie& m)
{
    Picture p;
    p.width = f->width;
    p.height = f->height;
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(f->format));
    p.chromaWidth = AV_CEIL_RSHIFT(f->width, d->log2_chroma_w);
    if ((d->flags & AV_PIX_FMT_FLAG_PLANAR) == 0) { // packed 16-bit R, G, B (an image file): one plane each
        for (int c = 0; c < 3; ++c) {
            p.planes[c].resize(static_cast<std::size_t>(p.width) * p.height);
            for (int y = 0; y < p.height; ++y)
                for (int x = 0; x < p.width; ++x)
                    std::memcpy(&p.planes[c][static_cast<std::size_t>(y) * p.width + x],
                                f->data[0] + static_cast<std::ptrdiff_t>(y) * f->linesize[0] + (3 * x + c) * 2, 2);
        }
        m.frames.push_back(std::move(p));
        return;
    }
    for (int plane = 0; plane < 3; ++plane) {
        const int w = plane == 0 ? p.width : p.chromaWidth;
        const int h = plane == 0 ? p.height : AV_CEIL_RSHIFT(f->height, d->log2_chroma_h);
        p.planes[plane].resize(static_cast<std::size_t>(w) * h);
        for (int y = 0; y < h; ++y)
            std::memcpy(p.planes[plane].data() + static_cast<std::size_t>(y) * w,
                        f->data[plane] + static_cast<std::ptrdiff_t>(y) * f->linesize[plane],
                        static_cast<std::size_t>(w) * 2);
    }
    m.frames.push_back(std::move(p));
}

void TakeSound(const AVFrame* f, Movie& m)
{
    const int ch = f->ch_layout.nb_channels;
    m.samples.resize(static_cast<std::size_t>(ch));
    const auto fmt = static_cast<AVSampleFormat>(f->format);
    for (int i = 0; i < f->nb_samples; ++i)
        for (int c = 0; c < ch; ++c) {
            const bool planar = av_sample_fmt_is_planar(fmt) != 0;
            const int index = planar ? i : i * ch + c;
            const std::uint8_t* base = planar ? f->extended_data[c] : f->extended_data[0];
            float v = 0;
            switch (av_get_packed_sample_fmt(fmt)) {
            case AV_SAMPLE_FMT_S32: v = static_cast<float>(reinterpret_cast<const std::int32_t*>(base)[index] / 2147483648.0); break;
            case AV_SAMPLE_FMT_S16: v = static_cast<float>(reinterpret_cast<const std::int16_t*>(base)[index] / 32768.0); break;
            case AV_SAMPLE_FMT_FLT: v = reinterpret_cast<const float*>(base)[index]; break;
            default: throw std::runtime_error("unexpected sample format");
            }
            m.samples[static_cast<std::size_t>(c)].push_back(v);
        }
}

void Drain(AVCodecContext* c, AVFrame* f, Movie& m, bool isVideo, int maxFrames)
{
    while (avcodec_receive_frame(c, f) == 0) {
        if (isVideo) {
            if (static_cast<int>(m.frames.size()) < maxFrames)
                TakePicture(f, m);
        } else {
            TakeSound(f, m);
        }
        av_frame_unref(f);
    }
}

} // namespace

Movie ReadMovie(const std::string& path, int maxFrames)
{
    Input in;
    if (avformat_open_input(&in.format, path.c_str(), nullptr, nullptr) < 0)
        throw std::runtime_error("cannot open " + path);
    if (avformat_find_stream_info(in.format, nullptr) < 0)
        throw std::runtime_error("cannot read stream info of " + path);
    Movie m;
    m.durationSeconds = static_cast<double>(in.format->duration) / AV_TIME_BASE;
    in.videoIndex = av_find_best_stream(in.format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    in.audioIndex = av_find_best_stream(in.format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (in.videoIndex >= 0) {
        const AVStream* s = in.format->streams[in.videoIndex];
        const AVCodecParameters* p = s->codecpar;
        m.videoCodec = avcodec_get_name(p->codec_id);
        const char* pf = av_get_pix_fmt_name(static_cast<AVPixelFormat>(p->format));
        m.pixelFormat = pf ? pf : "";
        m.primaries = p->color_primaries;
        m.transfer = p->color_trc;
        m.matrix = p->color_space;
        m.range = p->color_range;
        const AVRational sar = av_guess_sample_aspect_ratio(in.format, in.format->streams[in.videoIndex], nullptr);
        m.sarNum = sar.num;
        m.sarDen = sar.den;
        m.rateNum = s->avg_frame_rate.num;
        m.rateDen = s->avg_frame_rate.den;
        in.video = OpenDecoder(s);
    }
    if (in.audioIndex >= 0) {
        const AVStream* s = in.format->streams[in.audioIndex];
        const AVCodecParameters* p = s->codecpar;
        m.audioCodec = avcodec_get_name(p->codec_id);
        char text[64] = {};
        av_channel_layout_describe(&p->ch_layout, text, sizeof text);
        m.layout = text;
        m.sampleRate = p->sample_rate;
        in.audio = OpenDecoder(s);
    }
    std::unique_ptr<AVPacket, void (*)(AVPacket*)> packet(av_packet_alloc(), [](AVPacket* x) { av_packet_free(&x); });
    std::unique_ptr<AVFrame, void (*)(AVFrame*)> frame(av_frame_alloc(), [](AVFrame* x) { av_frame_free(&x); });
    while (av_read_frame(in.format, packet.get()) >= 0) {
        AVCodecContext* c = packet->stream_index == in.videoIndex   ? in.video
                            : packet->stream_index == in.audioIndex ? in.audio
                                                                    : nullptr;
        if (c != nullptr && avcodec_send_packet(c, packet.get()) >= 0)
            Drain(c, frame.get(), m, c == in.video, maxFrames);
        av_packet_unref(packet.get());
    }
    for (AVCodecContext* c : {in.video, in.audio})
        if (c != nullptr) {
            avcodec_send_packet(c, nullptr);
            Drain(c, frame.get(), m, c == in.video, maxFrames);
        }
    return m;
}

} // namespace btmedia::probe
