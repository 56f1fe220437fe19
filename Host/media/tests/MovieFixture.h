#pragma once
// Test helper: a folder of small movies written from recognisable material,
// and what ffprobe says of them.

#include "MovieProbe.h"
#include "MovieTestSources.h"
#include "TestFolder.h"
#include "ToolProbe.h"
#include "btmedia/MovieWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace btmedia::test {

using nlohmann::json;

/// Movies of `width` x `height` at 25 fps with sound at 48 kHz, three frames
/// unless a test says otherwise, timecode 10:00:00:00.
class MovieFixture : public FolderTest {
protected:
    MovieSpec Spec(MovieFormat format, const std::string& name, int width, int height, int channels)
    {
        MovieSpec s;
        s.format = format;
        s.path = Path(name);
        s.width = width;
        s.height = height;
        s.frameDuration = kTicks25;
        s.audioRate = 48000;
        s.audioChannels = channels;
        s.frameCount = 3;
        s.pictureThreads = 2;
        s.timecode = ParseTimecode("10:00:00:00", kTicks25, false);
        return s;
    }

    /// Every frame the same picture but for pixel (0, 0), which changes every
    /// `run` frames.
    static MovieSources Sources(int channels, int run = 1)
    {
        MovieSources src;
        src.picture = [run](std::int64_t frame, const StudioPlanes& out, const StudioPlanes* same) {
            return TestSource(static_cast<std::uint16_t>(100 + frame / run), out, same);
        };
        src.sound = [channels](std::int64_t position, std::uint32_t count, float* const* out) {
            TestSound(position, count, out, channels, 48000);
        };
        return src;
    }

    /// The first stream of a type in ffprobe's report.
    static json Stream(const json& probe, const std::string& type, int nth = 0)
    {
        for (const json& s : probe.at("streams"))
            if (s.value("codec_type", "") == type && nth-- == 0)
                return s;
        throw std::runtime_error("no " + type + " stream");
    }

    static std::vector<std::string> ColourOf(const json& video)
    {
        return {video.value("color_primaries", ""), video.value("color_transfer", ""), video.value("color_space", ""),
                video.value("color_range", "")};
    }

    /// The picture stream's codec, profile, pixel format and colour tags as ffprobe reports them.
    static void ExpectVideo(const json& video, const std::string& codec, const std::string& profile,
                            const std::string& pixels, const std::vector<std::string>& colour)
    {
        EXPECT_EQ(video.value("codec_name", ""), codec);
        EXPECT_EQ(video.value("profile", ""), profile);
        EXPECT_EQ(video.value("pix_fmt", ""), pixels);
        EXPECT_EQ(ColourOf(video), colour);
    }

    /// The movie written with repeated pictures reused and again in full: both
    /// decode to the same frames (from frame `from` on). Returns the pictures
    /// the reusing one encoded.
    std::int64_t ReusedDecodesAsFull(MovieSpec spec, const MovieSources& src, std::ptrdiff_t from = 0)
    {
        const MovieResult reused = WriteMovie(spec, src);
        const std::string reusedPath = spec.path;
        spec.path = Path("full-" + std::filesystem::path(reusedPath).filename().string());
        spec.reuseIdenticalPictures = false;
        EXPECT_EQ(WriteMovie(spec, src).encodedFrames, spec.frameCount);
        const auto checksums = probe::PictureChecksums(reusedPath);
        EXPECT_EQ(checksums.size(), static_cast<std::size_t>(spec.frameCount)) << reusedPath;
        const auto after = [from](const std::vector<std::string>& frames) {
            return std::vector(frames.begin() + std::min(from, std::ssize(frames)), frames.end());
        };
        EXPECT_EQ(after(checksums), after(probe::PictureChecksums(spec.path))) << reusedPath;
        return reused.encodedFrames;
    }
};


} // namespace btmedia::test
