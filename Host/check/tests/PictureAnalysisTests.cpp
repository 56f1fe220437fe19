// The phases of the every-frame picture check on pictures drawn here: each
// picture classified against a baseline, frames run together into stretches
// whatever order the decoder hands them in, and a stretch judged with its
// frames, times and timecodes.

#include "btcheck/PictureAnalysis.h"

#include <gtest/gtest.h>

using namespace btcheck;

namespace {

// Two patches side by side, 10-bit Y'CbCr, held to a clean BT.709 coding.
Baseline TwoPatches()
{
    Baseline b;
    b.bars = true;
    Layout& l = b.candidate.layout;
    l.width = 80;
    l.height = 40;
    l.bands = {{0, 40}};
    for (int i = 0; i < 2; ++i) {
        Region r;
        r.x0 = 40 * i;
        r.x1 = 40 * (i + 1);
        r.y0 = 0;
        r.y1 = 40;
        r.code = {static_cast<std::uint16_t>(i == 0 ? 700 : 300), 400, 600};
        l.regions.push_back(r);
    }
    b.coding = {Family::YCbCr, 10};
    b.tolerance = 4;
    b.loose = 30;
    return b;
}

// The patches with luma `left` and `right`, their colour differences as the bars'.
CodePicture Picture(int left, int right, int cb = 400, int cr = 600)
{
    CodePicture p;
    p.width = 80;
    p.height = 40;
    p.depth = 10;
    for (int c = 0; c < 3; ++c)
        p.plane[c].resize(80 * 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 80; ++x) {
            const auto i = static_cast<std::size_t>(y * 80 + x);
            p.plane[0][i] = static_cast<std::uint16_t>(x < 40 ? left : right);
            p.plane[1][i] = static_cast<std::uint16_t>(cb);
            p.plane[2][i] = static_cast<std::uint16_t>(cr);
        }
    return p;
}

PictureClass ClassOf(const CodePicture& p)
{
    const Baseline base = TwoPatches();
    return ClassifyPicture(base, MeasurePicture(base, p)).kind;
}

PictureState Of(PictureClass kind)
{
    PictureState s;
    s.kind = kind;
    return s;
}

} // namespace

TEST(PictureAnalysis, PicturesAreClassedByHowFarTheirRegionsLie)
{
    EXPECT_EQ(ClassOf(Picture(700, 300)), PictureClass::Bars);
    // The tolerance from both sides: 4 codes off is the bars, 5 is damage.
    EXPECT_EQ(ClassOf(Picture(704, 300)), PictureClass::Bars);
    const Baseline base = TwoPatches();
    const PictureState damaged = ClassifyPicture(base, MeasurePicture(base, Picture(705, 300)));
    EXPECT_EQ(damaged.kind, PictureClass::Damaged);
    EXPECT_EQ(damaged.regionsOff, std::vector<int>{0});
    EXPECT_DOUBLE_EQ(damaged.worst, 5);
    // Black (narrow-range black with no colour), and a picture that is not these bars.
    EXPECT_EQ(ClassOf(Picture(64, 64, 512, 512)), PictureClass::Black);
    EXPECT_EQ(ClassOf(Picture(100, 900, 512, 512)), PictureClass::Other);
}

TEST(PictureAnalysis, FramesOutOfOrderRunTogetherAndSkippedNumbersAreMissing)
{
    StretchBuilder every(true);
    for (std::int64_t f : {0, 2, 1, 3, 5, 4})
        every.Add(f, Of(PictureClass::Bars));
    for (std::int64_t f : {6, 7})
        every.Add(f, Of(PictureClass::Black));
    for (std::int64_t f : {10, 11})
        every.Add(f, Of(PictureClass::Bars));
    const std::vector<Stretch> s = every.Finish();
    ASSERT_EQ(s.size(), 4u);
    EXPECT_EQ(std::make_pair(s[0].first, s[0].last), std::make_pair(std::int64_t{0}, std::int64_t{5}));
    EXPECT_EQ(s[1].state.kind, PictureClass::Black);
    EXPECT_EQ(std::make_pair(s[1].first, s[1].last), std::make_pair(std::int64_t{6}, std::int64_t{7}));
    EXPECT_EQ(s[2].state.kind, PictureClass::Missing);
    EXPECT_EQ(std::make_pair(s[2].first, s[2].last), std::make_pair(std::int64_t{8}, std::int64_t{9}));

    // A sampled check looks at a few frames: the ones between are not missing.
    StretchBuilder sampled(false);
    for (std::int64_t f : {0, 74, 149})
        sampled.Add(f, Of(PictureClass::Bars));
    const std::vector<Stretch> one = sampled.Finish();
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].last, 149);
}

TEST(PictureAnalysis, AStretchIsJudgedWithItsFramesTimesAndTimecodes)
{
    FrameClock clock;
    clock.fps = 25;
    clock.nominal = 25;
    const Baseline base = TwoPatches();
    EXPECT_FALSE(JudgeStretch(Stretch{0, 310, Of(PictureClass::Bars)}, base, clock));
    const std::optional<Fault> f = JudgeStretch(Stretch{311, 312, Of(PictureClass::Black)}, base, clock);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->kind, kind::kPicture);
    EXPECT_EQ(f->sentence, "frames 311\u2013312, 00:00:12:11\u201300:00:12:12: black");
    ASSERT_TRUE(f->time);
    EXPECT_DOUBLE_EQ(f->time->startSeconds, 12.44);
    EXPECT_DOUBLE_EQ(f->time->endSeconds, 12.52);
    EXPECT_EQ(f->time->lastFrame, 312);
}

TEST(PictureAnalysis, DropFrameTimecodeSkipsTwoNumbersAMinuteButEveryTenth)
{
    Timecode tc;
    ASSERT_TRUE(ParseTimecode("01:00:00;00", tc));
    EXPECT_TRUE(tc.dropFrame);
    // An hour of 29.97 drop-frame counts 107892 frames.
    EXPECT_EQ(FramesSinceMidnight(tc, 30), 107892);
    EXPECT_EQ(TimecodeText(107892, 30, true), "01:00:00;00");
    EXPECT_EQ(TimecodeText(1799, 30, true), "00:00:59;29");
    EXPECT_EQ(TimecodeText(1800, 30, true), "00:01:00;02");
    EXPECT_EQ(TimecodeText(17982, 30, true), "00:10:00;00");
    EXPECT_EQ(TimecodeText(90000, 25, false), "01:00:00:00");
    EXPECT_TRUE(HasDropFrame(30000.0 / 1001));
    EXPECT_FALSE(HasDropFrame(25));
}
