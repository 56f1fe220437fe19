#include "MovieFixture.h"
#include "btmedia/MovieWriter.h"

#include <gtest/gtest.h>

#include <mutex>
#include <set>
#include <stdexcept>

using namespace btmedia;
using namespace btmedia::test;

namespace {

class MovieWriterTest : public MovieFixture {
protected:
    /// 64 x 36 with a pixel aspect of 40/33, two seconds.
    MovieSpec Spec(MovieFormat format, const std::string& name, int channels)
    {
        MovieSpec s = MovieFixture::Spec(format, name, 64, 36, channels);
        s.parNumerator = 40;
        s.parDenominator = 33;
        s.frameCount = 50;
        return s;
    }
};

} // namespace

TEST(MovieTiming, SoundSamplesFollowTheFrames)
{
    EXPECT_EQ(SamplesForFrames(50, kTicks25, 48000), 96000);
    EXPECT_EQ(SamplesForFrames(60, 8475667200, 48000), 96096);    // 60 frames of 30000/1001
    EXPECT_EQ(SamplesForFrames(1, 8475667200, 48000), 1602);      // 1601.6 rounds up
    EXPECT_EQ(SamplesForFrames(108000, 8475667200, 48000), 172972800); // an hour at 29.97
    EXPECT_EQ(SamplesForFrames(0, kTicks25, 48000), 0);
}

TEST_F(MovieWriterTest, Ffv1MatroskaKeepsPictureExactWithColourCodesAndFiveOne)
{
    MovieSpec spec = Spec(MovieFormat::Ffv1Matroska, "bars.mkv", 6);
    spec.colour = {9, 16, 9};
    const MovieResult result = WriteMovie(spec, Sources(6));
    EXPECT_EQ(result.frames, 50);
    EXPECT_EQ(result.samples, 96000);

    const probe::Movie m = probe::ReadMovie(spec.path, 50);
    EXPECT_EQ(m.pixelFormat, "yuv444p10le");
    EXPECT_EQ(m.ColourTags(), (std::array{9, 16, 9, 1})); // range 1: narrow
    EXPECT_EQ(std::pair(m.sarNum, m.sarDen), std::pair(40, 33));
    EXPECT_EQ(std::pair(m.rateNum, m.rateDen), std::pair(25, 1));
    EXPECT_NEAR(m.durationSeconds, 2.0, 0.05);
    ASSERT_EQ(m.frames.size(), 50u);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(m.frames[static_cast<std::size_t>(i)].At(0, 0, 0), 100 + i) << "frames out of order";
    const btcheck::CodePicture& p = m.frames[1];
    EXPECT_EQ(p.At(0, 1, 1), 64);
    EXPECT_EQ(p.At(0, 40, 1), 940);
    EXPECT_EQ(p.At(0, 1, 35), 4);
    EXPECT_EQ(p.At(0, 40, 35), 1019);
    EXPECT_EQ(p.At(1, 40, 1), 960);
    EXPECT_EQ(p.At(2, 40, 1), 472);

    EXPECT_EQ(m.audioCodec, "flac");
    EXPECT_EQ(m.layout, "5.1");
    EXPECT_EQ(m.sampleRate, 48000);
    ASSERT_EQ(m.samples.size(), 6u);
    const int hostOf[6] = {0, 1, 4, 5, 2, 3};
    for (int fileCh = 0; fileCh < 6; ++fileCh) {
        ASSERT_EQ(m.samples[static_cast<std::size_t>(fileCh)].size(), 96000u);
        for (std::int64_t k : {0L, 1L, 1023L, 1024L, 4607L, 4608L, 50000L, 95999L})
            EXPECT_NEAR(m.samples[static_cast<std::size_t>(fileCh)][static_cast<std::size_t>(k)],
                        ExpectedSample(hostOf[fileCh], k, 48000), 1.0 / 8388608.0)
                << "file channel " << fileCh << " sample " << k;
    }
    EXPECT_EQ(FilesLeft(), 1u);
}

TEST_F(MovieWriterTest, NullSinkRequestsEveryPictureOnceAndAllSoundInOrder)
{
    MovieSpec spec = Spec(MovieFormat::NullSink, "", 6);
    spec.frameCount = 37;
    spec.pictureThreads = 4;
    std::mutex mutex;
    std::multiset<std::int64_t> frames;
    std::int64_t nextSample = 0;
    bool soundInOrder = true;
    std::int64_t lastProgress = 0;
    MovieSources src;
    src.picture = [&](std::int64_t frame, const StudioPlanes& out, const StudioPlanes* same) {
        EXPECT_EQ(same, nullptr) << "the null sink has no encoder to repeat a picture for";
        TestSource(100, out, same);
        std::lock_guard lock(mutex);
        frames.insert(frame);
        return false;
    };
    src.sound = [&](std::int64_t position, std::uint32_t count, float* const*) {
        soundInOrder = soundInOrder && position == nextSample && count <= 1024;
        nextSample = position + count;
    };
    src.progress = [&](std::int64_t done, std::int64_t total) {
        EXPECT_EQ(done, lastProgress + 1);
        EXPECT_EQ(total, 37);
        lastProgress = done;
    };
    const MovieResult result = WriteMovie(spec, src);
    EXPECT_EQ(frames.size(), 37u);
    for (std::int64_t i = 0; i < 37; ++i)
        EXPECT_EQ(frames.count(i), 1u);
    EXPECT_TRUE(soundInOrder);
    EXPECT_EQ(nextSample, SamplesForFrames(37, kTicks25, 48000));
    EXPECT_EQ(result.samples, nextSample);
    EXPECT_EQ(lastProgress, 37);
    EXPECT_EQ(FilesLeft(), 0u);
}

TEST_F(MovieWriterTest, FailureLeavesNoFileBehind)
{
    MovieSpec spec = Spec(MovieFormat::Ffv1Matroska, "broken.mkv", 2);
    MovieSources src = Sources(2);
    src.picture = [picture = src.picture](std::int64_t frame, const StudioPlanes& out, const StudioPlanes* same) {
        if (frame == 20)
            throw std::runtime_error("picture 20 failed");
        return picture(frame, out, same);
    };
    try {
        WriteMovie(spec, src);
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "picture 20 failed");
    }
    EXPECT_EQ(FilesLeft(), 0u);

    spec.path = Path("missing-folder/x.mov");
    spec.format = MovieFormat::ProResQuickTime;
    EXPECT_THROW(WriteMovie(spec, Sources(2)), std::runtime_error);
    EXPECT_EQ(FilesLeft(), 0u);
}

TEST_F(MovieWriterTest, RefusesSpecsItCannotWrite)
{
    const MovieSources src = Sources(2);
    auto refused = [&](auto change) {
        MovieSpec spec = Spec(MovieFormat::ProResQuickTime, "x.mov", 2);
        change(spec);
        EXPECT_THROW(WriteMovie(spec, src), std::invalid_argument);
    };
    refused([](MovieSpec& s) { s.frameCount = 0; });
    refused([](MovieSpec& s) { s.width = 0; });
    refused([](MovieSpec& s) { s.width = 63; });                 // ProRes halves the chroma
    refused([](MovieSpec& s) { s.frameDuration = INT64_MAX; });  // a rate of 0
    refused([](MovieSpec& s) { s.audioChannels = 4; });
    refused([](MovieSpec& s) { s.pictureThreads = 0; });
    EXPECT_EQ(FilesLeft(), 0u);
}
