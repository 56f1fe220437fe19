// The pictures' own timecode followed frame by frame: a count that runs on
// one frame a picture passes; a jump, a repeat or a step back is one fault,
// between the two frames where it happens.

#include "btcheck/TimecodeFollow.h"

#include <gtest/gtest.h>

#include <utility>

using namespace btcheck;

namespace {

FrameClock Clock(double fps)
{
    FrameClock c;
    c.fps = fps;
    c.nominal = NominalRate(fps);
    return c;
}

struct Told {
    std::int64_t frame;
    const char* text;
};

std::vector<Fault> Follow(double fps, std::initializer_list<Told> told, std::string declared = {})
{
    TimecodeFollow follow(Clock(fps), std::move(declared));
    for (const Told& t : told)
        follow.Add(t.frame, t.text);
    return follow.Finish();
}

} // namespace

TEST(TimecodeFollow, GroupsThatCountOnPass)
{
    // A group of pictures every twelve frames; the first group need not start the file.
    EXPECT_TRUE(Follow(25, {{0, "10:00:00:00"}, {12, "10:00:00:12"}, {24, "10:00:00:24"}, {36, "10:00:01:11"}}).empty());
    EXPECT_TRUE(Follow(25, {{3, "23:59:59:24"}, {4, "00:00:00:00"}}).empty()); // past midnight
    // Drop-frame: 00:00:59;29 is followed by 00:01:00;02, but 00:09:59;29 by 00:10:00;00.
    EXPECT_TRUE(Follow(30000.0 / 1001, {{0, "00:00:59;29"}, {1, "00:01:00;02"}}).empty());
    EXPECT_TRUE(Follow(30000.0 / 1001, {{0, "00:09:59;29"}, {1, "00:10:00;00"}}).empty());
    EXPECT_EQ(Follow(30000.0 / 1001, {{0, "00:00:59;29"}, {1, "00:01:00;00"}}).size(), 1u);
}

TEST(TimecodeFollow, AJumpIsPlacedBetweenItsTwoFramesWithItsSize)
{
    // The second group should start at 10:00:10:00: one frame either way is a break.
    for (const char* wrong : {"10:00:09:24", "10:00:10:01"}) {
        SCOPED_TRACE(wrong);
        EXPECT_EQ(Follow(25, {{0, "10:00:00:00"}, {250, wrong}}).size(), 1u);
    }
    const std::vector<Fault> faults = Follow(25, {{0, "10:00:00:00"}, {250, "10:00:11:00"}, {262, "10:00:11:12"}});
    ASSERT_EQ(faults.size(), 1u);
    const Fault& f = faults[0];
    EXPECT_EQ(f.kind, "timecode");
    EXPECT_EQ(f.sentence, "frames 249\u2013250, timecode jumps from 10:00:09:24 to 10:00:11:00, 25 frames (1.00 s) ahead");
    ASSERT_TRUE(f.time);
    EXPECT_EQ(f.time->firstFrame, 249);
    EXPECT_EQ(f.time->lastFrame, 250);
    EXPECT_DOUBLE_EQ(f.time->startSeconds, 9.96);
    EXPECT_DOUBLE_EQ(f.time->endSeconds, 10.04);
}

TEST(TimecodeFollow, RepeatsAndStepsBackAreNamed)
{
    const std::vector<Fault> repeat = Follow(25, {{0, "01:00:00:00"}, {1, "01:00:00:01"}, {2, "01:00:00:01"}});
    ASSERT_EQ(repeat.size(), 1u);
    EXPECT_EQ(repeat[0].sentence, "frames 1\u20132, timecode 01:00:00:01 repeats");
    const std::vector<Fault> back = Follow(25, {{0, "01:00:00:00"}, {10, "01:00:00:05"}});
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].sentence, "frames 9\u201310, timecode jumps from 01:00:00:09 to 01:00:00:05, 5 frames behind");
}

TEST(TimecodeFollow, TheStartAndTheCountingAreHeldToTheFileAndTheRate)
{
    // Against the container's start timecode: the first picture's, frame for frame.
    EXPECT_TRUE(Follow(25, {{0, "10:00:00:00"}}, "10:00:00:00").empty());
    EXPECT_TRUE(Follow(25, {{12, "10:00:00:12"}}, "10:00:00:00").empty());
    const std::vector<Fault> late = Follow(25, {{0, "10:00:00:01"}}, "10:00:00:00");
    ASSERT_EQ(late.size(), 1u);
    EXPECT_EQ(late[0].sentence,
              "frame 0 carries timecode 10:00:00:01; the file's start timecode 10:00:00:00 puts it at 10:00:00:00, "
              "1 frame later");
    // Drop-frame counting at a rate that has none is said once; a frame number past the rate is a break.
    EXPECT_EQ(Follow(25, {{0, "10:00:00;00"}, {1, "10:00:00;01"}}).size(), 1u);
    EXPECT_EQ(Follow(25, {{0, "10:00:00:00"}, {25, "10:00:00:25"}}).size(), 1u);
}

TEST(TimecodeFollow, BreaksBeyondTheListedAreCounted)
{
    TimecodeFollow follow(Clock(25), {});
    for (int i = 0; i < kMostListed + 5; ++i)
        follow.Add(i, i % 2 == 0 ? "00:00:00:00" : "00:00:00:10"); // every picture breaks the count but the first
    const std::vector<Fault> faults = follow.Finish();
    ASSERT_EQ(faults.size(), static_cast<std::size_t>(kMostListed + 1));
    EXPECT_EQ(faults.back().sentence, "and the timecode breaks 4 more times");
}

TEST(TimecodeFollow, TheFirstTimecodeGivesThePicturesTheirStart)
{
    TimecodeFollow follow(Clock(25), {});
    EXPECT_FALSE(follow.Start());
    follow.Add(12, "10:00:00:12");
    ASSERT_TRUE(follow.Start());
    EXPECT_EQ(*follow.Start(), 10LL * 3600 * 25);
    EXPECT_EQ(follow.Carried().start, "10:00:00:00");
    EXPECT_EQ(follow.Carried().firstFrame, 12);
    // Faults are told as they are found, and kept for the report.
    follow.Add(24, "11:00:00:00");
    EXPECT_EQ(follow.TakeNewFaults().size(), 1u);
    EXPECT_TRUE(follow.TakeNewFaults().empty());
    EXPECT_EQ(follow.Finish().size(), 1u);
}
