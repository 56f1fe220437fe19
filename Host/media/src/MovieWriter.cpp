#include "btmedia/MovieWriter.h"

#include "ImporterBarsAndTone/HostRecords.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/buffer.h>
#include <libavutil/channel_layout.h>
#include <libavutil/mathematics.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

namespace btmedia {

namespace {

using bt::records::kTicksPerSecond;

std::string AvError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

void Check(int code, const std::string& what)
{
    if (code < 0)
        throw std::runtime_error(what + ": " + AvError(code));
}

struct FormatContextDeleter {
    void operator()(AVFormatContext* f) const noexcept
    {
        if (f->pb != nullptr)
            avio_closep(&f->pb);
        avformat_free_context(f);
    }
};
struct CodecContextDeleter {
    void operator()(AVCodecContext* c) const noexcept { avcodec_free_context(&c); }
};
struct FrameDeleter {
    void operator()(AVFrame* f) const noexcept { av_frame_free(&f); }
};
struct PacketDeleter {
    void operator()(AVPacket* p) const noexcept { av_packet_free(&p); }
};
struct BufferPoolDeleter {
    void operator()(AVBufferPool* p) const noexcept { av_buffer_pool_uninit(&p); }
};
using FormatPtr = std::unique_ptr<AVFormatContext, FormatContextDeleter>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using PoolPtr = std::unique_ptr<AVBufferPool, BufferPoolDeleter>;

AVRational ReducedRatio(std::int64_t num, std::int64_t den)
{
    AVRational r{0, 1};
    av_reduce(&r.num, &r.den, num, den, INT_MAX);
    return r;
}

void ValidateSpec(const MovieSpec& s)
{
    if (s.width <= 0 || s.height <= 0)
        throw std::invalid_argument("picture size " + std::to_string(s.width) + "x" + std::to_string(s.height) +
                                    " cannot be exported");
    if (s.format == MovieFormat::ProResQuickTime && (s.width % 2 != 0))
        throw std::invalid_argument("ProRes needs an even picture width, not " + std::to_string(s.width));
    if (s.frameDuration <= 0 || s.frameDuration == INT64_MAX)
        throw std::invalid_argument("the clip has no usable frame rate (frame duration " +
                                    std::to_string(s.frameDuration) + " ticks)");
    if (s.frameCount <= 0)
        throw std::invalid_argument("nothing to export: " + std::to_string(s.frameCount) + " frames");
    if (s.audioRate < 0 || (s.audioRate > 0 && s.audioChannels != 1 && s.audioChannels != 2 && s.audioChannels != 6))
        throw std::invalid_argument("sound of " + std::to_string(s.audioChannels) + " channels at " +
                                    std::to_string(s.audioRate) + " Hz cannot be exported");
    if (s.pictureThreads < 1)
        throw std::invalid_argument("at least one picture thread is needed");
    if (s.soundChunk == 0)
        throw std::invalid_argument("sound requests need at least one sample");
}

void HalveChroma(const std::uint16_t* src, std::uint16_t* dst, int chromaWidth)
{
    for (int x = 0; x < chromaWidth; ++x)
        dst[x] = src[2 * x];
}

std::int32_t To24BitWord(float v) noexcept
{
    // 24-bit sample in the top bits of a 32-bit word, as FFmpeg's 24-bit
    // encoders take it.
    const double scaled = std::nearbyint(static_cast<double>(v) * 8388608.0);
    const double held = std::isnan(scaled) ? 0.0 : std::clamp(scaled, -8388608.0, 8388607.0);
    return static_cast<std::int32_t>(held) * 256;
}

class Exporter {
public:
    Exporter(const MovieSpec& spec, const MovieSources& sources) : mSpec(spec), mSources(sources) {}

