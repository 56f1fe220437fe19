// The one pass over a whole file: packets read once, picture and sound decoded
// together, each picture numbered from its timestamp, and what the decoders
// and the demuxer complain of counted.
//
// Rationale: the pictures are decoded on a thread of their own (a long-GOP
// stream's hashed and measured on another), fed by the demuxer through a
// short queue, while the demuxer's thread decodes the sound and hands it on:
// the picture decoder's own threads are not left waiting while the sound, or
// a picture, is measured. An intra-only picture packet identical to one already
// measured stands for its frame undecoded (a hash of its bytes), and a
// decoded picture identical to one measured is not read into codes (a hash
// of its planes), so an export that repeats one picture costs little more
// than reading it.

#include "btcheck/MediaFile.h"

#include "LogCatcher.h"
#include "MediaState.h"
#include "OrderedWorker.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
#include <libavutil/timecode.h>
}

// The library's dispatching entry points: the widest vector unit the
// processor has (hashing every decoded picture is a cost of the pass).
#include <xxh_x86dispatch.h>

#include <algorithm>
#include <condition_variable>
#include <cstdarg>
#include <cstring>
#include <deque>
#include <exception>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace btcheck {

namespace {

using btmedia::av::CodecPtr;
using btmedia::av::FramePtr;
using btmedia::av::PacketPtr;

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

// The timecode an MPEG-1/2 group of pictures header carries, and the
// temporal reference of the picture after it: the timecode is that of the
// group's first picture in display order, which is the picture after it
// less its temporal reference. False when the packet starts no group.
//
// Rationale: read from the packet, not from the decoder's side data, which
// goes with whichever picture the decoder shows when the group arrives: with
// B-frames, an earlier one.
bool GroupTimecode(const AVPacket& packet, std::string& text, int& temporalReference)
{
    const std::uint8_t* b = packet.data;
    const int n = packet.size;
    int group = -1;
    for (int i = 0; i + 8 <= n; ++i) {
        if (b[i] != 0 || b[i + 1] != 0 || b[i + 2] != 1)
            continue;
        if (b[i + 3] == 0xB8 && group < 0) {
            group = i + 4;
        } else if (b[i + 3] == 0x00 && group >= 0) {
            temporalReference = (b[i + 4] << 2) | (b[i + 5] >> 6);
            // time_code is the header's first 25 bits.
            const std::uint32_t tc = (std::uint32_t{b[group]} << 17) | (std::uint32_t{b[group + 1]} << 9) |
                                     (std::uint32_t{b[group + 2]} << 1) | (std::uint32_t{b[group + 3]} >> 7);
            char line[AV_TIMECODE_STR_SIZE] = {};
            text = av_timecode_make_mpeg_tc_string(line, tc);
            return true;
        }
    }
    return false;
}

// Packets handed from the demuxer to the picture thread. Bounded, so that
// memory stays flat: the demuxer waits while the pictures catch up.
class PacketQueue {
public:
    explicit PacketQueue(std::size_t most) : mMost(most) {}

