#include "SoundTracks.h"

#include "btmedia/ChannelOrder.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

#include <algorithm>
#include <cmath>

namespace btmedia {

namespace {

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

const SoundCoding& ChooseSoundCoding(const MovieSpec& spec)
{
    const SoundCoding& coding = SoundCodingFor(spec.format, spec.samples, spec.audioCodec);
    const int perTrack = spec.audioTracks == AudioTracks::Mono ? 1 : spec.audioChannels;
    const std::string encoder = coding.encoder;
    if (encoder == "mp2" && perTrack > 2)
        throw std::invalid_argument("MP2 carries mono or stereo, not " + std::to_string(perTrack) +
                                    " channels: choose --audio-codec aac or pcm, or --audio-tracks mono");
    if (encoder == "s302m") {
        if (perTrack % 2 != 0)
            throw std::invalid_argument("PCM in MPEG-TS (SMPTE 302M) carries 2, 4, 6 or 8 channels, not " +
                                        std::to_string(perTrack) + ": choose --audio-codec aac or mp2");
        if (spec.audioRate != 48000)
            throw std::invalid_argument("PCM in MPEG-TS (SMPTE 302M) is at 48000 Hz, not " +
                                        std::to_string(spec.audioRate) + ": choose --audio-codec aac or mp2");
    }
    return coding;
}

SoundTracks::SoundTracks(const MovieSpec& spec, MovieOutput& output)
    : mSpec(spec), mOutput(output), mFinalHeader(output.Kind().finalSoundHeader && output.Seekable())
{
    const SoundCoding& coding = ChooseSoundCoding(spec);
    const std::string label = SoundLabel(coding);
    const AVCodec* codec = avcodec_find_encoder_by_name(coding.encoder);
    const AVSampleFormat sampleFormat = av_get_sample_fmt(coding.sampleFormat);
    if (codec == nullptr || sampleFormat == AV_SAMPLE_FMT_NONE)
        throw std::runtime_error("this FFmpeg has no " + label + " encoder");
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
        c->sample_fmt = sampleFormat;
        if (coding.samples == SampleFormat::Int24)
            c->bits_per_raw_sample = 24; // in the top bits of 32-bit words
        c->time_base = AVRational{1, spec.audioRate};
        AVChannelLayout layout = LayoutFor(spec.audioChannels, mono ? t : -1);
        av::Check(av_channel_layout_copy(&c->ch_layout, &layout), "cannot set the sound layout");
        av_channel_layout_uninit(&layout);
        // Only a row chooses an encoder FFmpeg calls experimental (SMPTE 302M).
        if ((codec->capabilities & AV_CODEC_CAP_EXPERIMENTAL) != 0)
            c->strict_std_compliance = FF_COMPLIANCE_EXPERIMENTAL;
        if (coding.bitRatePerChannel > 0)
            c->bit_rate = coding.bitRatePerChannel * static_cast<std::int64_t>(c->ch_layout.nb_channels);
        if (output.WantsGlobalHeaders())
            c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        av::Check(avcodec_open2(c, codec, nullptr), "cannot open the " + label + " encoder");
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
    mLabel = label +
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
        // An empty packet carries only the encoder's closing stream header.
        if (mPacket->size == 0 && !mFinalHeader) {
            av_packet_unref(mPacket.get());
            continue;
        }
        av_packet_rescale_ts(mPacket.get(), track.codec->time_base, track.stream->time_base);
        mPacket->stream_index = track.stream->index;
        mOutput.Write(mPacket.get());
    }
}

} // namespace btmedia
