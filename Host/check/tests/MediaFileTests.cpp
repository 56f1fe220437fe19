// The reader on files made here from raw codes that ffmpeg stores without
// loss: what it reads must be those codes, in the right component, at the
// right frame.

#include "btcheck/MediaFile.h"
#include "RunProgram.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <vector>

using namespace btcheck;

namespace {

class MediaFileTest : public btmedia::test::FolderTest {
protected:
    /// Raw little-endian 16-bit words into a file.
    std::string Raw(const std::string& name, const std::vector<std::uint16_t>& words) const
    {
        std::ofstream out(Path(name), std::ios::binary);
        for (std::uint16_t w : words) {
            const char bytes[2] = {static_cast<char>(w & 0xFF), static_cast<char>(w >> 8)};
            out.write(bytes, 2);
        }
        return Path(name);
    }

    /// `frames` grey 16 × 8 pictures, 8-bit 4:2:0, frame i at luma(i), into a raw file.
    template <typename Luma>
    std::string GreyFrames(const std::string& name, int frames, Luma luma) const
    {
        std::string bytes;
        for (int i = 0; i < frames; ++i) {
            bytes.append(16 * 8, static_cast<char>(luma(i)));
            bytes.append(16 * 8 / 2, static_cast<char>(128));
        }
        std::ofstream(Path(name), std::ios::binary) << bytes;
        return Path(name);
    }

    /// ffmpeg with these arguments; the test fails unless it succeeds.
    void Ffmpeg(std::vector<std::string> args) const
    {
        args.insert(args.begin(), {"ffmpeg", "-v", "error", "-y"});
        const auto o = btcli::test::RunCommand(args);
        ASSERT_EQ(o.exitCode, 0) << o.err;
    }
};

constexpr int kW = 16, kH = 8;

std::uint16_t Luma(int x, int y) { return static_cast<std::uint16_t>(64 + 50 * x + 7 * y); }
std::uint16_t Cb(int cx, int cy) { return static_cast<std::uint16_t>(300 + 20 * cx + 3 * cy); }
std::uint16_t Cr(int cx, int cy) { return static_cast<std::uint16_t>(900 - 20 * cx - 3 * cy); }

} // namespace

TEST_F(MediaFileTest, SubsampledCodesAreReadAsStoredAndRepeated)
{
    std::vector<std::uint16_t> words;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            words.push_back(Luma(x, y));
    for (auto* f : {&Cb, &Cr})
        for (int y = 0; y < kH / 2; ++y)
            for (int x = 0; x < kW / 2; ++x)
                words.push_back(f(x, y));
    const std::string raw = Raw("p420.yuv", words);
    Ffmpeg({"-f", "rawvideo", "-pix_fmt", "yuv420p10le", "-s", "16x8", "-r", "25", "-i", raw, "-c:v", "ffv1",
            "-color_range", "tv", Path("p420.mkv")});

    MediaFile file = MediaFile::Open(Path("p420.mkv"));
    ASSERT_TRUE(file.Facts().picture);
    EXPECT_EQ(file.Facts().picture->depth, 10);
    EXPECT_EQ(file.Facts().picture->chromaShiftY, 1);
    const CodePicture p = file.DecodeFrame(0);
    EXPECT_EQ(p.family, Family::YCbCr);
    EXPECT_FALSE(p.fullRange);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            EXPECT_EQ(p.At(0, x, y), Luma(x, y));
            EXPECT_EQ(p.At(1, x, y), Cb(x / 2, y / 2));
            EXPECT_EQ(p.At(2, x, y), Cr(x / 2, y / 2));
        }
}