    MovieResult Run()
    {
        try {
            return RunOrThrow();
        } catch (...) {
            mFormat.reset(); // close the file before its output removes it
            throw;
        }
    }

private:
    MovieResult RunOrThrow()
    {
        const bool toFile = mSpec.format != MovieFormat::NullSink;
        OutputFile* output = mSpec.output;
        if (toFile && output == nullptr) {
            if (mSpec.path.empty())
                throw std::invalid_argument("no output file named");
            output = &mOwnOutput.emplace(mSpec.path, OutputRules{Overwrite::Always, {}});
        }
        if (toFile)
            OpenContainer(*output);
        if (mSpec.audioRate > 0)
            PrepareSound(toFile);
        if (toFile)
            Check(avformat_write_header(mFormat.get(), nullptr), "cannot write the header of " + mSpec.path);

        RunPictures(toFile);

        if (toFile)
            Encode(mVideo.get(), mVideoStream, nullptr);
        SoundUntil(mSoundTotal);
        if (toFile && mAudio)
            Encode(mAudio.get(), mAudioStream, nullptr);
        if (toFile) {
            Check(av_write_trailer(mFormat.get()), "cannot finish " + mSpec.path);
            const int closed = avio_closep(&mFormat->pb);
            if (closed < 0)
                throw WriteFailed(mSpec.path, AVUNERROR(closed));
            output->Commit();
        }
        return MovieResult{mSpec.frameCount, mSoundPosition};
    }

    void OpenContainer(const OutputFile& output)
    {
        const bool mkv = mSpec.format == MovieFormat::Ffv1Matroska;
        if (!mkv)
            output.RequireSeekable("QuickTime"); // the media's size is written back at its start
        const std::string url = output.FfmpegUrl();
        AVFormatContext* raw = nullptr;
        Check(avformat_alloc_output_context2(&raw, nullptr, mkv ? "matroska" : "mov", url.c_str()),
              "cannot set up the container");
        mFormat.reset(raw);

        const AVCodec* codec = mkv ? avcodec_find_encoder(AV_CODEC_ID_FFV1) : avcodec_find_encoder_by_name("prores_ks");
        if (codec == nullptr)
            throw std::runtime_error(std::string("this FFmpeg has no ") + (mkv ? "FFV1" : "prores_ks") + " encoder");
        mVideo.reset(avcodec_alloc_context3(codec));
        AVCodecContext* c = mVideo.get();
        mPixelFormat = mkv ? AV_PIX_FMT_YUV444P10LE : AV_PIX_FMT_YUV422P10LE;
        c->width = mSpec.width;
        c->height = mSpec.height;
        c->pix_fmt = mPixelFormat;
        c->time_base = ReducedRatio(mSpec.frameDuration, kTicksPerSecond);
        c->framerate = ReducedRatio(kTicksPerSecond, mSpec.frameDuration);
        c->sample_aspect_ratio = ReducedRatio(mSpec.parNumerator, std::max<std::uint32_t>(mSpec.parDenominator, 1));
        c->gop_size = 1;
        c->color_primaries = static_cast<AVColorPrimaries>(mSpec.colour.primaries);
        c->color_trc = static_cast<AVColorTransferCharacteristic>(mSpec.colour.transfer);
        c->colorspace = static_cast<AVColorSpace>(mSpec.colour.matrix);
        c->color_range = AVCOL_RANGE_MPEG;
        c->chroma_sample_location = mkv ? AVCHROMA_LOC_UNSPECIFIED : AVCHROMA_LOC_LEFT;
        c->field_order = AV_FIELD_PROGRESSIVE;
        c->thread_count = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
        if (mFormat->oformat->flags & AVFMT_GLOBALHEADER)
            c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;

        AVDictionary* options = nullptr;
        if (mkv) {
            av_dict_set(&options, "level", "3", 0);
            av_dict_set(&options, "coder", "1", 0); // range coder: the only one above 8 bits
            av_dict_set(&options, "slicecrc", "1", 0);
            av_dict_set(&options, "slices", "4", 0);
        } else {
            Check(av_opt_set(c->priv_data, "profile", "hq", 0), "cannot choose ProRes 422 HQ");
            Check(av_opt_set(c->priv_data, "vendor", "apl0", 0), "cannot set the ProRes vendor");
        }
        const int opened = avcodec_open2(c, codec, &options);
        av_dict_free(&options);
        Check(opened, "cannot open the picture encoder");

        mVideoStream = avformat_new_stream(mFormat.get(), nullptr);
        if (mVideoStream == nullptr)
            throw std::runtime_error("cannot add the picture stream");
        mVideoStream->time_base = c->time_base;
        mVideoStream->avg_frame_rate = c->framerate;
        mVideoStream->r_frame_rate = c->framerate;
        mVideoStream->sample_aspect_ratio = c->sample_aspect_ratio;
        Check(avcodec_parameters_from_context(mVideoStream->codecpar, c), "cannot describe the picture stream");

        int lineBytes = FFALIGN(mSpec.width * 2, 64);
        mLineWords = lineBytes / 2;
        mPool.reset(av_buffer_pool_init(static_cast<std::size_t>(lineBytes) * static_cast<std::size_t>(mSpec.height) + 64,
                                        nullptr));
        if (!mPool)
            throw std::bad_alloc();

        if (const int created = avio_open(&mFormat->pb, url.c_str(), AVIO_FLAG_WRITE); created < 0)
            throw WriteFailed(mSpec.path, AVUNERROR(created));
    }

