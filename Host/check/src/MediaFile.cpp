#include "btcheck/MediaFile.h"

#include "LogCatcher.h"
#include "MediaState.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>

namespace btcheck {

namespace {

// A picture larger than this is refused rather than held as three planes.
constexpr std::int64_t kMaxPixels = 8192LL * 4608LL;
constexpr int kMaxChannels = 64;
constexpr std::size_t kIoBufferSize = 1 << 16;

} // namespace

using btmedia::av::CodecPtr;
using btmedia::av::FramePtr;
using btmedia::av::PacketPtr;

// Bytes in memory seen through FFmpeg's I/O callbacks.
struct MemoryInput {
    std::span<const std::uint8_t> bytes;
    std::int64_t position = 0;

    static int Read(void* opaque, std::uint8_t* buffer, int size)
    {
        auto* self = static_cast<MemoryInput*>(opaque);
        const std::int64_t left = static_cast<std::int64_t>(self->bytes.size()) - self->position;
        if (left <= 0)
            return AVERROR_EOF;
        const int n = static_cast<int>(std::min<std::int64_t>(left, size));
        std::memcpy(buffer, self->bytes.data() + self->position, static_cast<std::size_t>(n));
        self->position += n;
        return n;
    }
    static std::int64_t Seek(void* opaque, std::int64_t offset, int whence)
    {
        auto* self = static_cast<MemoryInput*>(opaque);
        const auto size = static_cast<std::int64_t>(self->bytes.size());
        if (whence & AVSEEK_SIZE)
            return size;
        std::int64_t target = offset;
        switch (whence & ~AVSEEK_FORCE) {
        case SEEK_SET: break;
        case SEEK_CUR: target = self->position + offset; break;
        case SEEK_END: target = size + offset; break;
        default: return -1;
        }
        if (target < 0 || target > size)
            return -1;
        self->position = target;
        return target;
    }
};

namespace {

// An enum field as the number it holds: a damaged file can put any number
// there, and reading it as the enum would be undefined.
template <typename E>
int Number(const E& field) noexcept
{
    static_assert(sizeof(E) == sizeof(int));
    int value;
    std::memcpy(&value, &field, sizeof value);
    return value;
}

double Seconds(std::int64_t ts, AVRational tb)
{
    return ts == AV_NOPTS_VALUE ? 0.0 : static_cast<double>(ts) * av_q2d(tb);
}

std::string ChromaLocationName(int loc)
{
    const char* name = loc >= 0 && loc < AVCHROMA_LOC_NB ? av_chroma_location_name(static_cast<AVChromaLocation>(loc))
                                                         : nullptr;
    return name != nullptr ? name : "unspecified";
}

// The family and depth of a pixel format, or an explanation why it cannot be
// measured.
struct FormatReading {
    Family family = Family::YCbCr;
    int depth = 0;
    int components = 0;
    std::string refusal;
};

FormatReading ReadFormat(AVPixelFormat format)
{
    FormatReading r;
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(format);
    if (d == nullptr) {
        r.refusal = "an unknown pixel format";
        return r;
    }
    const std::string name = d->name;
    if (d->flags & (AV_PIX_FMT_FLAG_HWACCEL | AV_PIX_FMT_FLAG_BAYER | AV_PIX_FMT_FLAG_FLOAT | AV_PIX_FMT_FLAG_PAL) ||
        name.rfind("xyz", 0) == 0) {
        r.refusal = "pixel format " + name + ", which is not measured (float, paletted, Bayer or XYZ)";
        return r;
    }
    const bool alpha = (d->flags & AV_PIX_FMT_FLAG_ALPHA) != 0;
    r.components = d->nb_components - (alpha ? 1 : 0);
    r.family = (d->flags & AV_PIX_FMT_FLAG_RGB) ? Family::Rgb : r.components < 3 ? Family::Gray : Family::YCbCr;
    r.depth = d->comp[0].depth;
    for (int c = 1; c < std::min(r.components, 3); ++c)
        if (d->comp[c].depth != r.depth)
            r.refusal = "pixel format " + name + ", whose components differ in depth";
    if (r.depth < 1 || r.depth > 16)
        r.refusal = "pixel format " + name + " of " + std::to_string(r.depth) + " bits";
    return r;
}

// A PNG's cICP chunk (primaries, transfer, matrix, full-range flag), which
// this FFmpeg does not read: the tags of a PNG picture.
bool PngColourChunk(std::span<const std::uint8_t> bytes, ColourTags& tags)
{
    static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes.size() < 8 || !std::equal(kSignature, kSignature + 8, bytes.begin()))
        return false;
    std::size_t at = 8;
    while (at + 8 <= bytes.size()) {
        const std::uint32_t length = (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
                                     (std::uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
        const std::string type(reinterpret_cast<const char*>(bytes.data() + at + 4), 4);
        if (type == "IDAT" || length > bytes.size() - at - 8)
            return false;
        if (type == "cICP" && length == 4) {
            tags.primaries = bytes[at + 8];
            tags.transfer = bytes[at + 9];
            tags.matrix = bytes[at + 10];
            tags.range = bytes[at + 11] != 0 ? 2 : 1;
            return true;
        }
        at += 12 + static_cast<std::size_t>(length);
    }
    return false;
}

} // namespace

MediaFile::State::~State()
{
    avformat_close_input(&format);
    if (io != nullptr) {
        av_freep(&io->buffer);
        avio_context_free(&io);
    }
}

AVRational FrameRateOf(const AVStream* st)
{
    if (st->avg_frame_rate.num > 0 && st->avg_frame_rate.den > 0)
        return st->avg_frame_rate;
    if (st->r_frame_rate.num > 0 && st->r_frame_rate.den > 0)
        return st->r_frame_rate;
    return AVRational{0, 1};
}

namespace {

std::string TimecodeOf(const AVFormatContext* f)
{
    if (const AVDictionaryEntry* e = av_dict_get(f->metadata, "timecode", nullptr, 0))
        return e->value;
    for (unsigned i = 0; i < f->nb_streams; ++i)
        if (const AVDictionaryEntry* e = av_dict_get(f->streams[i]->metadata, "timecode", nullptr, 0))
            return e->value;
    return {};
}

// Every audio stream, when each is one mono channel at the best one's rate
// and codec: an export with one track per channel (MXF's and QuickTime's
// usual layout). Otherwise the best stream alone.
std::vector<int> MonoTracks(const AVFormatContext* f, int best)
{
    const AVCodecParameters* first = f->streams[best]->codecpar;
    if (first->ch_layout.nb_channels != 1)
        return {best};
    std::vector<int> tracks{best};
    for (unsigned i = 0; i < f->nb_streams; ++i) {
        const AVCodecParameters* par = f->streams[i]->codecpar;
        if (static_cast<int>(i) == best || par->codec_type != AVMEDIA_TYPE_AUDIO)
            continue;
        if (par->ch_layout.nb_channels != 1 || par->sample_rate != first->sample_rate ||
            par->codec_id != first->codec_id)
            return {best};
        tracks.push_back(static_cast<int>(i));
    }
    std::sort(tracks.begin(), tracks.end());
    if (static_cast<int>(tracks.size()) > kMaxChannels)
        return {best};
    return tracks;
}

} // namespace

void MediaFile::State::Probe()
{
    facts.container = format->iformat->long_name != nullptr ? format->iformat->long_name : format->iformat->name;
    facts.durationSeconds = format->duration > 0 ? static_cast<double>(format->duration) / AV_TIME_BASE : 0.0;
    facts.timecode = TimecodeOf(format);
    facts.lengthsDeclared = (format->iformat->flags & AVFMT_TS_DISCONT) == 0;

    videoIndex = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (videoIndex >= 0 && (format->streams[videoIndex]->disposition & AV_DISPOSITION_ATTACHED_PIC))
        videoIndex = -1;
    audioIndex = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (videoIndex < 0 && audioIndex < 0)
        throw ReadError("the file has neither picture nor sound");

    if (videoIndex >= 0) {
        const AVStream* st = format->streams[videoIndex];
        const AVCodecParameters* par = st->codecpar;
        PictureFacts p;
        const AVCodecDescriptor* cd = avcodec_descriptor_get(par->codec_id);
        p.codec = cd != nullptr ? cd->name : "unknown";
        const auto pixfmt = static_cast<AVPixelFormat>(par->format);
        const char* pixName = av_get_pix_fmt_name(pixfmt);
        p.pixelFormat = pixName != nullptr ? pixName : "unknown";
        p.width = par->width;
        p.height = par->height;
        const AVRational sar = st->sample_aspect_ratio.num > 0 ? st->sample_aspect_ratio : par->sample_aspect_ratio;
        if (sar.num > 0 && sar.den > 0) {
            p.sarNum = sar.num;
            p.sarDen = sar.den;
        }
        const AVRational rate = FrameRateOf(st);
        p.rateNum = rate.num;
        p.rateDen = rate.den;
        const std::string demuxer = format->iformat->name;
        p.still = demuxer.find("image2") != std::string::npos || demuxer.find("_pipe") != std::string::npos;
        p.durationSeconds = st->duration > 0 ? Seconds(st->duration, st->time_base) : facts.durationSeconds;
        if (p.still)
            p.frameCount = 1;
        else if (st->nb_frames > 0)
            p.frameCount = st->nb_frames;
        else if (rate.num > 0 && p.durationSeconds > 0)
            p.frameCount = std::max<std::int64_t>(1, std::llround(p.durationSeconds * av_q2d(rate)));
        else
            p.frameCount = 1;
        const FormatReading reading = ReadFormat(pixfmt);
        p.depth = reading.depth;
        p.family = reading.family;
        if (const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(pixfmt)) {
            p.chromaShiftX = d->log2_chroma_w;
            p.chromaShiftY = d->log2_chroma_h;
        }
        p.tags.primaries = Number(par->color_primaries);
        p.tags.transfer = Number(par->color_trc);
        p.tags.matrix = Number(par->color_space);
        p.tags.range = Number(par->color_range);
        p.chromaLocation = ChromaLocationName(Number(par->chroma_location));
        facts.picture = p;
    }
    if (audioIndex >= 0) {
        const AVStream* st = format->streams[audioIndex];
        const AVCodecParameters* par = st->codecpar;
        SoundFacts s;
        const AVCodecDescriptor* cd = avcodec_descriptor_get(par->codec_id);
        s.codec = cd != nullptr ? cd->name : "unknown";
        const char* fmtName = av_get_sample_fmt_name(static_cast<AVSampleFormat>(par->format));
        s.sampleFormat = fmtName != nullptr ? fmtName : "unknown";
        s.rate = par->sample_rate;
        s.bitsPerSample = par->bits_per_raw_sample > 0 ? par->bits_per_raw_sample : par->bits_per_coded_sample;
        audioTracks = MonoTracks(format, audioIndex);
        s.tracks = static_cast<int>(audioTracks.size());
        s.durationSeconds = st->duration > 0 ? Seconds(st->duration, st->time_base) : facts.durationSeconds;
        if (s.tracks > 1) {
            // One channel a track: the programme's layout is the tracks' order.
            s.channels = s.tracks;
            s.layout = std::to_string(s.tracks) + " mono tracks";
            s.channelNames.assign(audioTracks.size(), std::string());
            for (int t : audioTracks) {
                const AVStream* track = format->streams[t];
                if (track->duration > 0)
                    s.durationSeconds = std::max(s.durationSeconds, Seconds(track->duration, track->time_base));
            }
        } else {
            s.channels = par->ch_layout.nb_channels;
            s.layoutDeclared = par->ch_layout.order != AV_CHANNEL_ORDER_UNSPEC;
            char text[128] = {};
            if (s.layoutDeclared && av_channel_layout_describe(&par->ch_layout, text, sizeof text) >= 0)
                s.layout = text;
            else
                s.layout = "unknown";
            for (int c = 0; c < std::min(s.channels, kMaxChannels); ++c) {
                char name[32] = {};
                const AVChannel ch = s.layoutDeclared ? av_channel_layout_channel_from_index(&par->ch_layout,
                                                                                            static_cast<unsigned>(c))
                                                      : AV_CHAN_NONE;
                if (ch != AV_CHAN_NONE && av_channel_name(name, sizeof name, ch) >= 0)
                    s.channelNames.emplace_back(name);
                else
                    s.channelNames.emplace_back();
            }
        }
        facts.sound = s;
    }
}

CodecPtr MediaFile::State::OpenDecoder(int index, int threads) const
{
    const AVCodecParameters* par = format->streams[index]->codecpar;
    const AVCodec* codec = avcodec_find_decoder(par->codec_id);
    if (codec == nullptr)
        throw ReadError(std::string("no decoder for ") + avcodec_get_name(par->codec_id));
    CodecPtr c(avcodec_alloc_context3(codec));
    if (!c)
        throw std::bad_alloc();
    if (avcodec_parameters_to_context(c.get(), par) < 0)
        throw ReadError("the stream's parameters are not usable");
    c->max_pixels = kMaxPixels; // the decoder refuses larger pictures before it allocates them
    // Seeking reads ask for one thread: only a few frames are decoded, and
    // frame threads would hold frames back after a seek.
    c->thread_count = threads;
    const int opened = avcodec_open2(c.get(), codec, nullptr);
    if (opened < 0)
        throw ReadError(std::string("cannot open the ") + codec->name + " decoder: " + btmedia::av::ErrorText(opened));
    return c;
}

// The demuxer skips the other streams' packets instead of reading them.
void MediaFile::State::ReadOnly(int index)
{
    for (unsigned i = 0; i < format->nb_streams; ++i)
        format->streams[i]->discard = static_cast<int>(i) == index ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
}

void MediaFile::State::SeekTo(int index, std::int64_t ts)
{
    if (av_seek_frame(format, index, ts, AVSEEK_FLAG_BACKWARD) < 0)
        av_seek_frame(format, -1, 0, AVSEEK_FLAG_BYTE); // from the start; a failure leaves us where we are
}

void MediaFile::State::ToCodePicture(const AVFrame& frame, CodePicture& out) const
{
    const auto pixfmt = static_cast<AVPixelFormat>(frame.format);
    const FormatReading reading = ReadFormat(pixfmt);
    if (!reading.refusal.empty())
        throw ReadError("the picture has " + reading.refusal);
    if (frame.width <= 0 || frame.height <= 0 ||
        static_cast<std::int64_t>(frame.width) * frame.height > kMaxPixels)
        throw ReadError("a picture of " + std::to_string(frame.width) + " x " + std::to_string(frame.height) +
                        " is not checked");
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(pixfmt);
    out.width = frame.width;
    out.height = frame.height;
    out.depth = reading.depth;
    out.family = reading.family;
    out.fullRange = facts.picture && facts.picture->tags.range != 0
                        ? facts.picture->tags.range == 2
                        : Number(frame.color_range) == AVCOL_RANGE_JPEG || std::strncmp(d->name, "yuvj", 4) == 0;
    if (out.family == Family::YCbCr) {
        out.chromaShiftX = d->log2_chroma_w;
        out.chromaShiftY = d->log2_chroma_h;
    }
    const int components = out.Components();
    for (int c = components; c < 3; ++c)
        out.plane[c].clear();
    const std::size_t w = static_cast<std::size_t>(frame.width);
    std::vector<std::uint16_t> line(w);
    // Planar little-endian components are copied as they lie; anything
    // packed or big-endian goes through FFmpeg's generic line reader.
    const bool direct = (d->flags & AV_PIX_FMT_FLAG_PLANAR) != 0 && (d->flags & AV_PIX_FMT_FLAG_BE) == 0;
    auto readLine = [&](int c, int row, int count) {
        const AVComponentDescriptor& comp = d->comp[c];
        if (direct && comp.shift == 0 && comp.offset == 0 && (comp.step == 1 || comp.step == 2)) {
            const std::uint8_t* src = frame.data[comp.plane] + static_cast<std::ptrdiff_t>(row) * frame.linesize[comp.plane];
            if (comp.step == 1) {
                std::copy_n(src, count, line.data());
            } else {
                std::memcpy(line.data(), src, static_cast<std::size_t>(count) * 2);
                const auto mask = static_cast<std::uint16_t>((1u << comp.depth) - 1);
                for (int x = 0; x < count; ++x)
                    line[static_cast<std::size_t>(x)] &= mask;
            }
            return;
        }
        av_read_image_line2(line.data(), const_cast<const std::uint8_t**>(frame.data), frame.linesize, d, 0, row, c,
                            count, 0, 2);
    };
    for (int c = 0; c < components; ++c) {
        out.plane[c].resize(w * static_cast<std::size_t>(frame.height)); // every code is written below
        const bool chroma = out.family == Family::YCbCr && c > 0;
        const int shiftX = chroma ? d->log2_chroma_w : 0;
        const int shiftY = chroma ? d->log2_chroma_h : 0;
        const int planeWidth = AV_CEIL_RSHIFT(frame.width, shiftX);
        int lastRow = -1;
        for (int y = 0; y < frame.height; ++y) {
            const int planeRow = y >> shiftY;
            if (planeRow != lastRow) {
                readLine(c, planeRow, planeWidth);
                lastRow = planeRow;
            }
            std::uint16_t* dst = out.plane[c].data() + static_cast<std::size_t>(y) * w;
            if (shiftX == 0)
                std::copy_n(line.data(), w, dst);
            else
                for (std::size_t x = 0; x < w; ++x)
                    dst[x] = line[x >> shiftX];
        }
    }
}

MediaFile::MediaFile(std::unique_ptr<State> state) : mState(std::move(state)) {}
MediaFile::MediaFile(MediaFile&&) noexcept = default;
MediaFile& MediaFile::operator=(MediaFile&&) noexcept = default;
MediaFile::~MediaFile() = default;

const FileFacts& MediaFile::Facts() const noexcept { return mState->facts; }

void MediaFile::State::ReadPngTags(std::span<const std::uint8_t> head)
{
    if (facts.picture && facts.picture->codec == "png")
        PngColourChunk(head, facts.picture->tags);
}

void MediaFile::State::Open(const char* url)
{
    if (format == nullptr) {
        format = avformat_alloc_context();
        if (format == nullptr)
            throw std::bad_alloc();
    }
    if (interrupted) {
        format->interrupt_callback.callback = [](void* opaque) -> int {
            return static_cast<State*>(opaque)->interrupted() ? 1 : 0;
        };
        format->interrupt_callback.opaque = this;
    }
    LogCatcher log; // why a file is refused is often only logged
    const int opened = avformat_open_input(&format, url, nullptr, nullptr);
    if (opened < 0)
        throw ReadError("not a file FFmpeg can read (" +
                        (log.firstDemuxerError.empty() ? "" : log.firstDemuxerError + ": ") +
                        btmedia::av::ErrorText(opened) + ")");
    if (avformat_find_stream_info(format, nullptr) < 0)
        throw ReadError("the file's streams cannot be made out" +
                        (log.firstDemuxerError.empty() ? std::string() : " (" + log.firstDemuxerError + ")"));
    Probe();
}

MediaFile MediaFile::Open(const std::string& path, std::function<bool()> interrupted)
{
    av_log_set_level(AV_LOG_QUIET);
    avformat_network_init();
    auto state = std::make_unique<State>();
    state->interrupted = std::move(interrupted);
    state->Open(path.c_str());
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> head(1 << 16);
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    state->ReadPngTags(head);
    return MediaFile(std::move(state));
}

MediaFile MediaFile::OpenBytes(std::span<const std::uint8_t> bytes)
{
    av_log_set_level(AV_LOG_QUIET);
    auto state = std::make_unique<State>();
    state->memory = std::make_unique<MemoryInput>();
    state->memory->bytes = bytes;
    auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferSize));
    if (buffer == nullptr)
        throw std::bad_alloc();
    state->io = avio_alloc_context(buffer, static_cast<int>(kIoBufferSize), 0, state->memory.get(),
                                   &MemoryInput::Read, nullptr, &MemoryInput::Seek);
    if (state->io == nullptr) {
        av_free(buffer);
        throw std::bad_alloc();
    }
    state->format = avformat_alloc_context();
    if (state->format == nullptr)
        throw std::bad_alloc();
    state->format->pb = state->io;
    state->format->flags |= AVFMT_FLAG_CUSTOM_IO;
    state->Open(nullptr);
    state->ReadPngTags(bytes);
    return MediaFile(std::move(state));
}

