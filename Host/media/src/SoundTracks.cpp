#include "SoundTracks.h"

#include "btmedia/ChannelOrder.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

#include <algorithm>
#include <cmath>

namespace btmedia {

namespace {

struct SoundCodec {
    AVCodecID id;
    AVSampleFormat sampleFormat;
    int bits;          ///< of the samples as stored; 0: float
    const char* label; ///< e.g. "24-bit PCM"
};

/// The codec a container carries the chosen depth in.
SoundCodec CodecFor(const MovieSpec& spec)
{
    switch (spec.format) {
    case MovieFormat::Mp4Preview: return {AV_CODEC_ID_AAC, AV_SAMPLE_FMT_FLTP, 0, "AAC"};
    case MovieFormat::Ffv1Matroska:
    case MovieFormat::NutStream:
        switch (spec.pcmDepth) {
        case PcmDepth::S16: return {AV_CODEC_ID_FLAC, AV_SAMPLE_FMT_S16, 16, "16-bit FLAC"};
        case PcmDepth::S24: return {AV_CODEC_ID_FLAC, AV_SAMPLE_FMT_S32, 24, "24-bit FLAC"};
        case PcmDepth::F32: return {AV_CODEC_ID_PCM_F32LE, AV_SAMPLE_FMT_FLT, 0, "32-bit float PCM"};
        }
        break;
    default:
        switch (spec.pcmDepth) {
        case PcmDepth::S16: return {AV_CODEC_ID_PCM_S16LE, AV_SAMPLE_FMT_S16, 16, "16-bit PCM"};
        case PcmDepth::S24: return {AV_CODEC_ID_PCM_S24LE, AV_SAMPLE_FMT_S32, 24, "24-bit PCM"};
        case PcmDepth::F32:
            if (spec.format == MovieFormat::DnxMxf)
                throw std::invalid_argument("MXF carries 16 or 24-bit PCM, not 32-bit float");
            return {AV_CODEC_ID_PCM_F32LE, AV_SAMPLE_FMT_FLT, 0, "32-bit float PCM"};
        }
        break;
    }
    throw std::invalid_argument("no sound codec for this format");
}

/// File channel i's layout: the whole clip's (mono, stereo, or 5.1 in
/// L R C LFE Ls Rs order, mask 0x3F), or for a mono track the one channel.
AVChannelLayout LayoutFor(int channels, int fileChannel)
{
    static const AVChannelLayout kMono = AV_CHANNEL_LAYOUT_MONO;
    static const AVChannelLayout kStereo = AV_CHANNEL_LAYOUT_STEREO;
    static const AVChannelLayout kFiveOne = AV_CHANNEL_LAYOUT_5POINT1_BACK;
    const AVChannelLayout& all = channels == 6 ? kFiveOne : channels == 2 ? kStereo : kMono;
    if (fileChannel < 0 || channels == 1)
        return all;
    AVChannelLayout one{};
    const AVChannel channel = av_channel_layout_channel_from_index(&all, static_cast<unsigned>(fileChannel));
    av::Check(av_channel_layout_from_mask(&one, 1ULL << channel), "cannot name a mono track's channel");
    return one;
}

std::int16_t To16Bit(float v) noexcept
{
    const double scaled = std::nearbyint(static_cast<double>(v) * 32768.0);
    return static_cast<std::int16_t>(std::isnan(scaled) ? 0.0 : std::clamp(scaled, -32768.0, 32767.0));
}

std::int32_t To24BitWord(float v) noexcept
{
    // A 24-bit sample in the top bits of a 32-bit word, as FFmpeg's 24-bit
    // encoders take it.
    const double scaled = std::nearbyint(static_cast<double>(v) * 8388608.0);
    const double held = std::isnan(scaled) ? 0.0 : std::clamp(scaled, -8388608.0, 8388607.0);
    return static_cast<std::int32_t>(held) * 256;
}

} // namespace

void CheckSoundCodec(const MovieSpec& spec)
{
    (void)CodecFor(spec);
}

SoundTracks::SoundTracks(const MovieSpec& spec, MovieOutput& output) : mSpec(spec), mOutput(output)
{
    const SoundCodec kind = CodecFor(spec);
    const AVCodec* codec = avcodec_find_encoder(kind.id);
    if (codec == nullptr)
        throw std::runtime_error(std::string("this FFmpeg has no ") + kind.label + " encoder");
    const bool mono = spec.audioTracks == AudioTracks::Mono && spec.audioChannels > 1;
    const int trackCount = mono ? spec.audioChannels : 1;
    for (int t = 0; t < trackCount; ++t) {
        Track track;
        if (mono)
            track.hostChannels.push_back(static_cast<int>(FileChannelSource(spec.audioChannels, t)));
        else
            for (int f = 0; f < spec.audioChannels; ++f)
                track.hostChannels.push_back(static_cast<int>(FileChannelSource(spec.audioChannels, f)));
        track.codec.reset(avcodec_alloc_context3(codec));
        if (!track.codec)
            throw std::bad_alloc();
        AVCodecContext* c = track.codec.get();
        c->sample_rate = spec.audioRate;
        c->sample_fmt = kind.sampleFormat;
        if (kind.bits == 24)
            c->bits_per_raw_sample = 24;
        c->time_base = AVRational{1, spec.audioRate};
        AVChannelLayout layout = LayoutFor(spec.audioChannels, mono ? t : -1);
        av::Check(av_channel_layout_copy(&c->ch_layout, &layout), "cannot set the sound layout");
        av_channel_layout_uninit(&layout);
        if (kind.id == AV_CODEC_ID_AAC)
            c->bit_rate = 96000 * static_cast<std::int64_t>(c->ch_layout.nb_channels);
        if (output.WantsGlobalHeaders())
            c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        av::Check(avcodec_open2(c, codec, nullptr), std::string("cannot open the ") + kind.label + " encoder");
        mFrameSize = c->frame_size;
        track.stream = avformat_new_stream(output.Container(), nullptr);
        if (track.stream == nullptr)
            throw std::runtime_error("cannot add a sound stream");
        track.stream->time_base = c->time_base;
        track.stream->disposition = AV_DISPOSITION_DEFAULT;
        av::Check(avcodec_parameters_from_context(track.stream->codecpar, c), "cannot describe the sound stream");
        mTracks.push_back(std::move(track));
    }
    mPacket = av::NewPacket();
    mLabel = std::string(kind.label) +
             (mono ? ", " + std::to_string(trackCount) + " mono tracks" : std::string());
}

void SoundTracks::Encode(std::int64_t position, int count, const float* const* hostChannels)
{
    for (Track& track : mTracks) {
        AVCodecContext* c = track.codec.get();
        av::FramePtr frame = av::NewFrame();
        frame->nb_samples = count;
        frame->format = c->sample_fmt;
        frame->sample_rate = c->sample_rate;
        av::Check(av_channel_layout_copy(&frame->ch_layout, &c->ch_layout), "cannot set the sound layout");
        av::Check(av_frame_get_buffer(frame.get(), 0), "cannot allocate sound");
        const int channels = static_cast<int>(track.hostChannels.size());
        for (int ch = 0; ch < channels; ++ch) {
            const float* in = hostChannels[track.hostChannels[static_cast<std::size_t>(ch)]];
            switch (c->sample_fmt) {
            case AV_SAMPLE_FMT_S16: {
                auto* out = reinterpret_cast<std::int16_t*>(frame->data[0]);
                for (int i = 0; i < count; ++i)
                    out[i * channels + ch] = To16Bit(in[i]);
                break;
            }
            case AV_SAMPLE_FMT_S32: {
                auto* out = reinterpret_cast<std::int32_t*>(frame->data[0]);
                for (int i = 0; i < count; ++i)
                    out[i * channels + ch] = To24BitWord(in[i]);
                break;
            }
            case AV_SAMPLE_FMT_FLT: {
                auto* out = reinterpret_cast<float*>(frame->data[0]);
                for (int i = 0; i < count; ++i)
                    out[i * channels + ch] = in[i];
                break;
            }
            default: // planar float
                std::copy_n(in, count, reinterpret_cast<float*>(frame->extended_data[ch]));
                break;
            }
        }
        frame->pts = position;
        Drain(track, frame.get());
    }
}

void SoundTracks::Finish()
{
    for (Track& track : mTracks)
        Drain(track, nullptr);
}

void SoundTracks::Drain(Track& track, AVFrame* frame)
{
    av::Check(avcodec_send_frame(track.codec.get(), frame), "sound encoding failed");
    for (;;) {
        const int r = avcodec_receive_packet(track.codec.get(), mPacket.get());
        if (r == AVERROR(EAGAIN) || r == AVERROR_EOF)
            return;
        av::Check(r, "sound encoding failed");
        av_packet_rescale_ts(mPacket.get(), track.codec->time_base, track.stream->time_base);
        mPacket->stream_index = track.stream->index;
        mOutput.Write(mPacket.get());
    }
}

} // namespace btmedia
