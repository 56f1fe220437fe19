// The one pass over a whole file: packets read once, picture and sound decoded
// together, each picture numbered from its timestamp, and what the decoders
// and the demuxer complain of counted.
//
// Rationale: an intra-only picture packet identical to one already measured
// stands for its frame undecoded (a hash of its bytes), and a decoded picture
// identical to one measured is not read into codes (a hash of its planes), so
// an export that repeats one picture costs little more than reading it.

#include "btcheck/MediaFile.h"

#include "MediaState.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
}

// The library's dispatching entry points: the widest vector unit the
// processor has (hashing every decoded picture is a cost of the pass).
#include <xxh_x86dispatch.h>

#include <algorithm>
#include <cstdarg>
#include <deque>
#include <limits>
#include <mutex>

namespace btcheck {

namespace {

using btmedia::av::CodecPtr;
using btmedia::av::FramePtr;
using btmedia::av::PacketPtr;

// What FFmpeg's decoders and demuxers log as errors while a pass runs: a
// damaged stream is often only said there. Decoders log from their own
// threads, hence the lock.
class LogCatcher {
public:
    LogCatcher()
    {
        sCurrent = this;
        av_log_set_callback(&LogCatcher::Callback);
    }
    ~LogCatcher()
    {
        av_log_set_callback(&av_log_default_callback);
        sCurrent = nullptr;
    }
    LogCatcher(const LogCatcher&) = delete;
    LogCatcher& operator=(const LogCatcher&) = delete;

    std::int64_t decoderErrors = 0;
    std::string firstDecoderError;
    std::string firstDemuxerError;

private:
    static void Callback(void* object, int level, const char* format, va_list args)
    {
        if (level > AV_LOG_ERROR || object == nullptr || sCurrent == nullptr)
            return;
        const AVClass* cls = *static_cast<AVClass**>(object);
        const AVClassCategory category = cls != nullptr ? cls->category : AV_CLASS_CATEGORY_NA;
        if (category != AV_CLASS_CATEGORY_DECODER && category != AV_CLASS_CATEGORY_DEMUXER)
            return;
        char line[256] = {};
        int prefix = 0;
        av_log_format_line2(nullptr, level, format, args, line, sizeof line, &prefix);
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
            text.pop_back();
        const std::lock_guard lock(sMutex);
        if (category == AV_CLASS_CATEGORY_DECODER) {
            ++sCurrent->decoderErrors;
            if (sCurrent->firstDecoderError.empty())
                sCurrent->firstDecoderError = text;
        } else if (sCurrent->firstDemuxerError.empty()) {
            sCurrent->firstDemuxerError = text;
        }
    }

    static inline LogCatcher* sCurrent = nullptr;
    static inline std::mutex sMutex;
};

// A hash of a decoded picture's planes, row by row without their padding.
class PictureHasher {
public:
    PictureHasher() : mState(XXH3_createState())
    {
        if (mState == nullptr)
            throw std::bad_alloc();
    }
    ~PictureHasher() { XXH3_freeState(mState); }
    PictureHasher(const PictureHasher&) = delete;
    PictureHasher& operator=(const PictureHasher&) = delete;