CodePicture MediaFile::DecodeFrame(std::int64_t index)
{
    State& s = *mState;
    if (s.videoIndex < 0)
        throw ReadError("the file has no picture");
    if (!s.video)
        s.video = s.OpenDecoder(s.videoIndex);
    const AVStream* st = s.format->streams[s.videoIndex];
    const AVRational rate = FrameRateOf(st);
    const std::int64_t start = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
    const bool timed = rate.num > 0 && !s.facts.picture->still;
    const std::int64_t target = timed ? start + av_rescale_q(index, av_inv_q(rate), st->time_base) : start;
    const std::int64_t halfFrame = timed ? std::max<std::int64_t>(av_rescale_q(1, av_inv_q(rate), st->time_base) / 2, 0) : 0;
    s.ReadOnly(s.videoIndex);
    s.SeekTo(s.videoIndex, target);
    avcodec_flush_buffers(s.video.get());

    PacketPtr packet(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    FramePtr last(av_frame_alloc());
    if (!packet || !frame || !last)
        throw std::bad_alloc();
    bool haveLast = false;
    bool done = false;
    auto drain = [&] {
        while (!done) {
            const int r = avcodec_receive_frame(s.video.get(), frame.get());
            if (r < 0)
                return;
            av_frame_unref(last.get());
            av_frame_move_ref(last.get(), frame.get());
            haveLast = true;
            const std::int64_t ts = last->best_effort_timestamp;
            if (!timed || ts == AV_NOPTS_VALUE || ts >= target - halfFrame)
                done = true;
        }
    };
    int packets = 0;
    while (!done && av_read_frame(s.format, packet.get()) >= 0) {
        if (packet->stream_index == s.videoIndex) {
            ++packets;
            avcodec_send_packet(s.video.get(), packet.get()); // a damaged packet is skipped
            drain();
        }
        av_packet_unref(packet.get());
    }
    if (!done) {
        avcodec_send_packet(s.video.get(), nullptr);
        drain();
    }
    if (!haveLast)
        throw ReadError(packets == 0 ? "the picture stream holds no frames" : "no picture could be decoded");
    CodePicture picture;
    s.ToCodePicture(*last, picture);
    const std::int64_t ts = last->best_effort_timestamp;
    picture.frameIndex = timed && ts != AV_NOPTS_VALUE
                             ? av_rescale_q_rnd(ts - start, st->time_base, av_inv_q(rate),
                                                static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX))
                             : index;
    return picture;
}

