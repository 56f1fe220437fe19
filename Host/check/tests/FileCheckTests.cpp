// The container's facts against each other and against the clip.

#include "btcheck/Check.h"

#include <gtest/gtest.h>

using namespace btcheck;

namespace {

FileFacts Movie(double pictureSeconds, double soundSeconds, int rateNum, int rateDen, std::string timecode = {})
{
    FileFacts f;
    f.timecode = std::move(timecode);
    PictureFacts p;
    p.rateNum = rateNum;
    p.rateDen = rateDen;
    p.durationSeconds = pictureSeconds;
    f.picture = p;
    SoundFacts s;
    s.durationSeconds = soundSeconds;
    f.sound = s;
    return f;
}

std::vector<std::string> Kinds(const FileFinding& f)
{
    std::vector<std::string> kinds;
    for (const Fault& fault : f.faults)
        kinds.push_back(fault.kind);
    return kinds;
}

} // namespace

TEST(FileCheck, SoundAndPictureWithinAFrameOfEachOther)
{
    EXPECT_TRUE(CheckFileFacts(Movie(2.0, 2.03, 25, 1), nullptr).faults.empty());
    EXPECT_EQ(Kinds(CheckFileFacts(Movie(2.0, 2.05, 25, 1), nullptr)), std::vector<std::string>{"duration"});
}

TEST(FileCheck, TimecodesAreReadAndWeighed)
{
    EXPECT_TRUE(CheckFileFacts(Movie(1, 1, 30000, 1001, "00:59:30;00"), nullptr).faults.empty());
    EXPECT_TRUE(CheckFileFacts(Movie(1, 1, 25, 1, "10:00:00:24"), nullptr).faults.empty());
    // A frame count the rate does not have, drop-frame at 25 fps, no timecode.
    EXPECT_EQ(Kinds(CheckFileFacts(Movie(1, 1, 25, 1, "10:00:00:25"), nullptr)), std::vector<std::string>{"timecode"});
    EXPECT_EQ(Kinds(CheckFileFacts(Movie(1, 1, 25, 1, "10:00:00;05"), nullptr)), std::vector<std::string>{"timecode"});
    EXPECT_EQ(Kinds(CheckFileFacts(Movie(1, 1, 25, 1, "ten o'clock"), nullptr)), std::vector<std::string>{"timecode"});
}

TEST(FileCheck, AgainstTheClipsFrameRateAndCounting)
{
    ClipExpectation clip;
    clip.frameDuration = 8475667200; // 29.97 fps
    clip.dropFrame = true;
    EXPECT_TRUE(CheckFileFacts(Movie(1, 1, 30000, 1001, "01:00:00;00"), &clip).faults.empty());
    EXPECT_EQ(Kinds(CheckFileFacts(Movie(1, 1, 30000, 1001, "01:00:00:00"), &clip)), std::vector<std::string>{"timecode"});
    EXPECT_EQ(Kinds(CheckFileFacts(Movie(1, 1, 25, 1), &clip)), std::vector<std::string>{"duration"});
}
