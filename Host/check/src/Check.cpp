#include "btcheck/Check.h"

#include "OrderedWorker.h"
#include "btcheck/PictureAnalysis.h"
#include "btcheck/SoundAnalysis.h"
#include "btcheck/Timecode.h"
#include "btcheck/TimecodeFollow.h"

#include <algorithm>
#include <mutex>
#include <optional>

namespace btcheck {

namespace {

// The one pass's receiver: pictures and sound to their analyses as they
// come, and the programme's time read watched for the end of a live input
// and for progress. The picture analysis runs on the thread the pass tells
// pictures on and the sound's on a worker of its own; what they tell a
// person, and how far the pass has read, is shared.
class WholeCheck final : public PassSink {
public:
    WholeCheck(PictureAnalysis* picture, SoundAnalysis* sound, TimecodeFollow& timecode, const FileFacts& facts,
               const FrameClock& clock, const CheckOptions& options)
        : mPicture(picture), mSound(sound), mTimecode(timecode), mClock(clock), mDeclared(!facts.timecode.empty()),
          mOptions(options)
    {
        if (facts.picture && facts.picture->rateNum > 0 && !facts.picture->still)
            mFps = static_cast<double>(facts.picture->rateNum) / facts.picture->rateDen;
        if (facts.sound)
            mRate = facts.sound->rate;
        mTotal = facts.durationSeconds;
    }

    [[nodiscard]] bool ReadsPictures() const override { return mPicture != nullptr; }
    [[nodiscard]] bool WantPicture(std::int64_t frame) override
    {
        if (mFps > 0)
            Progress(static_cast<double>(frame + 1) / mFps);
        return mPicture != nullptr && mPicture->Wants(frame);
    }
    [[nodiscard]] bool Knows(std::uint64_t hash) const override { return mPicture->Knows(hash); }
    void Repeat(std::int64_t frame, std::uint64_t hash) override
    {
        mPicture->Repeat(frame, hash);
        Tell(mPicture->TakeNewFaults());
    }
    void Picture(const CodePicture& picture, std::uint64_t packetHash, std::uint64_t pictureHash) override
    {
        mPicture->Feed(picture, packetHash, pictureHash);
        Tell(mPicture->TakeNewFaults());
    }
    void Timecode(std::int64_t frame, const std::string& text) override
    {
        const bool first = !mTimecode.Start();
        mTimecode.Add(frame, text);
        // Without a start timecode in the container, the pictures' own times
        // the faults found in them.
        if (first && !mDeclared && mTimecode.Start()) {
            FrameClock clock = mClock;
            clock.firstTimecode = *mTimecode.Start();
            clock.dropFrame = mTimecode.DropFrame();
            mPicture->SetClock(clock);
        }
        Tell(mTimecode.TakeNewFaults());
    }
    void Sound(const SoundSamples& samples) override
    {
        if (mSound == nullptr)
            return;
        // The samples are the pass's only during the call; the analysis has
        // its own copy on its own thread.
        std::vector<std::vector<float>> copy(samples.channels.size());
        for (std::size_t c = 0; c < copy.size(); ++c)
            copy[c].assign(samples.channels[c], samples.channels[c] + samples.count);
        mSoundWork.Post([this, block = samples, copy = std::move(copy)]() mutable {
            // Where the sound lies against the picture is known with its first samples.
            if (!mTimed) {
                mTimed = true;
                mSound->SetTiming(SoundTiming{mFps > 0 ? block.startSeconds : 0.0, mFps});
            }
            for (std::size_t c = 0; c < copy.size(); ++c)
                block.channels[c] = copy[c].data();
            mSound->Feed(block);
            Tell(mSound->TakeNewFaults());
        });
        if (mRate > 0)
            Progress(static_cast<double>(samples.firstSample + static_cast<std::int64_t>(samples.count)) / mRate);
    }
    /// After the pass: waits for the sound's analysis to catch up.
    void Finish() { mSoundWork.Finish(); }
    [[nodiscard]] bool Stop() override
    {
        if (mOptions.interrupted && mOptions.interrupted())
            return true;
        const std::lock_guard held(mTelling);
        return mOptions.durationSeconds > 0 && mRead >= mOptions.durationSeconds;
    }

private:
    void Tell(const std::vector<Fault>& faults)
    {
        if (!mOptions.found || faults.empty())
            return;
        const std::lock_guard held(mTelling);
        for (const Fault& f : faults)
            mOptions.found(f);
    }
    void Progress(double seconds)
    {
        const std::lock_guard held(mTelling);
        mRead = std::max(mRead, seconds);
        if (mOptions.progress)
            mOptions.progress(mRead, mTotal);
    }

