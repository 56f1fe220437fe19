#include "btcheck/Check.h"

#include "btcheck/PictureAnalysis.h"
#include "btcheck/SoundAnalysis.h"
#include "btcheck/Timecode.h"

#include <algorithm>
#include <optional>

namespace btcheck {

namespace {

// The one pass's receiver: pictures and sound to their analyses as they
// come, and the programme's time read watched for the end of a live input
// and for progress.
class WholeCheck final : public PassSink {
public:
    WholeCheck(PictureAnalysis* picture, SoundAnalysis* sound, const FileFacts& facts, const CheckOptions& options)
        : mPicture(picture), mSound(sound), mOptions(options)
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
        Reached(frame);
        return mPicture != nullptr && mPicture->Wants(frame);
    }
    [[nodiscard]] bool Knows(std::uint64_t hash) const override { return mPicture->Knows(hash); }
    void Repeat(std::int64_t frame, std::uint64_t hash) override
    {
        mPicture->Repeat(frame, hash);
        Found();
    }
    void Picture(const CodePicture& picture, std::uint64_t packetHash, std::uint64_t pictureHash) override
    {
        mPicture->Feed(picture, packetHash, pictureHash);
        Found();
    }
    void Sound(const SoundSamples& samples) override
    {
        if (mSound == nullptr)
            return;
        // Where the sound lies against the picture is known with its first samples.
        if (!mTimed) {
            mTimed = true;
            mSound->SetTiming(SoundTiming{mFps > 0 ? samples.startSeconds : 0.0, mFps, -1});
        }
        mSound->Feed(samples);
        if (mOptions.found)
            for (const Fault& f : mSound->TakeNewFaults())
                mOptions.found(f);
        if (mRate > 0)
            Progress(static_cast<double>(samples.firstSample + static_cast<std::int64_t>(samples.count)) / mRate);
    }
    [[nodiscard]] bool Stop() override
    {
        return (mOptions.interrupted && mOptions.interrupted()) ||
               (mOptions.durationSeconds > 0 && mRead >= mOptions.durationSeconds);
    }

private:
    void Found()
    {
        if (mOptions.found)
            for (const Fault& f : mPicture->TakeNewFaults())
                mOptions.found(f);
    }
    void Reached(std::int64_t frame)
    {
        if (mFps > 0)
            Progress(static_cast<double>(frame + 1) / mFps);
    }
    void Progress(double seconds)
    {
        mRead = std::max(mRead, seconds);
        if (mOptions.progress)
            mOptions.progress(mRead, mTotal);
    }

    PictureAnalysis* mPicture;
    SoundAnalysis* mSound;
    const CheckOptions& mOptions;
    double mFps = 0;
    int mRate = 0;
    double mTotal = 0;
    double mRead = 0;
    bool mTimed = false;
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

    std::optional<PictureAnalysis> picture;
    if (facts.picture)
        picture.emplace(reference, *facts.picture, clip, options.tolerances, ClockOf(facts),
                        options.frames > 0 ? SpreadFrames(facts.picture->frameCount, options.frames)
                                           : std::vector<std::int64_t>{});
    std::optional<SoundAnalysis> sound;
    if (facts.sound && facts.sound->rate > 0 && facts.sound->channels > 0)
        sound.emplace(reference, clip, options.sound, *facts.sound, SoundTiming{});
    WholeCheck sink(picture ? &*picture : nullptr, sound ? &*sound : nullptr, facts, options);
    const PassSummary read = file.ReadAll(sink);
    if (picture && read.pictures == 0 && !read.stopped)
        throw ReadError(read.decodeErrors > 0 ? "no picture could be decoded (" + read.firstDecodeError + ")"
                                              : "the picture stream holds no frames");
    if (picture)
        report.picture = picture->Finish(read.pictures);
    if (sound)
        report.sound = sound->Finish();
    report.file = CheckFileFacts(facts, clip, options.timecode);
    report.file.read = read;
    for (Fault& f : CheckLengths(facts, read))
        report.file.faults.push_back(std::move(f));
    return report;
}

} // namespace btcheck
