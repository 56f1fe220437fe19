// Movies as streams: picture and sound interleaved by time in every
// container, long-GOP pictures encoded once and repeated exactly, and
// real-time runs that keep the clock whatever holds them up.

#include "MovieFixture.h"
#include "btmedia/MovieWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <chrono>
#include <map>
#include <thread>

using namespace btmedia;
using namespace btmedia::test;

namespace {

using Streams = MovieFixture;

constexpr double kFrameSeconds = 0.04; // 25 fps

/// Read in file order, how far ahead of another stream any stream ever is:
/// the time each has delivered up to (its packets' ends), once all have begun.
double LongestLead(std::vector<probe::PacketPlace> packets)
{
    std::sort(packets.begin(), packets.end(), [](const auto& a, const auto& b) { return a.position < b.position; });
    std::map<int, double> delivered;
    std::size_t streams = 0;
    for (const auto& p : packets)
        streams = std::max(streams, static_cast<std::size_t>(p.stream) + 1);
    double lead = 0;
    for (const auto& p : packets) {
        delivered[p.stream] = std::max(delivered.count(p.stream) ? delivered[p.stream] : p.end, p.end);
        if (delivered.size() < streams)
            continue;
        const auto [low, high] = std::minmax_element(delivered.begin(), delivered.end(),
                                                     [](const auto& a, const auto& b) { return a.second < b.second; });
        lead = std::max(lead, high->second - low->second);
    }
    return lead;
}

double LongestPacket(const std::vector<probe::PacketPlace>& packets)
{
    double longest = 0;
    for (const auto& p : packets)
        longest = std::max(longest, p.end - p.start);
    return longest;
}

/// The frames of the picture stream that start a GOP.
std::vector<int> KeyFrames(const std::string& path)
{
    const json frames = probe::Ffprobe(path, "-select_streams v -show_frames -show_entries frame=key_frame");
    std::vector<int> keys;
    int n = 0;
    for (const json& f : frames.at("frames")) {
        if (f.value("key_frame", 0) == 1)
            keys.push_back(n);
        ++n;
    }
    return keys;
}

} // namespace

TEST_F(Streams, EveryContainerInterleavesPictureAndSoundByTime)
{
    // Longer than the ten seconds FFmpeg's interleaver holds: what comes out
    // of order within that is put right by it, what comes later is not.
    for (const MovieFormatRow& row : kMovieFormats) {
        if (*row.muxer == 0)
            continue;
        const std::string name = "il" + std::string(row.names.extensions[0]);
        SCOPED_TRACE(name);
        MovieSpec spec = Spec(row.format, name, 256, 144, 2);
        spec.frameCount = 300;
        WriteMovie(spec, Sources(2, 1000));
        const auto packets = probe::PacketPlaces(spec.path);
        ASSERT_GT(packets.size(), 300u);
        // Within two frames, and the packet the other stream is in the middle of.
        EXPECT_LE(LongestLead(packets), 2 * kFrameSeconds + LongestPacket(packets) + 1e-6);
    }
}