    PictureAnalysis* mPicture;
    SoundAnalysis* mSound;
    TimecodeFollow& mTimecode;  ///< [the thread pictures are told on]
    FrameClock mClock;
    bool mDeclared;             ///< the container states a start timecode
    const CheckOptions& mOptions;
    double mFps = 0;
    int mRate = 0;
    double mTotal = 0;
    bool mTimed = false;            ///< [sound worker]
    // The sound followed on a thread of its own, a second or so of it at most
    // waiting: the reading thread keeps the picture thread fed meanwhile.
    OrderedWorker mSoundWork{64};
    std::mutex mTelling;            ///< guards mRead, and what is told
    double mRead = 0;               ///< seconds of the programme read, the further of picture and sound
};

FrameClock ClockOf(const FileFacts& facts)
{
    FrameClock clock;
    if (!facts.picture || facts.picture->rateNum <= 0 || facts.picture->still)
        return clock;
    clock.fps = static_cast<double>(facts.picture->rateNum) / facts.picture->rateDen;
    clock.nominal = NominalRate(clock.fps);
    Timecode tc;
    if (!facts.timecode.empty() && ParseTimecode(facts.timecode, tc)) {
        clock.dropFrame = tc.dropFrame && HasDropFrame(clock.fps);
        clock.firstTimecode = FramesSinceMidnight(tc, clock.nominal);
    }
    return clock;
}

} // namespace

CheckReport CheckFile(const std::string& path, bthost::Host& host, const ClipExpectation* clip,
                      const CheckOptions& options)
{
    MediaFile file = MediaFile::Open(path, options.interrupted);
    const FileFacts& facts = file.Facts();
    CheckReport report;
    report.path = path;
    report.tolerances = options.tolerances;
    report.soundOptions = options.sound;
    report.withClip = clip != nullptr;
    Reference reference(host, clip != nullptr ? clip->record : Reference::DefaultRecord(host));

    const FrameClock clock = ClockOf(facts);
    std::optional<PictureAnalysis> picture;
    if (facts.picture)
        picture.emplace(reference, *facts.picture, clip, options.tolerances, clock,
                        options.frames > 0 ? SpreadFrames(facts.picture->frameCount, options.frames)
                                           : std::vector<std::int64_t>{});
    TimecodeFollow timecode(clock, facts.timecode);
    std::optional<SoundAnalysis> sound;
    if (facts.sound && facts.sound->rate > 0 && facts.sound->channels > 0)
        sound.emplace(reference, clip, options.sound, *facts.sound, SoundTiming{});
    WholeCheck sink(picture ? &*picture : nullptr, sound ? &*sound : nullptr, timecode, facts, clock, options);
    const PassSummary read = file.ReadAll(sink);
    sink.Finish();
    if (picture && read.pictures == 0 && !read.stopped)
        throw ReadError(read.decodeErrors > 0 ? "no picture could be decoded (" + read.firstDecodeError + ")"
                                              : "the picture stream holds no frames");
    if (picture)
        report.picture = picture->Finish(read.pictures);
    if (sound)
        report.sound = sound->Finish();
    report.file = CheckFileFacts(facts, clip, options.timecode, timecode.Carried());
    report.file.read = read;
    for (Fault& f : timecode.Finish())
        report.file.faults.push_back(std::move(f));
    for (Fault& f : CheckLengths(facts, read))
        report.file.faults.push_back(std::move(f));
    return report;
}

} // namespace btcheck