    std::uint64_t operator()(const AVFrame& f)
    {
        XXH3_64bits_reset(mState);
        const auto fmt = static_cast<AVPixelFormat>(f.format);
        const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(fmt);
        const int planes = av_pix_fmt_count_planes(fmt);
        for (int p = 0; p < planes && d != nullptr; ++p) {
            const int bytes = av_image_get_linesize(fmt, f.width, p);
            const int rows = (p == 1 || p == 2) ? AV_CEIL_RSHIFT(f.height, d->log2_chroma_h) : f.height;
            if (bytes <= 0 || rows <= 0)
                continue;
            // A plane without padding is hashed in one piece.
            if (f.linesize[p] == bytes) {
                XXH3_64bits_update(mState, f.data[p], static_cast<std::size_t>(bytes) * static_cast<std::size_t>(rows));
                continue;
            }
            for (int y = 0; y < rows; ++y)
                XXH3_64bits_update(mState, f.data[p] + static_cast<std::ptrdiff_t>(y) * f.linesize[p],
                                   static_cast<std::size_t>(bytes));
        }
        return XXH3_64bits_digest(mState);
    }

private:
    XXH3_state_t* mState;
};

// One audio stream of the programme: its decoder, and the samples decoded
// but not yet handed on (tracks are decoded as their packets come, and handed
// on together).
struct Track {
    int index = -1;
    CodecPtr decoder;
    std::vector<std::vector<float>> pending;
    std::int64_t decoded = 0;              ///< samples decoded, gaps included
    std::int64_t firstTs = AV_NOPTS_VALUE; ///< the first decoded frame's timestamp
};

} // namespace

PassSummary MediaFile::ReadAll(PassSink& sink)
{
    State& s = *mState;
    PassSummary summary;
    LogCatcher log;

    // Waiting for input gives way to the sink's stop as well as the opener's.
    const std::function<bool()> opened = s.interrupted;
    s.interrupted = [&] { return sink.Stop() || (opened && opened()); };
    s.format->interrupt_callback.callback = [](void* opaque) -> int {
        return static_cast<State*>(opaque)->interrupted() ? 1 : 0;
    };
    s.format->interrupt_callback.opaque = &s;
    struct Restore {
        State& s;
        std::function<bool()> previous;
        ~Restore() { s.interrupted = std::move(previous); }
    } restore{s, opened};

    // Pictures.
    const bool pictures = s.videoIndex >= 0 && sink.ReadsPictures();
    CodecPtr video;
    bool intraOnly = false;
    AVRational rate{0, 1};
    AVRational videoBase{1, 1};
    std::int64_t videoStart = AV_NOPTS_VALUE;
    if (pictures) {
        const AVStream* st = s.format->streams[s.videoIndex];
        video = s.OpenDecoder(s.videoIndex, 0);
        const AVCodecDescriptor* cd = avcodec_descriptor_get(st->codecpar->codec_id);
        intraOnly = cd != nullptr && (cd->props & AV_CODEC_PROP_INTRA_ONLY) != 0;
        rate = s.facts.picture->still ? AVRational{0, 1} : FrameRateOf(st);
        videoBase = st->time_base;
        videoStart = st->start_time;
    }
    std::int64_t sequence = 0; // pictures numbered in arrival order, where timestamps say nothing
    auto frameOf = [&](std::int64_t ts) -> std::int64_t {
        if (rate.num <= 0 || ts == AV_NOPTS_VALUE)
            return sequence;
        if (videoStart == AV_NOPTS_VALUE)
            videoStart = ts;
        return av_rescale_q_rnd(ts - videoStart, videoBase, av_inv_q(rate),
                                static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
    };
    std::int64_t lastFrame = -1;
    auto met = [&](std::int64_t frame) {
        ++summary.pictures;
        ++sequence;
        lastFrame = std::max(lastFrame, frame);
    };
    std::deque<std::pair<std::int64_t, std::uint64_t>> packetHashes; // frames sent to the decoder, with their hash
    // Frames that repeat a known packet wait for the frames still inside the
    // decoder, so that the sink hears of frames in order.
    std::deque<std::pair<std::int64_t, std::uint64_t>> repeats;
    std::int64_t inFlight = 0;
    // Those before `frame`, or all of them once the decoder holds no frame.
    auto repeatUpTo = [&](std::int64_t frame) {
        while (!repeats.empty() && (repeats.front().first < frame || inFlight <= 0)) {
            sink.Repeat(repeats.front().first, repeats.front().second);
            repeats.pop_front();
        }
    };
    auto packetHashOf = [&](std::int64_t frame) -> std::uint64_t {
        while (!packetHashes.empty() && packetHashes.front().first < frame)
            packetHashes.pop_front();
        return !packetHashes.empty() && packetHashes.front().first == frame ? packetHashes.front().second : 0;
    };
    FramePtr frame = btmedia::av::NewFrame();
    PictureHasher pictureHash;
    CodePicture picture; // one buffer for every picture read, so that memory is not cleared anew each time
    auto takePictures = [&] {
        while (avcodec_receive_frame(video.get(), frame.get()) >= 0) {
            const std::int64_t index = frameOf(frame->best_effort_timestamp);
            repeatUpTo(index);
            ++summary.picturesDecoded;
            if (frame->decode_error_flags != 0 || (frame->flags & AV_FRAME_FLAG_CORRUPT) != 0)
                ++summary.decodeErrors;
            met(index);
            if (sink.WantPicture(index)) {
                const std::uint64_t packetHash = intraOnly ? packetHashOf(index) : 0;
                const std::uint64_t hash = pictureHash(*frame);
                if (sink.Knows(hash)) {
                    sink.Repeat(index, hash);
                } else {
                    s.ToCodePicture(*frame, picture);
                    picture.frameIndex = index;
                    ++summary.picturesRead;
                    sink.Picture(picture, packetHash, hash);
                }
            }
            av_frame_unref(frame.get());
            --inFlight;
            repeatUpTo(index + 1);
        }
    };

    // Sound: one decoder a track.
    std::vector<Track> tracks;
    const SoundFacts* soundFacts = s.facts.sound ? &*s.facts.sound : nullptr;
    const bool sound = soundFacts != nullptr && soundFacts->rate > 0 && soundFacts->channels > 0;
    if (sound)
        for (int index : s.audioTracks) {
            Track t;
            t.index = index;
            t.decoder = s.OpenDecoder(index, 1);
            t.pending.resize(static_cast<std::size_t>(soundFacts->tracks > 1 ? 1 : soundFacts->channels));
            tracks.push_back(std::move(t));
        }
    std::int64_t handedOn = 0;     // samples a channel handed to the sink
    double soundStart = 0;
    bool soundStarted = false;
    auto handOn = [&](std::int64_t first) {
        std::size_t n = tracks.front().pending.front().size();
        for (const Track& t : tracks)
            n = std::min(n, t.pending.front().size());
        if (n == 0)
            return;
        SoundSamples samples;
        samples.firstSample = first;
        samples.count = n;
        samples.startSeconds = soundStart;
        for (const Track& t : tracks)
            for (const auto& channel : t.pending)
                samples.channels.push_back(channel.data());
        sink.Sound(samples);
        for (Track& t : tracks)
            for (auto& channel : t.pending)
                channel.erase(channel.begin(), channel.begin() + static_cast<std::ptrdiff_t>(n));
        summary.samples += static_cast<std::int64_t>(n);
        handedOn = first + static_cast<std::int64_t>(n);
    };
    auto takeSound = [&](Track& t) {
        const AVStream* st = s.format->streams[t.index];
        while (avcodec_receive_frame(t.decoder.get(), frame.get()) >= 0) {
            if (frame->ch_layout.nb_channels != static_cast<int>(t.pending.size()) ||
                frame->sample_rate != soundFacts->rate) {
                ++summary.decodeErrors;
                av_frame_unref(frame.get());
                continue;
            }
            if (frame->decode_error_flags != 0 || (frame->flags & AV_FRAME_FLAG_CORRUPT) != 0)
                ++summary.decodeErrors;
            const std::int64_t ts = frame->best_effort_timestamp;
            if (t.firstTs == AV_NOPTS_VALUE && ts != AV_NOPTS_VALUE) {
                t.firstTs = ts;
                if (&t == &tracks.front() && !soundStarted) {
                    soundStarted = true;
                    const double pictureZero = videoStart != AV_NOPTS_VALUE ? static_cast<double>(videoStart) * av_q2d(videoBase) : 0.0;
                    soundStart = pictures ? static_cast<double>(ts) * av_q2d(st->time_base) - pictureZero : 0.0;
                }
            }
            // A single stream's timestamps show samples that never came.
            if (tracks.size() == 1 && ts != AV_NOPTS_VALUE && t.firstTs != AV_NOPTS_VALUE) {
                const std::int64_t at = av_rescale_q(ts - t.firstTs, st->time_base, AVRational{1, soundFacts->rate});
                if (at > t.decoded + soundFacts->rate / 1000) {
                    handOn(handedOn);
                    summary.missingSamples += at - t.decoded;
                    t.decoded = at;
                    handedOn = at;
                }
            }
            AppendSamples(*frame, frame->nb_samples, t.pending);
            t.decoded += frame->nb_samples;
            av_frame_unref(frame.get());
        }
        handOn(handedOn);
    };

    // Only the streams read are demuxed.
    for (unsigned i = 0; i < s.format->nb_streams; ++i) {
        const int index = static_cast<int>(i);
        const bool wanted = (pictures && index == s.videoIndex) ||
                            std::any_of(tracks.begin(), tracks.end(), [&](const Track& t) { return t.index == index; });
        s.format->streams[i]->discard = wanted ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    }
    for (Track& t : tracks)
        avcodec_flush_buffers(t.decoder.get());

    PacketPtr packet = btmedia::av::NewPacket();
    auto send = [&](AVCodecContext* decoder, const AVPacket* p) {
        const int r = avcodec_send_packet(decoder, p);
        if (r < 0 && r != AVERROR(EAGAIN) && r != AVERROR_EOF) {
            ++summary.decodeErrors;
            if (summary.firstDecodeError.empty())
                summary.firstDecodeError = btmedia::av::ErrorText(r);
            return false;
        }
        return true;
    };
    while (true) {
        if (sink.Stop()) {
            summary.stopped = true;
            break;
        }
        const int r = av_read_frame(s.format, packet.get());
        if (r == AVERROR(EAGAIN))
            continue;
        if (r < 0) {
            if (r == AVERROR_EXIT || sink.Stop())
                summary.stopped = true;
            else if (r != AVERROR_EOF)
                summary.readError = btmedia::av::ErrorText(r);
            break;
        }
        summary.bytes += packet->size;
        // An empty packet only carries side data (a FLAC coder's final
        // stream header, as NUT stores it); decoders take it for an error.
        if (packet->size == 0) {
            av_packet_unref(packet.get());
            continue;
        }
        if (pictures && packet->stream_index == s.videoIndex) {
            if (intraOnly) {
                const std::int64_t index = frameOf(packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts);
                if (!sink.WantPicture(index)) {
                    met(index);
                    av_packet_unref(packet.get());
                    continue;
                }
                const std::uint64_t hash = XXH3_64bits(packet->data, static_cast<std::size_t>(packet->size));
                if (sink.Knows(hash)) {
                    met(index);
                    repeats.emplace_back(index, hash);
                    repeatUpTo(std::numeric_limits<std::int64_t>::min());
                    av_packet_unref(packet.get());
                    continue;
                }
                packetHashes.emplace_back(index, hash);
            }
            inFlight += send(video.get(), packet.get()) ? 1 : 0;
            takePictures();
        } else {
            for (Track& t : tracks)
                if (packet->stream_index == t.index) {
                    send(t.decoder.get(), packet.get());
                    takeSound(t);
                }
        }
        av_packet_unref(packet.get());
    }
    // What the decoders still hold.
    if (!summary.stopped) {
        if (video) {
            send(video.get(), nullptr);
            takePictures();
        }
        for (Track& t : tracks) {
            send(t.decoder.get(), nullptr);
            takeSound(t);
        }
    }

    inFlight = 0;
    repeatUpTo(0);

    summary.decodeErrors += log.decoderErrors;
    if (summary.firstDecodeError.empty())
        summary.firstDecodeError = log.firstDecoderError;
    if (summary.readError.empty() && !summary.stopped && s.format->pb != nullptr && s.format->pb->error < 0)
        summary.readError = btmedia::av::ErrorText(s.format->pb->error);
    if (summary.readError.empty() && !log.firstDemuxerError.empty())
        summary.readError = log.firstDemuxerError;
    if (lastFrame >= 0) {
        summary.missingPictures = std::max<std::int64_t>(0, lastFrame + 1 - summary.pictures);
        summary.pictureEndSeconds = rate.num > 0 ? static_cast<double>(lastFrame + 1) / av_q2d(rate) : 0.0;
    }
    if (sound && summary.samples > 0) {
        summary.soundStartSeconds = soundStart;
        summary.soundEndSeconds =
            soundStart + static_cast<double>(summary.samples + summary.missingSamples) / soundFacts->rate;
    }
    return summary;
}

} // namespace btcheck