    void PrepareSound(bool toFile)
    {
        mSoundTotal = SamplesForFrames(mSpec.frameCount, mSpec.frameDuration, mSpec.audioRate);
        mChunk = static_cast<int>(mSpec.soundChunk);
        if (toFile) {
            const bool mkv = mSpec.format == MovieFormat::Ffv1Matroska;
            const AVCodec* codec = avcodec_find_encoder(mkv ? AV_CODEC_ID_FLAC : AV_CODEC_ID_PCM_S24LE);
            if (codec == nullptr)
                throw std::runtime_error(std::string("this FFmpeg has no ") + (mkv ? "FLAC" : "24-bit PCM") +
                                         " encoder");
            mAudio.reset(avcodec_alloc_context3(codec));
            AVCodecContext* c = mAudio.get();
            c->sample_rate = mSpec.audioRate;
            c->sample_fmt = AV_SAMPLE_FMT_S32;
            c->bits_per_raw_sample = 24;
            c->time_base = AVRational{1, mSpec.audioRate};
            if (mSpec.audioChannels == 6) {
                const AVChannelLayout fiveOne = AV_CHANNEL_LAYOUT_5POINT1_BACK; // L R C LFE Ls Rs, mask 0x3F
                Check(av_channel_layout_copy(&c->ch_layout, &fiveOne), "cannot set the 5.1 layout");
            } else {
                av_channel_layout_default(&c->ch_layout, mSpec.audioChannels);
            }
            if (mFormat->oformat->flags & AVFMT_GLOBALHEADER)
                c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
            Check(avcodec_open2(c, codec, nullptr), "cannot open the sound encoder");
            if (c->frame_size > 0)
                mChunk = c->frame_size;
            mAudioStream = avformat_new_stream(mFormat.get(), nullptr);
            if (mAudioStream == nullptr)
                throw std::runtime_error("cannot add the sound stream");
            mAudioStream->time_base = c->time_base;
            Check(avcodec_parameters_from_context(mAudioStream->codecpar, c), "cannot describe the sound stream");
            mPacket.reset(av_packet_alloc());
        }
        mHostChannels.assign(static_cast<std::size_t>(mSpec.audioChannels),
                             std::vector<float>(static_cast<std::size_t>(mChunk)));
        for (auto& ch : mHostChannels)
            mHostPointers.push_back(ch.data());
    }

    // Requests sound up to `end` (whole chunks, the last one shorter).
    void SoundUntil(std::int64_t end)
    {
        if (mSpec.audioRate <= 0)
            return;
        end = std::min(end, mSoundTotal);
        while (mSoundPosition < end) {
            const int n = static_cast<int>(std::min<std::int64_t>(mChunk, mSoundTotal - mSoundPosition));
            if (mSources.sound)
                mSources.sound(mSoundPosition, static_cast<std::uint32_t>(n), mHostPointers.data());
            if (mAudio)
                EncodeSound(n);
            mSoundPosition += n;
        }
    }