    /// False once the taker has given up.
    bool Push(PacketPtr packet)
    {
        std::unique_lock held(mLock);
        mChanged.wait(held, [&] { return mGaveUp || mWaiting.size() < mMost; });
        if (mGaveUp)
            return false;
        mWaiting.push_back(std::move(packet));
        mChanged.notify_all();
        return true;
    }
    /// The next packet; null at the end (closed and taken, or dropped).
    PacketPtr Take()
    {
        std::unique_lock held(mLock);
        mChanged.wait(held, [&] { return mClosed || !mWaiting.empty(); });
        if (mWaiting.empty() || mDropped)
            return nullptr;
        PacketPtr p = std::move(mWaiting.front());
        mWaiting.pop_front();
        mChanged.notify_all();
        return p;
    }
    /// No more packets; `drop`: those still waiting are not wanted either.
    void Close(bool drop)
    {
        const std::lock_guard held(mLock);
        mClosed = true;
        mDropped = mDropped || drop;
        mChanged.notify_all();
    }
    void GiveUp()
    {
        const std::lock_guard held(mLock);
        mGaveUp = true;
        mChanged.notify_all();
    }
    /// Whether the end came without the packets still waiting.
    [[nodiscard]] bool Dropped()
    {
        const std::lock_guard held(mLock);
        return mDropped;
    }

private:
    std::mutex mLock;
    std::condition_variable mChanged;
    std::deque<PacketPtr> mWaiting;
    std::size_t mMost;
    bool mClosed = false;
    bool mDropped = false;
    bool mGaveUp = false;
};

// Picture packets the demuxer may run ahead of the picture thread.
constexpr std::size_t kPacketsAhead = 24;

// Decoded pictures that may wait for their hash and measure, at most: a
// long-GOP decoder goes on with the next ones meanwhile.
constexpr std::size_t kPicturesWaiting = 4;

// The picture side of the pass, on its own thread: decodes, numbers and
// hashes pictures and hands them to the sink in frame order. A long-GOP
// stream's pictures are hashed and measured on a worker of their own, so that
// its decoder is fed while they are (each of its pictures depends on earlier
// ones, and its threads wait for the packets that follow). An intra-only
// stream's packets are weighed against the pictures measured before they are
// decoded, so its pictures are measured as they come.
class PictureSide {
public:
    PictureSide(MediaFile::State& s, PassSink& sink) : mState(s), mSink(sink)
    {
        const AVStream* st = s.format->streams[s.videoIndex];
        mDecoder = s.OpenDecoder(s.videoIndex, 0);
        const AVCodecDescriptor* cd = avcodec_descriptor_get(st->codecpar->codec_id);
        mIntraOnly = cd != nullptr && (cd->props & AV_CODEC_PROP_INTRA_ONLY) != 0;
        mGroups = st->codecpar->codec_id == AV_CODEC_ID_MPEG2VIDEO || st->codecpar->codec_id == AV_CODEC_ID_MPEG1VIDEO;
        mRate = s.facts.picture->still ? AVRational{0, 1} : FrameRateOf(st);
        mBase = st->time_base;
        mStart = st->start_time;
        mFrame = btmedia::av::NewFrame();
        if (!mIntraOnly)
            mMeasure.emplace(kPicturesWaiting);
    }

    /// Takes packets until the queue ends; then what the decoder still holds.
    void Run(PacketQueue& queue)
    {
        while (PacketPtr p = queue.Take())
            Packet(*p);
        if (!queue.Dropped()) {
            Send(nullptr);
            TakePictures();
        }
        mInFlight = 0;
        RepeatUpTo(0);
        if (mMeasure)
            mMeasure->Finish();
    }