TEST_F(Streams, LongGopPicturesRepeatedDecodeAsAFullEncode)
{
    struct Case {
        MovieFormat format;
        const char* name;
        const char* profile;
        ColourCodes colour;
        int gop; ///< frames at 25 fps
        int width, height;
        int settling; ///< GOPs encoded before the one repeated
    } cases[] = {
        {MovieFormat::Mp4Preview, "h264.mp4", "h264", {1, 1, 1}, 50, 128, 72, 0},
        {MovieFormat::Mp4Preview, "hevc.mp4", "hevc", {9, 16, 9}, 50, 128, 72, 0},
        // A constant rate repeats the GOP its control settles on, which a
        // full encode reaches at its second.
        {MovieFormat::DnxMxf, "xdcam.mxf", "xdcam", {1, 1, 1}, 12, 1920, 1080, 1},
        {MovieFormat::TransportStream, "xdcam.ts", "xdcam", {1, 1, 1}, 12, 1280, 720, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MovieSpec spec = Spec(c.format, c.name, c.width, c.height, 2);
        spec.profile = c.profile;
        spec.colour = c.colour;
        spec.frameCount = c.gop * 5 / 2; // the last GOP cut short
        // One picture throughout: one GOP encoded, and only once.
        EXPECT_EQ(ReusedDecodesAsFull(spec, Sources(2, 1000), c.settling * c.gop), (1 + c.settling) * c.gop);
        EXPECT_EQ(KeyFrames(spec.path), (std::vector<int>{0, c.gop, 2 * c.gop}));
        EXPECT_EQ(probe::DecodingErrors(spec.path), "");
    }
}

TEST_F(Streams, AChangeOfPictureStartsAGopOfItsOwn)
{
    // A for 30 frames, B for 40, A again: each starts a GOP of its own at
    // its first frame, which the GOP made when it shows again goes on from.
    MovieSources src = Sources(2);
    const auto showsB = [](std::int64_t frame) { return frame >= 30 && frame < 70; };
    src.picture = [&](std::int64_t frame, const StudioPlanes& out, const StudioPlanes* same) {
        const std::vector<float> floats = TestFloats(100, out.width, out.height, [&](int x, int y, float* vuya) {
            if (showsB(frame) && x < out.width / 2 && y < out.height / 2)
                vuya[2] = 0.5f; // grey where A is black
        });
        return ConvertedSource(floats, out, same);
    };
    MovieSpec spec = Spec(MovieFormat::Mp4Preview, "ab.mp4", 128, 72, 2);
    spec.frameCount = 125;
    // The first picture's GOP; each later one's opening picture, then its GOP.
    EXPECT_EQ(WriteMovie(spec, src).encodedFrames, 50 + (1 + 50) + (1 + 50));
    EXPECT_EQ(KeyFrames(spec.path), (std::vector<int>{0, 30, 70, 120}));
    EXPECT_EQ(probe::DecodingErrors(spec.path), "");
    btcheck::MediaFile file = btcheck::MediaFile::Open(spec.path);
    for (std::int64_t frame : {29, 30, 69, 70, 124}) {
        const int luma = file.DecodeFrame(frame).At(0, 16, 16); // 8-bit: black 16, grey 126
        EXPECT_NEAR(luma, showsB(frame) ? 126 : 16, 3) << "frame " << frame;
    }
}

TEST_F(Streams, ARealTimeRunRepeatsAPictureThatComesLate)
{
    MovieSpec spec = Spec(MovieFormat::TransportStream, "late.ts", 128, 72, 2);
    spec.realTime = true;
    spec.frameCount = 40;
    MovieSources src = Sources(2, 1000);
    std::atomic<bool> slept{false};
    const auto picture = src.picture;
    src.picture = [&](std::int64_t frame, const StudioPlanes& out, const StudioPlanes* same) {
        if (frame == 15 && !slept.exchange(true))
            std::this_thread::sleep_for(std::chrono::milliseconds(600)); // past the frames painted ahead
        return picture(frame, out, same);
    };
    std::int64_t toldRepeated = 0;
    src.slip = [&](const Slip& slip) { toldRepeated += slip.repeated; };
    const auto begin = std::chrono::steady_clock::now();
    const MovieResult result = WriteMovie(spec, src);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();

    EXPECT_GE(result.repeatedFrames, 1);
    EXPECT_EQ(toldRepeated, result.repeatedFrames);
    EXPECT_EQ(result.droppedFrames, 0);
    EXPECT_EQ(result.frames, 40);
    EXPECT_GE(seconds, 39 * kFrameSeconds); // paced: the last frame goes at its time
    EXPECT_EQ(probe::PictureChecksums(spec.path).size(), 40u); // every frame is there
    EXPECT_EQ(probe::DecodingErrors(spec.path), "");

    spec.realTime = false;
    spec.frameCount = kEndless;
    EXPECT_THROW(CheckMovieSpec(spec), std::invalid_argument); // only a real-time run goes on without end
}

TEST_F(Streams, ARealTimeRunHeldBackDropsTheFramesWhoseTimeHasGoneAndKeepsSync)
{
    // The writer is held up for 0.9 s at frame 15 (as by a stalled
    // receiver): the frames it can no longer send in time are left out,
    // picture and sound alike.
    MovieSpec spec = Spec(MovieFormat::TransportStream, "held.ts", 128, 72, 2);
    spec.realTime = true;
    spec.frameCount = 50;
    MovieSources src = Sources(2, 1000);
    const auto sound = src.sound;
    bool held = false;
    src.sound = [&](std::int64_t position, std::uint32_t count, float* const* out) {
        if (position >= 15 * 1920 && !held) {
            held = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(900));
        }
        sound(position, count, out);
    };
    std::int64_t toldDropped = 0;
    src.slip = [&](const Slip& slip) { toldDropped += slip.dropped; };
    const MovieResult result = WriteMovie(spec, src);

    // Beyond the half second caught up by sending at once: at least ten frames.
    EXPECT_GE(result.droppedFrames, 10);
    EXPECT_EQ(toldDropped, result.droppedFrames);
    EXPECT_EQ(result.frames, 50);
    EXPECT_LE(std::abs(result.samples - (50 - result.droppedFrames) * 1920), 1024); // give or take a sound packet
    const auto packets = probe::PacketPlaces(spec.path);
    const auto pictures = std::count_if(packets.begin(), packets.end(), [](const auto& p) { return p.stream == 0; });
    EXPECT_EQ(pictures, 50 - result.droppedFrames);
    // Both streams end at the run's last frame.
    double end[2] = {0, 0};
    for (const auto& p : packets)
        end[p.stream] = std::max(end[p.stream], p.end);
    EXPECT_NEAR(end[0], end[1], 2 * kFrameSeconds);
    EXPECT_EQ(probe::DecodingErrors(spec.path), "");
}