    void EncodeSound(int n)
    {
        FramePtr frame(av_frame_alloc());
        frame->nb_samples = n;
        frame->format = AV_SAMPLE_FMT_S32;
        frame->sample_rate = mSpec.audioRate;
        Check(av_channel_layout_copy(&frame->ch_layout, &mAudio->ch_layout), "cannot set the sound layout");
        Check(av_frame_get_buffer(frame.get(), 0), "cannot allocate sound");
        auto* out = reinterpret_cast<std::int32_t*>(frame->data[0]);
        const int channels = mSpec.audioChannels;
        for (int fileCh = 0; fileCh < channels; ++fileCh) {
            const float* in = mHostPointers[static_cast<std::size_t>(FileChannelSource(channels, fileCh))];
            for (int i = 0; i < n; ++i)
                out[i * channels + fileCh] = To24BitWord(in[i]);
        }
        frame->pts = mSoundPosition;
        Encode(mAudio.get(), mAudioStream, frame.get());
    }

    void Encode(AVCodecContext* c, AVStream* stream, AVFrame* frame)
    {
        Check(avcodec_send_frame(c, frame), "encoding failed");
        if (!mPacket)
            mPacket.reset(av_packet_alloc());
        for (;;) {
            const int r = avcodec_receive_packet(c, mPacket.get());
            if (r == AVERROR(EAGAIN) || r == AVERROR_EOF)
                return;
            Check(r, "encoding failed");
            av_packet_rescale_ts(mPacket.get(), c->time_base, stream->time_base);
            mPacket->stream_index = stream->index;
            Check(av_interleaved_write_frame(mFormat.get(), mPacket.get()), "cannot write to " + mSpec.path);
        }
    }

    // A frame whose planes come from the pool; the encoder may keep it for
    // as long as it likes, the memory returns to the pool when it lets go.
    FramePtr NewPictureFrame()
    {
        FramePtr f(av_frame_alloc());
        if (!f)
            throw std::bad_alloc();
        f->format = mPixelFormat;
        f->width = mSpec.width;
        f->height = mSpec.height;
        f->sample_aspect_ratio = mVideo->sample_aspect_ratio;
        f->color_primaries = mVideo->color_primaries;
        f->color_trc = mVideo->color_trc;
        f->colorspace = mVideo->colorspace;
        f->color_range = mVideo->color_range;
        f->chroma_location = mVideo->chroma_sample_location;
        for (int p = 0; p < 3; ++p) {
            f->buf[p] = av_buffer_pool_get(mPool.get());
            if (f->buf[p] == nullptr)
                throw std::bad_alloc();
            f->data[p] = f->buf[p]->data;
            f->linesize[p] = mLineWords * 2;
        }
        return f;
    }

    // One worker's share: paints into the frame's planes directly at 4:4:4,
    // or into its own 4:4:4 picture and then halves the chroma.
    FramePtr MakePicture(std::int64_t index, StudioPicture& scratch, bool toFile)
    {
        if (!toFile) {
            mSources.picture(index, scratch.Planes());
            return nullptr;
        }
        FramePtr f = NewPictureFrame();
        if (mPixelFormat == AV_PIX_FMT_YUV444P10LE) {
            StudioPlanes planes;
            planes.width = mSpec.width;
            planes.height = mSpec.height;
            for (int p = 0; p < 3; ++p) {
                planes.plane[p] = reinterpret_cast<std::uint16_t*>(f->data[p]);
                planes.stride[p] = mLineWords;
            }
            mSources.picture(index, planes);
        } else {
            StudioPlanes planes = scratch.Planes();
            mSources.picture(index, planes);
            for (int y = 0; y < mSpec.height; ++y) {
                std::copy_n(planes.plane[0] + y * planes.stride[0], mSpec.width,
                            reinterpret_cast<std::uint16_t*>(f->data[0]) + y * mLineWords);
                for (int p = 1; p < 3; ++p)
                    HalveChroma(planes.plane[p] + y * planes.stride[p],
                                reinterpret_cast<std::uint16_t*>(f->data[p]) + y * mLineWords, mSpec.width / 2);
            }
        }
        f->pts = index;
        return f;
    }