    /// The picture counts of the pass; `summary`'s sound counts are left alone.
    void Summarise(PassSummary& summary) const
    {
        summary.pictures = mMet;
        summary.picturesDecoded = mDecoded;
        summary.picturesRead = mRead;
        summary.decodeErrors += mErrors;
        if (summary.firstDecodeError.empty())
            summary.firstDecodeError = mFirstError;
        if (mLastFrame >= 0) {
            summary.missingPictures = std::max<std::int64_t>(0, mLastFrame + 1 - mMet);
            summary.pictureEndSeconds = mRate.num > 0 ? static_cast<double>(mLastFrame + 1) / av_q2d(mRate) : 0.0;
        }
    }

private:
    // Pictures are numbered from their timestamps where the stream has a
    // rate, else in arrival order.
    std::int64_t FrameOf(std::int64_t ts)
    {
        if (mRate.num <= 0 || ts == AV_NOPTS_VALUE)
            return mMet;
        if (mStart == AV_NOPTS_VALUE)
            mStart = ts;
        return av_rescale_q_rnd(ts - mStart, mBase, av_inv_q(mRate),
                                static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
    }

    void Met(std::int64_t frame)
    {
        ++mMet;
        mLastFrame = std::max(mLastFrame, frame);
    }

    bool Send(const AVPacket* p)
    {
        const int r = avcodec_send_packet(mDecoder.get(), p);
        if (r < 0 && r != AVERROR(EAGAIN) && r != AVERROR_EOF) {
            ++mErrors;
            if (mFirstError.empty())
                mFirstError = btmedia::av::ErrorText(r);
            return false;
        }
        return true;
    }

    // Frames that repeat a known packet wait for the frames still inside the
    // decoder, so that the sink hears of frames in order: those before
    // `frame`, or all of them once the decoder holds no frame.
    void RepeatUpTo(std::int64_t frame)
    {
        while (!mRepeats.empty() && (mRepeats.front().first < frame || mInFlight <= 0)) {
            mSink.Repeat(mRepeats.front().first, mRepeats.front().second);
            mRepeats.pop_front();
        }
    }

    std::uint64_t PacketHashOf(std::int64_t frame)
    {
        while (!mPacketHashes.empty() && mPacketHashes.front().first < frame)
            mPacketHashes.pop_front();
        return !mPacketHashes.empty() && mPacketHashes.front().first == frame ? mPacketHashes.front().second : 0;
    }

    void Packet(const AVPacket& packet)
    {
        const std::int64_t ts = packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
        if (mGroups) {
            std::string text;
            int reference = 0;
            if (packet.pts != AV_NOPTS_VALUE && GroupTimecode(packet, text, reference))
                Do([this, frame = FrameOf(packet.pts) - reference, text] { mSink.Timecode(frame, text); });
        }
        if (mIntraOnly) {
            const std::int64_t index = FrameOf(ts);
            if (!mSink.WantPicture(index)) {
                Met(index);
                return;
            }
            const std::uint64_t hash = XXH3_64bits(packet.data, static_cast<std::size_t>(packet.size));
            if (mSink.Knows(hash)) {
                Met(index);
                mRepeats.emplace_back(index, hash);
                RepeatUpTo(std::numeric_limits<std::int64_t>::min());
                return;
            }
            mPacketHashes.emplace_back(index, hash);
        }
        mInFlight += Send(&packet) ? 1 : 0;
        TakePictures();
    }

    void TakePictures()
    {
        AVFrame& frame = *mFrame;
        while (avcodec_receive_frame(mDecoder.get(), &frame) >= 0) {
            const std::int64_t index = FrameOf(frame.best_effort_timestamp);
            RepeatUpTo(index);
            ++mDecoded;
            if (frame.decode_error_flags != 0 || (frame.flags & AV_FRAME_FLAG_CORRUPT) != 0)
                ++mErrors;
            Met(index);
            CarriedTimecode(frame, index);
            if (mMeasure) {
                std::shared_ptr<const AVFrame> held(av_frame_clone(&frame), [](AVFrame* f) { av_frame_free(&f); });
                if (!held)
                    throw std::bad_alloc();
                mMeasure->Post([this, held, index] { Look(*held, index, 0); });
            } else {
                Look(frame, index, mIntraOnly ? PacketHashOf(index) : 0);
            }
            av_frame_unref(&frame);
            --mInFlight;
            RepeatUpTo(index + 1);
        }
    }

    // Frame `index` to the sink: its result again if its planes are of a
    // picture measured, else measured. [the measuring thread]
    void Look(const AVFrame& frame, std::int64_t index, std::uint64_t packetHash)
    {
        if (!mSink.WantPicture(index))
            return;
        const std::uint64_t hash = mHash(frame);
        if (mSink.Knows(hash)) {
            mSink.Repeat(index, hash);
            return;
        }
        mState.ToCodePicture(frame, mPicture);
        mPicture.frameIndex = index;
        ++mRead;
        mSink.Picture(mPicture, packetHash, hash);
    }

    // What the sink is told of pictures, on the thread that measures them.
    void Do(std::function<void()> job)
    {
        if (mMeasure)
            mMeasure->Post(std::move(job));
        else
            job();
    }

    // A picture's own timecode, as a decoder exports it from an H.264 or
    // HEVC picture timing message (SMPTE 12M).
    void CarriedTimecode(const AVFrame& frame, std::int64_t index)
    {
        const AVFrameSideData* side = av_frame_get_side_data(&frame, AV_FRAME_DATA_S12M_TIMECODE);
        if (side == nullptr || side->size < 2 * sizeof(std::uint32_t) || mRate.num <= 0)
            return;
        std::uint32_t words[2];
        std::memcpy(words, side->data, sizeof words);
        if (words[0] < 1)
            return;
        char line[AV_TIMECODE_STR_SIZE] = {};
        Do([this, index, text = std::string(av_timecode_make_smpte_tc_string2(line, mRate, words[1], 0, 0))] {
            mSink.Timecode(index, text);
        });
    }

    MediaFile::State& mState;
    PassSink& mSink;
    CodecPtr mDecoder;
    bool mIntraOnly = false;
    bool mGroups = false; ///< MPEG-1/2: groups of pictures carry a timecode
    AVRational mRate{0, 1};
    AVRational mBase{1, 1};
    std::int64_t mStart = AV_NOPTS_VALUE;
    FramePtr mFrame;
    PictureHasher mHash;
    CodePicture mPicture; // one buffer for every picture read, so that memory is not cleared anew each time

    std::int64_t mMet = 0, mDecoded = 0, mRead = 0, mErrors = 0;
    std::string mFirstError;
    std::int64_t mLastFrame = -1;
    std::deque<std::pair<std::int64_t, std::uint64_t>> mPacketHashes; // frames sent to the decoder, with their hash
    std::deque<std::pair<std::int64_t, std::uint64_t>> mRepeats;
    std::int64_t mInFlight = 0;
    // Last: it ends, running what waits, before what its jobs use goes.
    std::optional<OrderedWorker> mMeasure;
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

// The picture thread, ended and joined however the pass ends.
struct PictureThread {
    PacketQueue queue{kPacketsAhead};
    std::thread thread;
    std::exception_ptr failure;

    void Start(PictureSide& side)
    {
        thread = std::thread([this, &side] {
            try {
                side.Run(queue);
            } catch (...) {
                failure = std::current_exception();
                queue.GiveUp();
            }
        });
    }
    void Join(bool drop)
    {
        queue.Close(drop);
        if (thread.joinable())
            thread.join();
    }
    ~PictureThread() { Join(true); }
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
    std::optional<PictureSide> pictureSide;
    if (pictures)
        pictureSide.emplace(s, sink);
    // Where the sound starts is told against the first picture's time.
    std::int64_t videoStart = pictures ? s.format->streams[s.videoIndex]->start_time : AV_NOPTS_VALUE;
    const AVRational videoBase = pictures ? s.format->streams[s.videoIndex]->time_base : AVRational{1, 1};

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
    FramePtr frame = btmedia::av::NewFrame();
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
    auto send = [&](AVCodecContext* decoder, const AVPacket* p) {
        const int r = avcodec_send_packet(decoder, p);
        if (r < 0 && r != AVERROR(EAGAIN) && r != AVERROR_EOF) {
            ++summary.decodeErrors;
            if (summary.firstDecodeError.empty())
                summary.firstDecodeError = btmedia::av::ErrorText(r);
        }
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

    PictureThread pictureThread;
    if (pictureSide)
        pictureThread.Start(*pictureSide);
    bool pictureFailed = false;
    PacketPtr packet = btmedia::av::NewPacket();
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
            if (videoStart == AV_NOPTS_VALUE)
                videoStart = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
            PacketPtr handed = btmedia::av::NewPacket();
            av_packet_move_ref(handed.get(), packet.get());
            if (!pictureThread.queue.Push(std::move(handed))) {
                pictureFailed = true;
                break;
            }
            continue;
        }
        for (Track& t : tracks)
            if (packet->stream_index == t.index) {
                send(t.decoder.get(), packet.get());
                takeSound(t);
            }
        av_packet_unref(packet.get());
    }
    // What the decoders still hold.
    if (!summary.stopped && !pictureFailed)
        for (Track& t : tracks) {
            send(t.decoder.get(), nullptr);
            takeSound(t);
        }
    pictureThread.Join(summary.stopped);
    if (pictureThread.failure)
        std::rethrow_exception(pictureThread.failure);
    if (pictureSide)
        pictureSide->Summarise(summary);

    summary.decodeErrors += log.decoderErrors;
    if (summary.firstDecodeError.empty())
        summary.firstDecodeError = log.firstDecoderError;
    if (summary.readError.empty() && !summary.stopped && s.format->pb != nullptr && s.format->pb->error < 0)
        summary.readError = btmedia::av::ErrorText(s.format->pb->error);
    if (summary.readError.empty() && !log.firstDemuxerError.empty())
        summary.readError = log.firstDemuxerError;
    if (sound && summary.samples > 0) {
        summary.soundStartSeconds = soundStart;
        summary.soundEndSeconds =
            soundStart + static_cast<double>(summary.samples + summary.missingSamples) / soundFacts->rate;
    }
    return summary;
}

} // namespace btcheck