void AppendSamples(const AVFrame& f, int count, std::vector<std::vector<float>>& out)
{
    const auto fmt = static_cast<AVSampleFormat>(f.format);
    const int channels = static_cast<int>(out.size());
    const bool planar = av_sample_fmt_is_planar(fmt) != 0;
    const int n = std::clamp(count, 0, f.nb_samples);
    const int bytes = av_get_bytes_per_sample(fmt);
    // One loop a sample format: the samples of a whole programme pass here.
    auto copy = [&](auto convert) {
        for (int c = 0; c < channels; ++c) {
            auto& dst = out[static_cast<std::size_t>(c)];
            const std::uint8_t* base = planar ? f.extended_data[c] : f.extended_data[0];
            const int step = planar ? bytes : bytes * channels;
            const std::uint8_t* p = base + (planar ? 0 : bytes * c);
            const std::size_t at = dst.size();
            dst.resize(at + static_cast<std::size_t>(n));
            for (int i = 0; i < n; ++i, p += step)
                dst[at + static_cast<std::size_t>(i)] = static_cast<float>(convert(p));
        }
    };
    switch (av_get_packed_sample_fmt(fmt)) {
    case AV_SAMPLE_FMT_U8: copy([](const std::uint8_t* p) { return (static_cast<double>(*p) - 128.0) / 128.0; }); break;
    case AV_SAMPLE_FMT_S16: copy([](const std::uint8_t* p) { std::int16_t x; std::memcpy(&x, p, 2); return x / 32768.0; }); break;
    case AV_SAMPLE_FMT_S32: copy([](const std::uint8_t* p) { std::int32_t x; std::memcpy(&x, p, 4); return x / 2147483648.0; }); break;
    case AV_SAMPLE_FMT_S64:
        copy([](const std::uint8_t* p) { std::int64_t x; std::memcpy(&x, p, 8); return static_cast<double>(x) / 9223372036854775808.0; });
        break;
    case AV_SAMPLE_FMT_FLT: copy([](const std::uint8_t* p) { float x; std::memcpy(&x, p, 4); return static_cast<double>(x); }); break;
    case AV_SAMPLE_FMT_DBL: copy([](const std::uint8_t* p) { double x; std::memcpy(&x, p, 8); return x; }); break;
    default: copy([](const std::uint8_t*) { return 0.0; }); break;
    }
}