TEST_F(MediaFileTest, RgbComponentsComeInRgbOrder)
{
    // gbrp16: planes G, B, R.
    std::vector<std::uint16_t> words;
    for (int v : {20000, 40000, 60000})
        words.insert(words.end(), kW * kH, static_cast<std::uint16_t>(v));
    const std::string raw = Raw("rgb.raw", words);
    Ffmpeg({"-f", "rawvideo", "-pix_fmt", "gbrp16le", "-s", "16x8", "-i", raw, "-frames:v", "1", Path("rgb.png")});
    MediaFile file = MediaFile::Open(Path("rgb.png"));
    EXPECT_TRUE(file.Facts().picture->still);
    const CodePicture p = file.DecodeFrame(0);
    EXPECT_EQ(p.family, Family::Rgb);
    EXPECT_EQ(p.depth, 16);
    EXPECT_EQ(p.At(0, 3, 3), 60000); // R
    EXPECT_EQ(p.At(1, 3, 3), 20000); // G
    EXPECT_EQ(p.At(2, 3, 3), 40000); // B
}

TEST_F(MediaFileTest, SeekingFindsTheFrameAskedForInsideAGroup)
{
    // Frame i is grey at code 20 + 4i, in groups of twelve frames.
    const std::string raw = GreyFrames("frames.yuv", 50, [](int i) { return 20 + 4 * i; });
    Ffmpeg({"-f", "rawvideo", "-pix_fmt", "yuv420p", "-s", "16x8", "-r", "25", "-i", raw, "-c:v",
            "libx264", "-qp", "0", "-g", "12", "-bf", "2", Path("frames.mp4")});
    MediaFile file = MediaFile::Open(Path("frames.mp4"));
    EXPECT_EQ(file.Facts().picture->frameCount, 50);
    for (std::int64_t i : {0, 37, 13, 49}) {
        const CodePicture p = file.DecodeFrame(i);
        EXPECT_EQ(p.frameIndex, i);
        EXPECT_EQ(p.At(0, 5, 5), 20 + 4 * i) << "frame " << i;
    }
}

TEST_F(MediaFileTest, SoundIsReadAsFloatsPerChannelUpToTheLimit)
{
    std::vector<std::uint16_t> words;
    for (int i = 0; i < 4800; ++i) {
        words.push_back(static_cast<std::uint16_t>(16384));           // left: +0.5
        words.push_back(static_cast<std::uint16_t>(-8192 & 0xFFFF)); // right: -0.25
    }
    const std::string raw = Raw("s16.raw", words);
    Ffmpeg({"-f", "s16le", "-ar", "48000", "-ac", "2", "-i", raw, Path("s16.wav")});
    MediaFile file = MediaFile::Open(Path("s16.wav"));
    EXPECT_FALSE(file.Facts().picture);
    EXPECT_THROW((void)file.DecodeFrame(0), ReadError);
    const Sound all = file.DecodeSound(1.0);
    ASSERT_EQ(all.channels.size(), 2u);
    EXPECT_EQ(all.channels[0].size(), 4800u);
    EXPECT_FALSE(all.truncated);
    EXPECT_EQ(all.channels[0][100], 0.5f);
    EXPECT_EQ(all.channels[1][4799], -0.25f);
    const Sound part = file.DecodeSound(0.05);
    EXPECT_EQ(part.channels[1].size(), 2400u);
    EXPECT_TRUE(part.truncated);
}

TEST_F(MediaFileTest, WhatIsNotMediaIsRefused)
{
    std::ofstream(Path("text.mov")) << "not a movie";
    EXPECT_THROW((void)MediaFile::Open(Path("text.mov")), ReadError);
    EXPECT_THROW((void)MediaFile::Open(Path("absent.mov")), ReadError);
    const std::uint8_t bytes[] = {0, 0, 0, 0x20, 'f', 't', 'y', 'p'};
    EXPECT_THROW((void)MediaFile::OpenBytes(bytes), ReadError);
}

