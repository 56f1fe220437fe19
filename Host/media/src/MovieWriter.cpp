#include "btmedia/MovieWriter.h"

#include "btmedia/AvSupport.h"
#include "MovieOutput.h"
#include "PictureEncoder.h"
#include "PicturePackets.h"
#include "SoundTracks.h"
#include "btmedia/StopSignals.h"
#include "ImporterBarsAndTone/HostRecords.h"
#include "barsandtone/HugePages.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace btmedia {

using bt::records::kTicksPerSecond;

namespace {

void ValidateSpec(const MovieSpec& s)
{
    if (s.width <= 0 || s.height <= 0)
        throw std::invalid_argument("picture size " + std::to_string(s.width) + "x" + std::to_string(s.height) +
                                    " cannot be exported");
    if (s.frameDuration <= 0 || s.frameDuration == INT64_MAX)
        throw std::invalid_argument("the clip has no usable frame rate (frame duration " +
                                    std::to_string(s.frameDuration) + " ticks)");
    if (s.frameCount <= 0)
        throw std::invalid_argument("nothing to export: " + std::to_string(s.frameCount) + " frames");
    if (s.frameCount == kEndless && !s.realTime)
        throw std::invalid_argument("only a real-time run goes on without an end");
    if (s.audioRate < 0 || (s.audioRate > 0 && s.audioChannels != 1 && s.audioChannels != 2 && s.audioChannels != 6))
        throw std::invalid_argument("sound of " + std::to_string(s.audioChannels) + " channels at " +
                                    std::to_string(s.audioRate) + " Hz cannot be exported");
    if (s.pictureThreads < 1)
        throw std::invalid_argument("at least one picture thread is needed");
    if (s.soundChunk == 0)
        throw std::invalid_argument("sound requests need at least one sample");
}

/// A plane of the encoder's pictures on huge pages: the codes of the last
/// picture encoded are read for every frame after it.
AVBufferRef* NewHugePlane(std::size_t bytes)
{
    try {
        void* memory = bt::AllocateHugePages(bytes);
        AVBufferRef* plane = av_buffer_create(
            static_cast<std::uint8_t*>(memory), bytes, [](void*, std::uint8_t* data) { bt::ReleaseHugePages(data); },
            nullptr, 0);
        if (plane == nullptr)
            bt::ReleaseHugePages(memory);
        return plane;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

/// 10-bit codes to 8-bit, rounded: for encoders that take 8 bits.
void NarrowTo8Bit(const StudioPlanes& in, AVFrame& out)
{
    for (int p = 0; p < 3; ++p) {
        const int w = p == 0 ? in.width : in.ChromaWidth();
        const int h = p == 0 ? in.height : in.ChromaHeight();
        for (int y = 0; y < h; ++y) {
            const std::uint16_t* src = in.plane[p] + y * in.stride[p];
            std::uint8_t* dst = out.data[p] + static_cast<std::ptrdiff_t>(y) * out.linesize[p];
            for (int x = 0; x < w; ++x)
                dst[x] = static_cast<std::uint8_t>((src[x] + 2) >> 2);
        }
    }
}

/// The 10-bit planar format with the layout's chroma, which the pictures are
/// made in (an 8-bit encoder gets them narrowed).
AVPixelFormat TenBitFormat(const PictureLayout& layout)
{
    const char* name = layout.chromaShiftY ? "yuv420p10le" : layout.chromaShiftX ? "yuv422p10le" : "yuv444p10le";
    return av_get_pix_fmt(name);
}

using Clock = std::chrono::steady_clock;

/// How far behind the clock a real-time run may fall and still send every
/// frame, catching up by sending the late ones at once. Beyond it, the frames
/// whose time has gone are dropped: a receiver held up that long is better
/// served by the stream at the clock's time.
constexpr Clock::duration kCatchUpLimit = std::chrono::milliseconds(500);
/// How much of the clip's time the picture threads may work ahead of a
/// real-time run, so that a moment's delay in painting shows nowhere; in
/// frames at most the second figure (each holds a whole picture).
constexpr double kRealTimeLeadSeconds = 0.25;
constexpr std::int64_t kRealTimeLeadFrames = 8;

/// The last picture the encoder was given, which the frames after it are
/// compared with. [read by any thread; replaced by the export thread]
struct EncodedPicture {
    std::int64_t number = 0; ///< its number among the pictures encoded
    av::FramePtr frame;      ///< a reference of our own: the pool hands its memory to no one else meanwhile
    StudioPlanes planes;     ///< the frame's codes
};

/// What a worker made of a frame: a picture of its own, or an encoded one again.
struct MadePicture {
    av::FramePtr frame;                              ///< its picture; null for a repeat and the null sink
    std::shared_ptr<const EncodedPicture> reference; ///< what the picture was compared with, if anything
    bool repeat = false;                             ///< it is `reference`'s picture
};

class Exporter {
public:
    Exporter(const MovieSpec& spec, const MovieSources& sources)
        : mSpec(spec), mSources(sources), mLayout(ChoosePictureLayout(spec)), mKind(RowOf(spec.format)),
          mToFile(*mKind.muxer != 0), mReuse(mToFile && spec.reuseIdenticalPictures),
          mPlanesFormat(TenBitFormat(mLayout))
    {
    }

    MovieResult Run()
    {
        if (!mSources.picture)
            throw std::invalid_argument("no picture source");
        if (mToFile)
            mOutput = std::make_unique<MovieOutput>(mSpec, mKind);
        PreparePool();
        StudioPicture scratch = NewScratch();
        // The first picture comes before the encoder opens: an HDR stream's
        // header describes its light.
        av::FramePtr first = MakePicture(0, scratch, nullptr).frame;

        std::string label(mKind.names.label);
        if (mToFile) {
            AVFormatContext* f = mOutput->Container();
            av::Check(av_dict_set(&f->metadata, "timecode", mSpec.timecode.Text().c_str(), 0), "cannot set the timecode");
            mPicture = OpenPictureStream(mSpec, mLayout, *mOutput, PlanesOf(*first), mReuse);
            label = mPicture.label;
            if (mSpec.audioRate > 0) {
                mSound = std::make_unique<SoundTracks>(mSpec, *mOutput);
                label += ", " + mSound->Label();
            }
            label += " in " + std::string(mKind.names.label);
            mOutput->WriteHeader();
            mPackets = std::make_unique<PicturePackets>(mPicture, *mOutput, mReuse ? RecentPictures() : 0);
        }
        PrepareSound();

        RunPictures(std::move(first));

        if (mToFile)
            mPackets->Finish();
        SoundUntil(SamplesForFrames(mFramesReached, mSpec.frameDuration, mSpec.audioRate));
        if (mSound)
            mSound->Finish();
        if (mToFile)
            mOutput->Commit(mStoppedBy != 0);
        MovieResult result;
        result.frames = mFramesReached;
        result.samples = mSoundPosition - mSoundSkipped;
        result.encodedFrames = mPackets ? mPackets->EncodedFrames() : 0;
        result.droppedFrames = mDropped;
        result.repeatedFrames = mRepeated;
        result.stoppedBy = mStoppedBy;
        result.description = label;
        return result;
    }

private:
    void PreparePool()
    {
        // The pictures are 10-bit codes whatever the encoder takes: they are
        // what the frames after them are compared with.
        mLineBytes = FFALIGN(mSpec.width * 2, 64);
        const std::size_t planeBytes = static_cast<std::size_t>(mLineBytes) * static_cast<std::size_t>(mSpec.height) + 64;
        mPool.reset(av_buffer_pool_init(planeBytes, planeBytes >= bt::kHugePageBytes ? &NewHugePlane : nullptr));
        if (!mPool)
            throw std::bad_alloc();
    }

    /// A worker's own 10-bit picture for the null sink, which has no frames.
    StudioPicture NewScratch() const
    {
        if (mToFile)
            return StudioPicture();
        return StudioPicture(mSpec.width, mSpec.height, mLayout.chromaShiftX, mLayout.chromaShiftY);
    }

    StudioPlanes PlanesOf(const AVFrame& f) const
    {
        StudioPlanes planes;
        planes.width = mSpec.width;
        planes.height = mSpec.height;
        planes.chromaShiftX = mLayout.chromaShiftX;
        planes.chromaShiftY = mLayout.chromaShiftY;
        for (int p = 0; p < 3; ++p) {
            planes.plane[p] = reinterpret_cast<std::uint16_t*>(f.data[p]);
            planes.stride[p] = f.linesize[p] / 2;
        }
        return planes;
    }

    // A frame whose planes come from the pool; the encoder may keep it for
    // as long as it likes, the memory returns to the pool when it lets go.
    av::FramePtr NewPictureFrame()
    {
        av::FramePtr f = av::NewFrame();
        f->format = mPlanesFormat;
        f->width = mSpec.width;
        f->height = mSpec.height;
        f->sample_aspect_ratio = av::ReducedRatio(mSpec.parNumerator, std::max<std::uint32_t>(mSpec.parDenominator, 1));
        f->color_primaries = static_cast<AVColorPrimaries>(mSpec.colour.primaries);
        f->color_trc = static_cast<AVColorTransferCharacteristic>(mSpec.colour.transfer);
        f->colorspace = static_cast<AVColorSpace>(mSpec.colour.matrix);
        f->color_range = AVCOL_RANGE_MPEG;
        f->interlaced_frame = mSpec.fieldOrder != FieldOrder::Progressive;
        f->top_field_first = mSpec.fieldOrder == FieldOrder::TopFirst;
        for (int p = 0; p < 3; ++p) {
            f->buf[p] = av_buffer_pool_get(mPool.get());
            if (f->buf[p] == nullptr)
                throw std::bad_alloc();
            f->data[p] = f->buf[p]->data;
            f->linesize[p] = mLineBytes;
        }
        return f;
    }

    /// The picture as the encoder takes it: the frame itself, or its codes
    /// narrowed to 8 bits in a frame of the encoder's own.
    av::FramePtr EncoderFrame(av::FramePtr picture) const
    {
        if (mLayout.bits > 8)
            return picture;
        av::FramePtr f = av::NewFrame();
        f->format = mLayout.pixelFormat;
        f->width = mSpec.width;
        f->height = mSpec.height;
        av::Check(av_frame_get_buffer(f.get(), 0), "cannot allocate a picture");
        av::Check(av_frame_copy_props(f.get(), picture.get()), "cannot describe a picture");
        NarrowTo8Bit(PlanesOf(*picture), *f);
        return f;
    }

    /// Frames a worker may run ahead of the writer.
    std::int64_t Window() const noexcept
    {
        const std::int64_t byThreads = 2 * static_cast<std::int64_t>(mSpec.pictureThreads);
        if (!mSpec.realTime)
            return byThreads;
        const auto lead = static_cast<std::int64_t>(kRealTimeLeadSeconds * static_cast<double>(kTicksPerSecond) /
                                                    static_cast<double>(mSpec.frameDuration));
        return std::max(byThreads, std::min(lead, kRealTimeLeadFrames));
    }

    /// How many of the latest pictures a repeat may name: a worker takes the
    /// last picture encoded when it starts a frame, and fewer than Window()
    /// frames are written between then and its frame.
    int RecentPictures() const noexcept { return static_cast<int>(Window()) + 1; }

    /// When frame `frame` of a real-time run is due, the first going at `start`.
    static Clock::time_point Due(Clock::time_point start, std::int64_t frame, std::int64_t frameDuration)
    {
        __extension__ using Wide = __int128;
        const Wide nanoseconds = Wide{frame} * frameDuration * 1000000000 / kTicksPerSecond;
        return start + std::chrono::nanoseconds(static_cast<std::int64_t>(nanoseconds));
    }

    /// The frame whose time it is at `now`.
    static std::int64_t FrameAt(Clock::time_point start, Clock::time_point now, std::int64_t frameDuration)
    {
        __extension__ using Wide = __int128;
        const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(now - start).count();
        return static_cast<std::int64_t>(Wide{nanoseconds} * kTicksPerSecond / (Wide{frameDuration} * 1000000000));
    }

    /// Waits until `when`, or a stop signal.
    static void SleepUntil(Clock::time_point when)
    {
        constexpr auto kHeedEvery = std::chrono::milliseconds(100);
        for (auto now = Clock::now(); now < when && StopSignal() == 0; now = Clock::now())
            std::this_thread::sleep_for(std::min<Clock::duration>(when - now, kHeedEvery));
    }

    // One worker's share: the module's picture converted straight into a
    // frame's planes (or the null sink's own picture); or found to be the
    // reference's again.
    MadePicture MakePicture(std::int64_t index, StudioPicture& scratch,
                            std::shared_ptr<const EncodedPicture> reference)
    {
        if (!mToFile) {
            (void)mSources.picture(index, scratch.Planes(), nullptr);
            return {};
        }
        av::FramePtr f = NewPictureFrame();
        if (mSources.picture(index, PlanesOf(*f), reference ? &reference->planes : nullptr)) {
            if (!reference)
                throw std::logic_error("the picture source found frame " + std::to_string(index) +
                                       " the same as no picture");
            return {nullptr, std::move(reference), true};
        }
        f->pts = index;
        return {std::move(f), std::move(reference), false};
    }

    // Sends a frame's picture to the packets, and makes it the one the next
    // frames are compared with when it is new. [export thread, the only one
    // that replaces `reference`]
    void Deliver(std::int64_t index, MadePicture made, std::shared_ptr<const EncodedPicture>& reference,
                 std::mutex& mutex)
    {
        const std::int64_t left = mSpec.frameCount - index;
        if (made.repeat) {
            mPackets->Repeat(index, made.reference->number, left);
            return;
        }
        if (!mReuse) {
            mPackets->Send(EncoderFrame(std::move(made.frame)), left);
            return;
        }
        // A worker that started before the last picture was encoded compared
        // with an older one (or none); this picture may be the last one's.
        // Rare: only where the pictures change.
        if (reference && reference != made.reference && PlanesOf(*made.frame).SameCodes(reference->planes)) {
            mPackets->Repeat(index, reference->number, left);
            return;
        }
        auto encoded = std::make_shared<EncodedPicture>();
        encoded->frame.reset(av_frame_clone(made.frame.get()));
        if (!encoded->frame)
            throw std::bad_alloc();
        encoded->planes = PlanesOf(*encoded->frame);
        encoded->number = mPackets->Send(EncoderFrame(std::move(made.frame)), left);
        std::lock_guard lock(mutex);
        reference = std::move(encoded);
    }

    void PrepareSound()
    {
        if (mSpec.audioRate <= 0)
            return;
        mSoundTotal = mSpec.frameCount == kEndless ? INT64_MAX
                                                   : SamplesForFrames(mSpec.frameCount, mSpec.frameDuration, mSpec.audioRate);
        mChunk = mSound && mSound->FrameSize() > 0 ? mSound->FrameSize() : static_cast<int>(mSpec.soundChunk);
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
            if (mSound)
                mSound->Encode(mSoundPosition, n, mHostPointers.data());
            mSoundPosition += n;
        }
    }

    /// Leaves out the sound of dropped frames, up to `end`.
    void SkipSoundTo(std::int64_t end)
    {
        if (mSpec.audioRate <= 0 || end <= mSoundPosition)
            return;
        mSoundSkipped += end - mSoundPosition;
        mSoundPosition = end;
    }

    void Slipped(std::int64_t frame, std::int64_t dropped, std::int64_t repeated)
    {
        mDropped += dropped;
        mRepeated += repeated;
        if (mSources.slip)
            mSources.slip(Slip{frame, dropped, repeated});
    }

    // Workers take frame numbers in turn and may run a few frames ahead of
    // the writer; the writer takes them back in order, and in real time when
    // each is due.
    void RunPictures(av::FramePtr first)
    {
        const int threads = mSpec.pictureThreads;
        const std::int64_t window = Window();
        std::mutex mutex;
        std::condition_variable changed;
        std::map<std::int64_t, MadePicture> ready;
        ready.emplace(0, MadePicture{std::move(first), nullptr, false});
        std::shared_ptr<const EncodedPicture> reference; // the last picture encoded
        std::int64_t next = 1;
        std::int64_t written = 0;
        bool stop = false;
        std::exception_ptr failure;

        auto worker = [&] {
            StudioPicture scratch = NewScratch();
            for (;;) {
                std::int64_t index;
                std::shared_ptr<const EncodedPicture> latest; // the last picture encoded as the frame starts
                {
                    std::unique_lock lock(mutex);
                    changed.wait(lock, [&] { return stop || next >= mSpec.frameCount || next < written + window; });
                    if (stop || next >= mSpec.frameCount)
                        return;
                    index = next++;
                    latest = reference;
                }
                try {
                    MadePicture made = MakePicture(index, scratch, std::move(latest));
                    std::lock_guard lock(mutex);
                    if (index >= written) // a real-time run may have gone past it
                        ready.emplace(index, std::move(made));
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
            Clock::time_point start;
            std::int64_t i = 0;
            while (i < mSpec.frameCount) {
                if (mSpec.realTime && StopSignal() != 0) {
                    mStoppedBy = StopSignal();
                    break;
                }
                StopPoint();
                MadePicture made;
                bool late = false;
                {
                    std::unique_lock lock(mutex);
                    const auto arrived = [&] { return failure || ready.count(i) != 0; };
                    // In real time a picture later than a frame past its
                    // time, and a frame's time of waiting (while catching up,
                    // the workers were held back too), gives way to the one
                    // before it.
                    if (mSpec.realTime && i > 0) {
                        const auto frameTime = Due(start, 1, mSpec.frameDuration) - start;
                        const auto giveUp = std::max(Due(start, i + 1, mSpec.frameDuration), Clock::now() + frameTime);
                        late = !changed.wait_until(lock, giveUp, arrived);
                    }
                    else
                        changed.wait(lock, arrived);
                    if (failure)
                        break;
                    if (!late)
                        made = std::move(ready.at(i));
                    ready.erase(ready.begin(), ready.upper_bound(i));
                }
                if (mSpec.realTime && i > 0)
                    SleepUntil(Due(start, i, mSpec.frameDuration));
                if (mToFile) {
                    if (late)
                        mPackets->RepeatLast(i, mSpec.frameCount - i);
                    else
                        Deliver(i, std::move(made), reference, mutex);
                }
                if (late)
                    Slipped(i, 0, 1);
                // The clock starts once the first frame is out: making its
                // GOP may take a while.
                if (i == 0)
                    start = Clock::now();
                std::int64_t following = i + 1;
                if (mSpec.realTime && Clock::now() > Due(start, following, mSpec.frameDuration) + kCatchUpLimit)
                    following = std::min(mSpec.frameCount, FrameAt(start, Clock::now(), mSpec.frameDuration));
                {
                    std::lock_guard lock(mutex);
                    written = following;
                    next = std::max(next, following);
                }
                changed.notify_all();
                SoundUntil(SamplesForFrames(i + 1, mSpec.frameDuration, mSpec.audioRate));
                if (following > i + 1) {
                    SkipSoundTo(SamplesForFrames(following, mSpec.frameDuration, mSpec.audioRate));
                    Slipped(i + 1, following - (i + 1), 0);
                }
                i = following;
                if (mSources.progress)
                    mSources.progress(i, mSpec.frameCount);
            }
            mFramesReached = i;
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
    const PictureLayout mLayout;
    const MovieFormatRow& mKind;
    const bool mToFile; ///< a kind without a muxer writes nothing
    const bool mReuse;  ///< each distinct picture encoded once, its packets repeated
    const AVPixelFormat mPlanesFormat; ///< the pictures' own: 10-bit, chroma as the encoder's
    // Declared before what writes into it, so that it closes last.
    std::unique_ptr<MovieOutput> mOutput;
    PictureStream mPicture;
    std::unique_ptr<SoundTracks> mSound;
    std::unique_ptr<PicturePackets> mPackets;
    av::PoolPtr mPool;
    int mLineBytes = 0;
    int mChunk = 1024;
    std::int64_t mSoundTotal = 0;
    std::int64_t mSoundPosition = 0;
    std::int64_t mSoundSkipped = 0;
    std::vector<std::vector<float>> mHostChannels;
    std::vector<float*> mHostPointers;
    std::int64_t mFramesReached = 0;
    std::int64_t mDropped = 0;
    std::int64_t mRepeated = 0;
    int mStoppedBy = 0;
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

void CheckMovieSpec(const MovieSpec& spec)
{
    ValidateSpec(spec);
    (void)ChoosePictureLayout(spec);
    if (spec.audioRate > 0 && *RowOf(spec.format).muxer != 0)
        (void)ChooseSoundCoding(spec);
}

MovieResult WriteMovie(const MovieSpec& spec, const MovieSources& sources)
{
    CheckMovieSpec(spec);
    // Failures come back as exceptions; the libraries' notes on what they
    // chose (x264's settings, the AAC encoder's statistics) are not for the
    // terminal.
    av_log_set_level(AV_LOG_ERROR);
    Exporter exporter(spec, sources);
    return exporter.Run();
}

} // namespace btmedia