    // Workers take frame numbers in turn and may run a few frames ahead of
    // the writer; the writer takes them back in order.
    void RunPictures(bool toFile)
    {
        if (!mSources.picture)
            throw std::invalid_argument("no picture source");
        const int threads = mSpec.pictureThreads;
        const std::int64_t window = 2 * static_cast<std::int64_t>(threads);
        std::mutex mutex;
        std::condition_variable changed;
        std::map<std::int64_t, FramePtr> ready;
        std::int64_t next = 0;
        std::int64_t written = 0;
        bool stop = false;
        std::exception_ptr failure;

        auto worker = [&] {
            const bool needScratch = !toFile || mPixelFormat != AV_PIX_FMT_YUV444P10LE;
            StudioPicture scratch = needScratch ? StudioPicture(mSpec.width, mSpec.height) : StudioPicture();
            for (;;) {
                std::int64_t index;
                {
                    std::unique_lock lock(mutex);
                    changed.wait(lock, [&] { return stop || next >= mSpec.frameCount || next < written + window; });
                    if (stop || next >= mSpec.frameCount)
                        return;
                    index = next++;
                }
                try {
                    FramePtr f = MakePicture(index, scratch, toFile);
                    std::lock_guard lock(mutex);
                    ready.emplace(index, std::move(f));
                } catch (...) {
                    std::lock_guard lock(mutex);
                    if (!failure)
                        failure = std::current_exception();
                    stop = true;
                }
                changed.notify_all();
            }
        };

        std::vector<std::thread> pool;
        auto finish = [&] {
            {
                std::lock_guard lock(mutex);
                stop = true;
            }
            changed.notify_all();
            for (auto& t : pool)
                t.join();
            pool.clear();
        };
        try {
            for (int i = 0; i < threads; ++i)
                pool.emplace_back(worker);
            for (std::int64_t i = 0; i < mSpec.frameCount; ++i) {
                FramePtr f;
                {
                    std::unique_lock lock(mutex);
                    changed.wait(lock, [&] { return failure || ready.count(i) != 0; });
                    if (failure)
                        break;
                    f = std::move(ready.at(i));
                    ready.erase(i);
                }
                if (toFile)
                    Encode(mVideo.get(), mVideoStream, f.get());
                f.reset();
                {
                    std::lock_guard lock(mutex);
                    written = i + 1;
                }
                changed.notify_all();
                if (mSpec.audioRate > 0)
                    SoundUntil(SamplesForFrames(i + 1, mSpec.frameDuration, mSpec.audioRate));
                if (mSources.progress)
                    mSources.progress(i + 1, mSpec.frameCount);
            }
        } catch (...) {
            finish();
            throw;
        }
        finish();
        if (failure)
            std::rethrow_exception(failure);
    }

    const MovieSpec& mSpec;
    const MovieSources& mSources;
    std::optional<OutputFile> mOwnOutput;
    FormatPtr mFormat;
    CodecPtr mVideo;
    CodecPtr mAudio;
    AVStream* mVideoStream = nullptr;
    AVStream* mAudioStream = nullptr;
    PacketPtr mPacket;
    PoolPtr mPool;
    AVPixelFormat mPixelFormat = AV_PIX_FMT_NONE;
    int mLineWords = 0;
    int mChunk = 1024;
    std::int64_t mSoundTotal = 0;
    std::int64_t mSoundPosition = 0;
    std::vector<std::vector<float>> mHostChannels;
    std::vector<float*> mHostPointers;
};

} // namespace

std::int64_t SamplesForFrames(std::int64_t frames, std::int64_t frameDuration, int audioRate)
{
    if (frames <= 0 || frameDuration <= 0 || audioRate <= 0)
        return 0;
    // frames × duration × rate passes 2^63 long before an export gets long.
    __extension__ using Wide = __int128;
    const Wide product = Wide{frames} * frameDuration * audioRate;
    return static_cast<std::int64_t>((product + kTicksPerSecond / 2) / kTicksPerSecond);
}

int FileChannelSource(int channels, int fileChannel)
{
    static constexpr int kFiveOne[6] = {0, 1, 4, 5, 2, 3};
    return channels == 6 ? kFiveOne[fileChannel] : fileChannel;
}

MovieResult WriteMovie(const MovieSpec& spec, const MovieSources& sources)
{
    ValidateSpec(spec);
    Exporter exporter(spec, sources);
    return exporter.Run();
}

} // namespace btmedia