namespace {

// Keeps what the one pass tells, in the order it tells it; a picture is
// known once read, by its packet's or its planes' hash.
class Recorder final : public PassSink {
public:
    [[nodiscard]] bool Knows(std::uint64_t hash) const override
    {
        return std::find(known.begin(), known.end(), hash) != known.end();
    }
    void Repeat(std::int64_t frame, std::uint64_t) override
    {
        order.push_back(frame);
        ++told;
    }
    void Picture(const CodePicture& p, std::uint64_t packetHash, std::uint64_t pictureHash) override
    {
        order.push_back(p.frameIndex);
        ++told;
        read.push_back(p.frameIndex);
        lumas.push_back(p.At(0, 0, 0));
        for (std::uint64_t h : {packetHash, pictureHash})
            if (h != 0)
                known.push_back(h);
    }
    void Sound(const SoundSamples& s) override
    {
        if (channels.empty())
            channels.resize(s.channels.size());
        EXPECT_EQ(s.firstSample, static_cast<std::int64_t>(channels[0].size()));
        for (std::size_t c = 0; c < s.channels.size(); ++c)
            channels[c].insert(channels[c].end(), s.channels[c], s.channels[c] + s.count);
    }
    void Timecode(std::int64_t frame, const std::string& text) override { timecodes.emplace_back(frame, text); }
    // Asked on the reading thread while pictures are told on the pass's own.
    [[nodiscard]] bool Stop() override { return stopAfter >= 0 && told >= stopAfter; }

    std::atomic<std::int64_t> told = 0;
    std::vector<std::pair<std::int64_t, std::string>> timecodes;
    std::vector<std::uint64_t> known;
    std::vector<std::int64_t> order, read;
    std::vector<int> lumas;
    std::vector<std::vector<float>> channels;
    std::int64_t stopAfter = -1;
};

} // namespace

TEST_F(MediaFileTest, OnePassMeasuresEachDistinctPictureOnceAndTellsFramesInOrder)
{
    // Twenty grey frames at code 100, frames 8 and 9 at 200: intra-coded, so
    // identical frames are identical packets.
    const std::string raw = GreyFrames("still.yuv", 20, [](int i) { return i == 8 || i == 9 ? 200 : 100; });
    Ffmpeg({"-f", "rawvideo", "-pix_fmt", "yuv420p", "-s", "16x8", "-r", "25", "-i", raw, "-c:v",
            "ffv1", "-threads", "1", Path("still.mkv")});
    MediaFile file = MediaFile::Open(Path("still.mkv"));
    Recorder sink;
    const PassSummary summary = file.ReadAll(sink);
    EXPECT_EQ(sink.read, (std::vector<std::int64_t>{0, 8}));
    EXPECT_EQ(sink.lumas, (std::vector<int>{100, 200}));
    std::vector<std::int64_t> all(20);
    for (std::int64_t i = 0; i < 20; ++i)
        all[static_cast<std::size_t>(i)] = i;
    EXPECT_EQ(sink.order, all);
    EXPECT_EQ(summary.pictures, 20);
    EXPECT_EQ(summary.missingPictures, 0);
    EXPECT_DOUBLE_EQ(summary.pictureEndSeconds, 0.8);
    EXPECT_EQ(summary.decodeErrors, 0);

    // Asked to stop, it stops and says so, though the demuxer ran ahead of
    // the pictures told.
    const std::string longer = GreyFrames("long.yuv", 400, [](int i) { return 16 + i % 200; });
    Ffmpeg({"-f", "rawvideo", "-pix_fmt", "yuv420p", "-s", "16x8", "-r", "25", "-i", longer, "-c:v", "ffv1",
            Path("long.mkv")});
    MediaFile again = MediaFile::Open(Path("long.mkv"));
    Recorder early;
    early.stopAfter = 5;
    const PassSummary stopped = again.ReadAll(early);
    EXPECT_TRUE(stopped.stopped);
    EXPECT_LT(stopped.pictures, 100);
}

TEST_F(MediaFileTest, MonoTracksAreReadAsTheChannelsOfOneProgramme)
{
    // Three mono tracks of constant levels, in track order.
    Ffmpeg({"-f", "lavfi", "-i", "aevalsrc=0.125:s=48000:d=0.5", "-f", "lavfi", "-i", "aevalsrc=0.25:s=48000:d=0.5",
            "-f", "lavfi", "-i", "aevalsrc=-0.5:s=48000:d=0.5", "-map", "0", "-map", "1", "-map", "2", "-c:a",
            "pcm_s24le", Path("tracks.mov")});
    MediaFile file = MediaFile::Open(Path("tracks.mov"));
    ASSERT_TRUE(file.Facts().sound);
    EXPECT_EQ(file.Facts().sound->tracks, 3);
    EXPECT_EQ(file.Facts().sound->channels, 3);
    Recorder sink;
    const PassSummary summary = file.ReadAll(sink);
    ASSERT_EQ(sink.channels.size(), 3u);
    EXPECT_EQ(summary.samples, 24000);
    EXPECT_EQ(sink.channels[0][1000], 0.125f);
    EXPECT_EQ(sink.channels[1][23999], 0.25f);
    EXPECT_EQ(sink.channels[2][12000], -0.5f);
    EXPECT_DOUBLE_EQ(summary.soundEndSeconds, 0.5);
}

