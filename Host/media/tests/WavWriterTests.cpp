#include "FileProbe.h"
#include "TestFolder.h"
#include "btmedia/WavWriter.h"

#include <sndfile.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using WavWriter = btmedia::test::FolderTest;
using WavStream = btmedia::test::FolderTest;

/// Planar channels where every sample names its channel and index.
std::vector<std::vector<float>> Labelled(std::size_t channels, std::size_t frames)
{
    std::vector<std::vector<float>> out(channels, std::vector<float>(frames));
    for (std::size_t c = 0; c < channels; ++c)
        for (std::size_t i = 0; i < frames; ++i)
            out[c][i] = static_cast<float>(c + 1) + static_cast<float>(i) / 100000.0f;
    return out;
}

/// Planar channels of equal length as one file, written in one stretch.
void WriteWhole(const std::string& path, int sampleRate, const std::vector<std::vector<float>>& channels)
{
    std::vector<const float*> planes;
    for (const auto& channel : channels)
        planes.push_back(channel.data());
    btmedia::WavStream stream(path, sampleRate, channels.size());
    stream.Write(planes, channels.empty() ? 0 : channels.front().size());
    stream.Finish();
}

/// The speaker mask of a WAVE_FORMAT_EXTENSIBLE fmt chunk, read from the bytes.
std::uint32_t ChannelMask(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> d((std::istreambuf_iterator<char>(in)), {});
    const std::string bytes(d.begin(), d.end());
    const auto fmt = bytes.find("fmt ");
    std::uint16_t tag = 0;
    std::uint32_t mask = 0;
    if (fmt == std::string::npos || fmt + 8 + 24 > bytes.size())
        return 0;
    std::memcpy(&tag, bytes.data() + fmt + 8, 2);
    std::memcpy(&mask, bytes.data() + fmt + 8 + 20, 4);
    return tag == 0xFFFE ? mask : 0;
}

} // namespace

TEST_F(WavWriter, FiveOneIsReorderedToTheFilesSpeakerOrderWithItsMask)
{
    const std::string path = Path("surround.wav");
    const auto clip = Labelled(6, 5000);
    WriteWhole(path, 48000, clip);
    const auto r = btmedia::probe::ReadSound(path);
    EXPECT_EQ(r.format, SF_FORMAT_WAVEX | SF_FORMAT_FLOAT);
    EXPECT_EQ(r.rate, 48000);
    ASSERT_EQ(r.interleaved.size(), 6u * 5000u);
    EXPECT_EQ(ChannelMask(path), 0x3Fu); // FL FR FC LFE BL BR
    EXPECT_EQ(r.speakers, (std::vector<int>{SF_CHANNEL_MAP_LEFT, SF_CHANNEL_MAP_RIGHT, SF_CHANNEL_MAP_CENTER,
                                            SF_CHANNEL_MAP_LFE, SF_CHANNEL_MAP_REAR_LEFT, SF_CHANNEL_MAP_REAR_RIGHT}));
    // File channels are clip channels L, R, C, LFE, Ls, Rs.
    const std::size_t clipOfFile[] = {0, 1, 4, 5, 2, 3};
    for (std::size_t i : {std::size_t{0}, std::size_t{4095}, std::size_t{4096}, std::size_t{4999}})
        for (std::size_t f = 0; f < 6; ++f)
            EXPECT_EQ(r.interleaved[i * 6 + f], clip[clipOfFile[f]][i]) << "frame " << i << " file channel " << f;
}

TEST_F(WavWriter, StereoAndMonoKeepTheirOrderWithTheirMasks)
{
    const std::string path = Path("stereo.wav");
    const auto clip = Labelled(2, 10);
    WriteWhole(path, 44100, clip);
    const auto r = btmedia::probe::ReadSound(path);
    EXPECT_EQ(ChannelMask(path), 0x3u);
    EXPECT_EQ(r.rate, 44100);
    EXPECT_EQ(r.interleaved[2 * 7 + 1], clip[1][7]);

    WriteWhole(path, 48000, Labelled(1, 10));
    EXPECT_EQ(ChannelMask(path), 0x4u); // front centre
}

TEST_F(WavWriter, BadInputThrowsAndLeavesNoFile)
{
    const std::string path = Path("bad.wav");
    EXPECT_THROW(WriteWhole(path, 48000, {}), std::runtime_error);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(std::filesystem::exists(path + ".partial"));
    EXPECT_THROW(WriteWhole("/nonexistent-dir/x.wav", 48000, Labelled(2, 4)), std::runtime_error);
}

TEST_F(WavStream, StretchesMakeTheSameFileAsTheWholeAndAnUnfinishedOneLeavesNothing)
{
    const std::string whole = Path("whole.wav"), pieces = Path("pieces.wav");
    const auto clip = Labelled(6, 5000);
    WriteWhole(whole, 48000, clip);
    {
        btmedia::WavStream stream(pieces, 48000, 6);
        for (std::size_t first = 0; first < 5000; first += 1024) {
            std::vector<const float*> planes;
            for (const auto& channel : clip)
                planes.push_back(channel.data() + first);
            stream.Write(planes, std::min<std::size_t>(1024, 5000 - first));
            EXPECT_FALSE(std::filesystem::exists(pieces)) << "the name is taken only when finished";
        }
        stream.Finish();
    }
    EXPECT_EQ(btmedia::probe::ReadSound(pieces).interleaved, btmedia::probe::ReadSound(whole).interleaved);

    const std::string abandoned = Path("abandoned.wav");
    {
        btmedia::WavStream stream(abandoned, 48000, 2);
        const std::vector<const float*> planes{clip[0].data(), clip[1].data()};
        stream.Write(planes, 100);
        EXPECT_THROW(stream.Write(std::vector<const float*>{clip[0].data()}, 10), std::runtime_error);
    }
    EXPECT_FALSE(std::filesystem::exists(abandoned));
    EXPECT_FALSE(std::filesystem::exists(abandoned + ".partial"));
}
