#include "btcheck/TimecodeFollow.h"

#include "Text.h"

#include <cstdlib>

namespace btcheck {

namespace {

std::string FramesText(std::int64_t first, std::int64_t last)
{
    return first == last ? Printf("frame %lld", static_cast<long long>(first))
                         : Printf("frames %lld\u2013%lld", static_cast<long long>(first), static_cast<long long>(last));
}

std::string Plural(std::int64_t n, const char* one)
{
    return Printf("%lld %s%s", static_cast<long long>(n), one, n == 1 ? "" : "s");
}

// A number of frames for a person: beyond a second, also as time.
std::string FramesAndTime(std::int64_t n, double fps)
{
    const double seconds = fps > 0 ? static_cast<double>(n) / fps : 0.0;
    if (seconds < 1)
        return Plural(n, "frame");
    const auto whole = static_cast<long long>(seconds);
    const std::string time = whole >= 3600 ? Printf("%lld h %02lld min %05.2f s", whole / 3600, whole / 60 % 60,
                                                    seconds - static_cast<double>(whole / 60 * 60))
                             : whole >= 60 ? Printf("%lld min %05.2f s", whole / 60, seconds - static_cast<double>(whole / 60 * 60))
                                           : Printf("%.2f s", seconds);
    return Plural(n, "frame") + " (" + time + ")";
}

} // namespace

TimecodeFollow::TimecodeFollow(const FrameClock& clock, std::string declared)
    : mClock(clock), mDeclared(std::move(declared))
{
}

std::string TimecodeFollow::Text(std::int64_t count) const
{
    return TimecodeText(count, mClock.nominal, mDropFrame);
}

void TimecodeFollow::Report(Fault fault)
{
    mNew.push_back(fault);
    mFaults.push_back(std::move(fault));
}

void TimecodeFollow::Add(std::int64_t frame, const std::string& text)
{
    Timecode tc;
    if (mClock.nominal <= 0 || !ParseTimecode(text, tc))
        return;
    const bool first = mCarried.told++ == 0;
    const bool dropRate = HasDropFrame(mClock.fps);
    auto at = [&](std::int64_t from, std::int64_t to) {
        return FaultTime{mClock.Seconds(from), mClock.Seconds(to + 1), from, to};
    };
    if (tc.dropFrame && !dropRate && !mDropFault) {
        mDropFault = true;
        Fault f{kind::kTimecode,
                Printf("%s carries the drop-frame timecode %s at %.3f fps, which has no drop-frame count",
                       FramesText(frame, frame).c_str(), text.c_str(), mClock.fps),
                {}, {{"timecode", text}}};
        f.time = at(frame, frame);
        Report(std::move(f));
    }
    if (tc.f >= mClock.nominal) {
        ++mBreaks;
        if (mBreaks <= kMostListed) {
            Fault f{kind::kTimecode,
                    Printf("%s carries timecode %s, which counts frame %d at %d frames per second",
                           FramesText(frame, frame).c_str(), text.c_str(), tc.f, mClock.nominal),
                    {}, {{"timecode", text}}};
            f.time = at(frame, frame);
            Report(std::move(f));
        }
        return;
    }
    if (first)
        mDropFrame = tc.dropFrame && dropRate;
    const std::int64_t day = FramesPerDay(mClock.nominal, mDropFrame);
    // The difference of two counts, the shorter way round midnight.
    auto apart = [&](std::int64_t a, std::int64_t b) {
        std::int64_t d = ((a - b) % day + day) % day;
        return d > day / 2 ? d - day : d;
    };
    // A drop-frame flag at a rate without the count is told above; the
    // numbers count as they read.
    Timecode counted = tc;
    counted.dropFrame = tc.dropFrame && dropRate;
    const std::int64_t count = FramesSinceMidnight(counted, mClock.nominal);

    if (first) {
        mCarried.firstFrame = frame;
        mCarried.first = text;
        mStart = ((count - frame) % day + day) % day;
        mCarried.start = Text(*mStart);
        Timecode declared;
        if (!mDeclared.empty() && ParseTimecode(mDeclared, declared)) {
            const std::int64_t declaredStart = FramesSinceMidnight(declared, mClock.nominal);
            const std::int64_t off = apart(*mStart, declaredStart);
            if (off != 0) {
                Fault f{kind::kTimecode,
                        Printf("%s carries timecode %s; the file's start timecode %s puts it at %s, %s %s",
                               FramesText(frame, frame).c_str(), text.c_str(), mDeclared.c_str(),
                               Text(declaredStart + frame).c_str(), FramesAndTime(std::llabs(off), mClock.fps).c_str(),
                               off > 0 ? "later" : "earlier"),
                        {{"frames_off", static_cast<double>(off)}},
                        {{"timecode", text}, {"declared", mDeclared}}};
                f.time = at(frame, frame);
                Report(std::move(f));
            }
        }
    } else {
        const std::int64_t expected = mLastCount + (frame - mLastFrame);
        const std::int64_t jump = apart(count, expected);
        if (jump != 0 && ++mBreaks <= kMostListed) {
            const std::int64_t before = frame - 1;
            std::string what;
            if (jump == -1)
                what = "timecode " + text + " repeats";
            else
                what = Printf("timecode jumps from %s to %s, %s %s", Text(expected - 1).c_str(), text.c_str(),
                              FramesAndTime(std::llabs(jump), mClock.fps).c_str(), jump > 0 ? "ahead" : "behind");
            Fault f{kind::kTimecode, FramesText(before, frame) + ", " + what,
                    {{"jump_frames", static_cast<double>(jump)}},
                    {{"from", Text(expected - 1)}, {"to", text}}};
            f.time = at(before, frame);
            Report(std::move(f));
        }
    }
    mLastFrame = frame;
    mLastCount = count;
}

std::vector<Fault> TimecodeFollow::TakeNewFaults()
{
    std::vector<Fault> out;
    out.swap(mNew);
    return out;
}

std::vector<Fault> TimecodeFollow::Finish()
{
    if (mBreaks > kMostListed)
        mFaults.emplace_back(kind::kTimecode,
                             Printf("and the timecode breaks %lld more time%s",
                                    static_cast<long long>(mBreaks - kMostListed), mBreaks - kMostListed == 1 ? "" : "s"),
                             Fault::Values{{"more", static_cast<double>(mBreaks - kMostListed)}});
    mNew.clear();
    return std::move(mFaults);
}

} // namespace btcheck