TEST_F(MediaFileTest, DamagedBytesAreCountedNotSwallowed)
{
    const std::string raw = GreyFrames("moving.yuv", 50, [](int i) { return 20 + 4 * i; });
    Ffmpeg({"-f", "rawvideo", "-pix_fmt", "yuv420p", "-s", "16x8", "-r", "25", "-i", raw, "-c:v",
            "mpeg2video", "-g", "50", "-f", "mpegts", Path("moving.ts")});
    // Six transport packets in the stream's middle overwritten, headers too.
    const auto size = static_cast<std::streamoff>(std::filesystem::file_size(Path("moving.ts")));
    std::fstream ts(Path("moving.ts"), std::ios::in | std::ios::out | std::ios::binary);
    ts.seekp(size / 2 / 188 * 188);
    const std::string junk(6 * 188, '\x5a');
    ts.write(junk.data(), static_cast<std::streamsize>(junk.size()));
    ts.close();
    MediaFile file = MediaFile::Open(Path("moving.ts"));
    Recorder sink;
    const PassSummary summary = file.ReadAll(sink);
    EXPECT_GT(summary.decodeErrors + summary.missingPictures, 0);
    EXPECT_LT(summary.pictures, 50);
}

TEST_F(MediaFileTest, AGroupsTimecodeIsTheFirstPictureItShowsNotTheFirstItCodes)
{
    // Open groups of twelve with two B-frames: after the first, each group's
    // I-frame (coded first) is shown after two B-frames of its own, so the
    // groups start at frames 0, 10, 22 and 34. (FFmpeg's decoder hands the
    // group's timecode on with the picture it shows when the I-frame arrives,
    // the frame before.)
    const std::string raw = GreyFrames("groups.yuv", 40, [](int i) { return 20 + 4 * i; });
    Ffmpeg({"-f", "rawvideo", "-pix_fmt", "yuv420p", "-s", "16x8", "-r", "25", "-i", raw, "-c:v", "mpeg2video", "-g",
            "12", "-bf", "2", "-sc_threshold", "1000000000", "-timecode", "10:00:00:00", "-f", "mpegts",
            Path("groups.ts")});
    MediaFile file = MediaFile::Open(Path("groups.ts"));
    Recorder sink;
    (void)file.ReadAll(sink);
    const std::vector<std::pair<std::int64_t, std::string>> expected{
        {0, "10:00:00:00"}, {10, "10:00:00:10"}, {22, "10:00:00:22"}, {34, "10:00:01:09"}};
    EXPECT_EQ(sink.timecodes, expected);
}

TEST_F(MediaFileTest, ARefusalSaysWhyTheDemuxerRefused)
{
    // A QuickTime file cut before its index.
    Ffmpeg({"-f", "lavfi", "-i", "aevalsrc=0.25:s=48000:d=0.5", "-c:a", "pcm_s16le", Path("whole.mov")});
    std::string bytes(static_cast<std::size_t>(std::filesystem::file_size(Path("whole.mov"))), '\0');
    std::ifstream(Path("whole.mov"), std::ios::binary).read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::ofstream(Path("cut.mov"), std::ios::binary) << bytes.substr(0, bytes.size() / 2);
    try {
        (void)MediaFile::Open(Path("cut.mov"));
        FAIL() << "a file without its index was read";
    } catch (const ReadError& e) {
        EXPECT_NE(std::string(e.what()).find("moov atom not found"), std::string::npos) << e.what();
    }
}
