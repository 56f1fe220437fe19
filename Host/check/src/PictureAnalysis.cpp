#include "btcheck/PictureAnalysis.h"

#include "Text.h"

#include <algorithm>
#include <cmath>

namespace btcheck {

namespace {

using Triple = std::array<double, 3>;

// Until a picture is found to be bars, another attempt after this many
// pictures, at most this many times: a file that starts on something else
// is still found, one that never shows bars is not searched frame by frame.
constexpr std::int64_t kAttemptEvery = 25;
constexpr int kMaxAttempts = 5;
// Regions named in a damaged stretch's sentence, at most.
constexpr std::size_t kRegionsNamed = 3;
// Pictures measured, at most, before the results of earlier ones are let go.
constexpr std::size_t kKnownPictures = 4096;

// A region as measured and as the established coding predicts it (a ramp:
// the means over its columns).
std::pair<Triple, Triple> ReadsAndExpected(const Baseline& base, std::size_t i, const Measurement& m)
{
    const Region& r = base.candidate.layout.regions[i];
    const Matrix matrix = base.candidate.matrix;
    if (!r.ramp)
        return {m.median, Predict(r.code, matrix, base.fit.best, base.coding)};
    Triple reads{}, expected{};
    const double n = static_cast<double>(m.columns.size());
    for (std::size_t k = 0; k < m.columns.size(); ++k) {
        const Triple p = Predict(r.columns[static_cast<std::size_t>(m.columnIndex[k])], matrix, base.fit.best, base.coding);
        for (int c = 0; c < 3; ++c) {
            reads[c] += m.columns[k][c] / n;
            expected[c] += p[c] / n;
        }
    }
    return {reads, expected};
}

std::string FramesText(const Stretch& s, const FrameClock& clock)
{
    const bool one = s.first == s.last;
    std::string text = one ? Printf("frame %lld", static_cast<long long>(s.first))
                           : Printf("frames %lld\u2013%lld", static_cast<long long>(s.first),
                                    static_cast<long long>(s.last));
    if (clock.nominal > 0)
        text += one ? ", " + clock.Text(s.first) : ", " + clock.Text(s.first) + "\u2013" + clock.Text(s.last);
    return text;
}

// Where a region lies in the file, for a person.
std::string RegionText(const Baseline& base, int i)
{
    const Region& r = base.candidate.layout.regions[static_cast<std::size_t>(i)];
    const Geometry& g = base.fit.geometry;
    return Printf("x %ld-%ld y %ld-%ld", std::lround(g.MapX(r.x0)), std::lround(g.MapX(r.x1)),
                  std::lround(g.MapY(r.y0)), std::lround(g.MapY(r.y1)));
}

} // namespace

const char* PictureClassName(PictureClass c) noexcept
{
    switch (c) {
    case PictureClass::Bars: return "bars";
    case PictureClass::Black: return "black";
    case PictureClass::Other: return "another picture";
    case PictureClass::Damaged: return "damaged";
    case PictureClass::Frozen: return "frozen";
    case PictureClass::Missing: return "missing";
    }
    return "";
}

PictureReading MeasurePicture(const Baseline& base, const CodePicture& picture)
{
    PictureReading reading;
    reading.measurements = MeasureRegions(base.candidate.layout, base.fit.geometry, picture);
    const auto& regions = base.candidate.layout.regions;
    reading.errors.assign(regions.size(), -1.0);
    for (std::size_t i = 0; i < regions.size(); ++i)
        if (reading.measurements[i].measured)
            reading.errors[i] = RegionError(regions[i], reading.measurements[i], base.candidate.matrix, base.fit.best,
                                            base.coding, base.components);
    return reading;
}

PictureState ClassifyPicture(const Baseline& base, const PictureReading& reading)
{
    PictureState state;
    const Triple black = Predict(Codes{64, 512, 512}, base.candidate.matrix, base.fit.best, base.coding);
    int measured = 0, fitting = 0;
    bool allBlack = true;
    for (std::size_t i = 0; i < reading.errors.size(); ++i) {
        const double e = reading.errors[i];
        if (e < 0)
            continue;
        ++measured;
        fitting += e <= base.loose;
        const auto [reads, expected] = ReadsAndExpected(base, i, reading.measurements[i]);
        for (int c = 0; c < base.components; ++c)
            allBlack = allBlack && std::abs(reads[c] - black[c]) <= base.loose;
        const bool fromTheStart = i < base.offFromTheStart.size() && base.offFromTheStart[i];
        if (e > base.tolerance && !fromTheStart)
            state.regionsOff.push_back(static_cast<int>(i));
        if (e > state.worst && !fromTheStart) {
            state.worst = e;
            state.worstRegion = static_cast<int>(i);
            state.worstReads = reads;
            state.worstExpected = expected;
        }
    }
    state.share = measured > 0 ? static_cast<double>(fitting) / measured : 0.0;
    if (state.regionsOff.empty() && measured > 0)
        state.kind = PictureClass::Bars;
    else if (allBlack && measured > 0)
        state.kind = PictureClass::Black;
    else if (state.share < kMinMatchShare || measured == 0)
        state.kind = PictureClass::Other;
    else
        state.kind = PictureClass::Damaged;
    // Which regions matter only where the picture is the bars in part.
    if (state.kind != PictureClass::Damaged)
        state.regionsOff.clear();
    return state;
}

void StretchBuilder::Add(std::int64_t frame, const PictureState& state)
{
    mWaiting.insert_or_assign(frame, state);
    while (mWaiting.size() > kReorderWindow) {
        auto first = mWaiting.begin();
        Place(first->first, first->second);
        mWaiting.erase(first);
    }
}

void StretchBuilder::Place(std::int64_t frame, const PictureState& state)
{
    if (mOpen && frame <= mOpen->last)
        return; // arrived after its place was taken: already counted
    const std::int64_t expected = mOpen ? mOpen->last + 1 : 0;
    if (mGapsAreMissing && frame > expected) {
        PictureState missing;
        missing.kind = PictureClass::Missing;
        if (mOpen)
            mClosed.push_back(*mOpen);
        mOpen = Stretch{expected, frame - 1, missing};
    }
    if (mOpen && mOpen->state.SameAs(state) && (frame == mOpen->last + 1 || !mGapsAreMissing)) {
        mOpen->last = frame;
        if (state.worst > mOpen->state.worst)
            mOpen->state = state;
        return;
    }
    if (mOpen)
        mClosed.push_back(*mOpen);
    mOpen = Stretch{frame, frame, state};
}

std::vector<Stretch> StretchBuilder::TakeClosed()
{
    std::vector<Stretch> out;
    out.swap(mClosed);
    return out;
}

std::vector<Stretch> StretchBuilder::Finish()
{
    for (const auto& [frame, state] : mWaiting)
        Place(frame, state);
    mWaiting.clear();
    if (mOpen)
        mClosed.push_back(*mOpen);
    mOpen.reset();
    return TakeClosed();
}

std::optional<Fault> JudgeStretch(const Stretch& s, const Baseline& base, const FrameClock& clock)
{
    const PictureState& st = s.state;
    if (st.kind == PictureClass::Bars)
        return std::nullopt;
    const std::string where = FramesText(s, clock);
    const std::string reads = CodesText(st.worstReads, base.components);
    const std::string expected = CodesText(st.worstExpected, base.components);
    std::string what;
    Fault::Values values{{"first_frame", static_cast<double>(s.first)}, {"last_frame", static_cast<double>(s.last)}};
    switch (st.kind) {
    case PictureClass::Black: what = "black"; break;
    case PictureClass::Other:
        what = Printf("another picture (%.0f%% of the bars' regions fit; the worst reads %s for %s)", 100 * st.share,
                      reads.c_str(), expected.c_str());
        values.emplace_back("match_share", st.share);
        break;
    case PictureClass::Damaged: {
        what = Printf("part of the picture differs, %zu region%s (", st.regionsOff.size(),
                      st.regionsOff.size() == 1 ? "" : "s");
        for (std::size_t i = 0; i < st.regionsOff.size() && i < kRegionsNamed; ++i)
            what += (i > 0 ? "; " : "") + RegionText(base, st.regionsOff[i]);
        what += st.regionsOff.size() > kRegionsNamed ? "; ...)" : ")";
        what += Printf("; the worst reads %s for %s, %.0f codes off", reads.c_str(), expected.c_str(), st.worst);
        values.emplace_back("regions_off", static_cast<double>(st.regionsOff.size()));
        values.emplace_back("worst_codes", st.worst);
        break;
    }
    case PictureClass::Frozen:
        what = Printf("frozen on the picture of frame %lld", static_cast<long long>(st.frozenFrom));
        values.emplace_back("frozen_from", static_cast<double>(st.frozenFrom));
        break;
    case PictureClass::Missing: what = "missing: the stream's timestamps skip them"; break;
    case PictureClass::Bars: break;
    }
    Fault f{kind::kPicture, where + ": " + what, std::move(values), {{"class", PictureClassName(st.kind)}}};
    f.time = FaultTime{clock.Seconds(s.first), clock.Seconds(s.last + 1), s.first, s.last};
    if (clock.nominal > 0) {
        f.texts.emplace_back("first_timecode", clock.Text(s.first));
        f.texts.emplace_back("last_timecode", clock.Text(s.last));
    }
    return f;
}

PictureAnalysis::PictureAnalysis(Reference& reference, const PictureFacts& facts, const ClipExpectation* clip,
                                 const Tolerances& tolerances, const FrameClock& clock,
                                 std::vector<std::int64_t> sampled)
    : mReference(reference), mFacts(facts), mClip(clip), mTolerances(tolerances), mClock(clock),
      mSampled(std::move(sampled)), mStretches(mSampled.empty() && !facts.still)
{
    mFinding.present = true;
    mFinding.everyFrame = mSampled.empty();
    // The module paints its bars at the size the file declares while the
    // first picture is being decoded.
    if (facts.width > 0 && facts.height > 0)
        mPendingCandidates = std::async(std::launch::async, [&reference, w = facts.width, h = facts.height] {
            return BarsCandidates(reference, w, h);
        });
}

PictureAnalysis::~PictureAnalysis()
{
    if (mPendingCandidates.valid())
        mPendingCandidates.wait();
}

bool PictureAnalysis::Wants(std::int64_t frame) const
{
    if (mSampled.empty())
        return true;
    // The first frame at or after each one asked for, so that timestamps that
    // skip a number still bring it.
    const auto next = std::lower_bound(mSampled.begin(), mSampled.end(),
                                       mFinding.frames.empty() ? std::int64_t{0} : mFinding.frames.back() + 1);
    return next != mSampled.end() && frame >= *next &&
           (mFinding.frames.empty() || frame > mFinding.frames.back());
}

void PictureAnalysis::Repeat(std::int64_t frame, std::uint64_t hash)
{
    const auto known = mKnown.find(hash);
    if (known == mKnown.end())
        return;
    PictureState state = known->second;
    // The same departing picture again after others: a freeze of it. Frames
    // that follow one another keep the state the first of them was given.
    const auto last = mLastShown.find(hash);
    if (last != mLastShown.end() && last->second.first == frame - 1) {
        state = last->second.second;
    } else if (mPrevious && mPrevious->first == frame - 1 && mPrevious->second.kind == state.kind) {
        // Pictures of one kind that differ a little (a long-GOP coder's frames) run on.
        state = mPrevious->second;
    } else if (state.kind != PictureClass::Bars) {
        const auto seen = mFirstSeen.find(hash);
        if (seen != mFirstSeen.end() && seen->second < frame - 1) {
            state.kind = PictureClass::Frozen;
            state.frozenFrom = seen->second;
        }
    }
    if (state.kind != PictureClass::Bars)
        mLastShown.insert_or_assign(hash, std::make_pair(frame, state));
    Record(frame, state);
}

void PictureAnalysis::Feed(const CodePicture& picture, std::uint64_t packetHash, std::uint64_t pictureHash)
{
    ++mFinding.picturesMeasured;
    const bool attempt = !mBase || (!mBase->bars && mAttempts < kMaxAttempts &&
                                    picture.frameIndex - mLastAttempt >= kAttemptEvery);
    if (attempt) {
        if (mCandidates.empty() && mPendingCandidates.valid() && picture.width == mFacts.width &&
            picture.height == mFacts.height)
            mCandidates = mPendingCandidates.get();
        if (mCandidates.empty())
            mCandidates = BarsCandidates(mReference, picture.width, picture.height);
        PictureFinding found;
        found.present = true;
        Baseline base = Establish(mCandidates, picture, mFacts, mClip, mTolerances, found);
        ++mAttempts;
        mLastAttempt = picture.frameIndex;
        if (base.bars || !mBase) {
            found.everyFrame = mFinding.everyFrame;
            found.picturesMeasured = mFinding.picturesMeasured;
            found.frames = std::move(mFinding.frames);
            mFinding = std::move(found);
            mBase = std::move(base);
            mKnown.clear();
            mFirstSeen.clear();
        }
    }
    if (picture.width != mFinding.width || picture.height != mFinding.height) {
        PictureState other;
        other.kind = PictureClass::Other;
        other.share = 0;
        Record(picture.frameIndex, other);
        return;
    }
    const PictureState state = ClassifyPicture(*mBase, MeasurePicture(*mBase, picture));
    if (mKnown.size() >= kKnownPictures) {
        mKnown.clear();
        mFirstSeen.clear();
        mLastShown.clear();
    }
    for (std::uint64_t hash : {packetHash, pictureHash}) {
        if (hash == 0)
            continue;
        mKnown.insert_or_assign(hash, state);
        if (state.kind != PictureClass::Bars) {
            mFirstSeen.emplace(hash, picture.frameIndex);
            mLastShown.insert_or_assign(hash, std::make_pair(picture.frameIndex, state));
        }
    }
    Record(picture.frameIndex, state);
}

void PictureAnalysis::Record(std::int64_t frame, const PictureState& state)
{
    if (!mSampled.empty())
        mFinding.frames.push_back(frame);
    if (!mPrevious || frame > mPrevious->first)
        mPrevious = std::make_pair(frame, state);
    mStretches.Add(frame, state);
    Judge(mStretches.TakeClosed());
}

void PictureAnalysis::Judge(const std::vector<Stretch>& stretches)
{
    if (!mBase || !mBase->bars)
        return;
    for (const Stretch& s : stretches)
        if (std::optional<Fault> f = JudgeStretch(s, *mBase, mClock)) {
            mLastDeparting = s.last;
            if (++mDeparting > kMostListed)
                continue;
            mNew.push_back(*f);
            mFinding.faults.push_back(std::move(*f));
        }
}

std::vector<Fault> PictureAnalysis::TakeNewFaults()
{
    std::vector<Fault> out;
    out.swap(mNew);
    return out;
}

PictureFinding PictureAnalysis::Finish(std::int64_t met)
{
    Judge(mStretches.Finish());
    mFinding.picturesMet = met;
    if (mDeparting > kMostListed) {
        const std::int64_t more = mDeparting - kMostListed;
        std::string last = Printf("frame %lld", static_cast<long long>(mLastDeparting));
        if (mClock.nominal > 0)
            last += ", " + mClock.Text(mLastDeparting);
        mFinding.faults.push_back(Fault{kind::kPicture,
                                        Printf("and %lld more %s from the bars, the last ending at %s",
                                               static_cast<long long>(more),
                                               more == 1 ? "stretch departs" : "stretches depart", last.c_str()),
                                        {{"more", static_cast<double>(more)}}});
    }
    if (mBase && !mBase->bars) {
        const int nearest = mBase->candidate.colourSpace;
        mFinding.faults.push_back(Fault{kind::kPicture,
                                        Printf("the picture is not bars: at most %.0f%% of the regions of the "
                                               "module's bars of any colour space fit it (%s came nearest)",
                                               100 * mFinding.matchShare, BarsName(nearest).c_str()),
                                        {{"match_share", mFinding.matchShare}},
                                        {{"nearest", BarsName(nearest)}}});
    }
    return std::move(mFinding);
}

} // namespace btcheck
