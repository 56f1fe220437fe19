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
    // Against the start asked for: the same frame however it is written, one frame off, or none.
    EXPECT_TRUE(CheckFileFacts(Movie(1, 1, 25, 1, "10:00:00:00"), nullptr, "10:00:00:00").faults.empty());
    EXPECT_EQ(Kinds(CheckFileFacts(Movie(1, 1, 25, 1, "10:00:00:01"), nullptr, "10:00:00:00")),
              std::vector<std::string>{"timecode"});
    EXPECT_EQ(Kinds(CheckFileFacts(Movie(1, 1, 25, 1), nullptr, "10:00:00:00")), std::vector<std::string>{"timecode"});
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

namespace {

// A 6 s, 25 fps movie of 150 frames whose pass read `frames` pictures and
// sound to `soundEnds` seconds.
PassSummary Read(std::int64_t frames, double soundEnds)
{
    PassSummary r;
    r.pictures = frames;
    r.pictureEndSeconds = static_cast<double>(frames) / 25;
    r.samples = static_cast<std::int64_t>(soundEnds * 48000);
    r.soundEndSeconds = soundEnds;
    return r;
}

std::vector<std::string> LengthKinds(const PassSummary& read)
{
    FileFacts facts = Movie(6, 6, 25, 1);
    facts.picture->frameCount = 150;
    facts.sound->rate = 48000;
    std::vector<std::string> kinds;
    for (const Fault& f : CheckLengths(facts, read))
        kinds.push_back(f.kind);
    return kinds;
}

} // namespace

TEST(FileCheck, WhatWasDecodedAgainstWhatTheFileDeclares)
{
    EXPECT_TRUE(LengthKinds(Read(150, 6.0)).empty());
    // One frame short is within a frame; two are not.
    EXPECT_TRUE(LengthKinds(Read(149, 5.96)).empty());
    EXPECT_EQ(LengthKinds(Read(148, 5.92)), (std::vector<std::string>{"truncated", "truncated"}));
    // A cut-off file: both end early, together.
    EXPECT_EQ(LengthKinds(Read(89, 3.56)), (std::vector<std::string>{"truncated", "truncated"}));
    // Sound within a coder's frame of the end passes; a tenth of a second short does not.
    EXPECT_TRUE(LengthKinds(Read(150, 5.96)).empty());
    EXPECT_EQ(LengthKinds(Read(150, 5.9)), (std::vector<std::string>{"truncated", "duration"}));
    // Stopped on request: what is not read is not missing.
    PassSummary stopped = Read(20, 0.8);
    stopped.stopped = true;
    EXPECT_TRUE(LengthKinds(stopped).empty());
    // The decoders' complaints are reported.
    PassSummary damaged = Read(150, 6.0);
    damaged.decodeErrors = 3;
    damaged.firstDecodeError = "corrupt slice";
    EXPECT_EQ(LengthKinds(damaged), std::vector<std::string>{"decode"});
}

TEST(FileCheck, AGapTheFileDeclaresIsSaidOnce)
{
    // Sound delayed by 120 ms: the file says so, and the pass finds the same.
    FileFacts facts = Movie(6, 6.12, 25, 1);
    facts.picture->frameCount = 150;
    facts.sound->rate = 48000;
    const FileFinding declared = CheckFileFacts(facts, nullptr);
    ASSERT_EQ(Kinds(declared), std::vector<std::string>{"duration"});
    EXPECT_EQ(declared.faults[0].sentence,
              "the file says the sound lasts 0.120 s longer than the picture (6.120 s against 6.000 s), more than a frame");
    EXPECT_TRUE(CheckLengths(facts, Read(150, 6.12)).empty());
    // Decoded apart where the file declared them together: that one the pass says.
    facts.sound->durationSeconds = 6;
    const std::vector<Fault> decoded = CheckLengths(facts, Read(150, 6.12));
    ASSERT_EQ(decoded.size(), 1u);
    EXPECT_EQ(decoded[0].sentence, "the sound decoded ends 0.120 s after the picture (at 6.120 s against 6.000 s)");
}

TEST(FileCheck, ThePicturesTimecodeStartsAFileWhoseContainerHasNone)
{
    CarriedTimecode carried;
    carried.told = 3;
    carried.start = "10:00:00:00";
    EXPECT_TRUE(CheckFileFacts(Movie(1, 1, 25, 1), nullptr, "10:00:00:00", carried).faults.empty());
    carried.start = "10:00:00:01";
    EXPECT_EQ(Kinds(CheckFileFacts(Movie(1, 1, 25, 1), nullptr, "10:00:00:00", carried)),
              std::vector<std::string>{"timecode"});
    // The container's, where it has one, is the file's start.
    EXPECT_TRUE(CheckFileFacts(Movie(1, 1, 25, 1, "10:00:00:00"), nullptr, "10:00:00:00", carried).faults.empty());
}