namespace {

// Keeps the first seconds of the sound and looks at no picture.
class SoundCollector final : public PassSink {
public:
    SoundCollector(btcheck::Sound& out, std::int64_t limit) : mOut(out), mLimit(limit) {}
    [[nodiscard]] bool ReadsPictures() const override { return false; }
    [[nodiscard]] bool Knows(std::uint64_t) const override { return true; }
    void Repeat(std::int64_t, std::uint64_t) override {}
    void Picture(const CodePicture&, std::uint64_t, std::uint64_t) override {}
    void Sound(const SoundSamples& samples) override
    {
        if (mOut.channels.size() != samples.channels.size())
            mOut.channels.assign(samples.channels.size(), {});
        for (std::size_t c = 0; c < samples.channels.size(); ++c) {
            auto& dst = mOut.channels[c];
            const std::size_t room = static_cast<std::size_t>(std::max<std::int64_t>(mLimit - static_cast<std::int64_t>(dst.size()), 0));
            dst.insert(dst.end(), samples.channels[c], samples.channels[c] + std::min(room, samples.count));
        }
        mOut.truncated = mOut.truncated || static_cast<std::int64_t>(mOut.channels[0].size()) >= mLimit;
    }
    [[nodiscard]] bool Stop() override { return mOut.truncated; }

private:
    btcheck::Sound& mOut;
    std::int64_t mLimit;
};

} // namespace

Sound MediaFile::DecodeSound(double maxSeconds)
{
    State& s = *mState;
    if (s.audioIndex < 0)
        throw ReadError("the file has no sound");
    const SoundFacts& facts = *s.facts.sound;
    if (facts.channels < 1 || facts.channels > kMaxChannels || facts.rate < 1 || facts.rate > 768000)
        throw ReadError("sound of " + std::to_string(facts.channels) + " channels at " + std::to_string(facts.rate) +
                        " Hz is not checked");
    const AVStream* st = s.format->streams[s.audioIndex];
    s.SeekTo(s.audioIndex, st->start_time != AV_NOPTS_VALUE ? st->start_time : 0);
    Sound out;
    out.rate = facts.rate;
    SoundCollector collector(out, static_cast<std::int64_t>(std::ceil(std::max(maxSeconds, 0.0) * facts.rate)));
    (void)ReadAll(collector);
    if (out.channels.empty() || out.channels[0].empty())
        throw ReadError("no sound could be decoded");
    return out;
}

} // namespace btcheck
