#include "FileProbe.h"
#include "TestFolder.h"
#include "btmedia/SoundWriter.h"

#include <sndfile.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using WavWriter = btmedia::test::FolderTest;
using SoundWriter = btmedia::test::FolderTest;

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
    btmedia::OutputFile output(path, {btmedia::Overwrite::Always, {}});
    btmedia::SoundWriter writer(output, {}, sampleRate, channels.size());
    writer.Write(planes, channels.empty() ? 0 : channels.front().size());
    writer.Finish();
}

/// The speaker mask of a WAVE_FORMAT_EXTENSIBLE fmt chunk, read from the bytes.
std::uint32_t ChannelMask(const std::string& path)
{
    const std::string bytes = btmedia::test::ReadFile(path);
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

TEST_F(WavWriter, ChannelsGoInTheFilesSpeakerOrderWithTheirMask)
{
    struct Case {
        std::size_t channels;
        int rate;
        std::uint32_t mask;
        std::vector<std::size_t> clipOfFile; ///< the clip channel in each file channel
    } cases[] = {
        {1, 48000, 0x4, {0}}, // front centre
        {2, 44100, 0x3, {0, 1}},
        {6, 48000, 0x3F, {0, 1, 4, 5, 2, 3}}, // FL FR FC LFE BL BR from the clip's L, R, Ls, Rs, C, LFE
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.channels);
        const std::string path = Path(std::to_string(c.channels) + ".wav");
        const auto clip = Labelled(c.channels, 5000);
        WriteWhole(path, c.rate, clip);
        const auto r = btmedia::probe::ReadSound(path);
        EXPECT_EQ(r.format, SF_FORMAT_WAVEX | SF_FORMAT_FLOAT);
        EXPECT_EQ(r.rate, c.rate);
        EXPECT_EQ(ChannelMask(path), c.mask);
        ASSERT_EQ(r.interleaved.size(), c.channels * 5000u);
        for (std::size_t i : {std::size_t{0}, std::size_t{4095}, std::size_t{4096}, std::size_t{4999}})
            for (std::size_t f = 0; f < c.channels; ++f)
                EXPECT_EQ(r.interleaved[i * c.channels + f], clip[c.clipOfFile[f]][i])
                    << "frame " << i << " file channel " << f;
    }
}

TEST_F(WavWriter, BadInputThrowsAndLeavesNoFile)
{
    const std::string path = Path("bad.wav");
    EXPECT_THROW(WriteWhole(path, 48000, {}), std::runtime_error);
    EXPECT_THROW(WriteWhole(Path("no-folder/x.wav"), 48000, Labelled(2, 4)), btmedia::WriteFailed);
    EXPECT_EQ(FilesLeft(), 0u);
}

TEST_F(SoundWriter, StretchesMakeTheSameFileAsTheWholeAndAnUnfinishedOneLeavesNothing)
{
    const std::string whole = Path("whole.wav"), pieces = Path("pieces.wav");
    const auto clip = Labelled(6, 5000);
    WriteWhole(whole, 48000, clip);
    {
        btmedia::OutputFile output(pieces, {});
        btmedia::SoundWriter writer(output, {}, 48000, 6);
        for (std::size_t first = 0; first < 5000; first += 1024) {
            std::vector<const float*> planes;
            for (const auto& channel : clip)
                planes.push_back(channel.data() + first);
            writer.Write(planes, std::min<std::size_t>(1024, 5000 - first));
            EXPECT_FALSE(std::filesystem::exists(pieces)) << "the name is taken only when finished";
        }
        writer.Finish();
    }
    EXPECT_EQ(btmedia::probe::ReadSound(pieces).interleaved, btmedia::probe::ReadSound(whole).interleaved);

    {
        btmedia::OutputFile output(Path("abandoned.wav"), {});
        btmedia::SoundWriter writer(output, {}, 48000, 2);
        const std::vector<const float*> planes{clip[0].data(), clip[1].data()};
        writer.Write(planes, 100);
        EXPECT_THROW(writer.Write(std::vector<const float*>{clip[0].data()}, 10), std::runtime_error);
    }
    EXPECT_EQ(FilesLeft(), 2u);
}

/// Two channels: a sine, and a constant with one sample beyond full scale.
std::vector<std::vector<float>> SineAndOver(std::size_t frames)
{
    std::vector<std::vector<float>> clip(2, std::vector<float>(frames));
    for (std::size_t i = 0; i < frames; ++i) {
        clip[0][i] = 0.5f * std::sin(static_cast<float>(i) / 10.0f);
        clip[1][i] = i == 7 ? 1.5f : -0.25f; // beyond full scale: held, not wrapped
    }
    return clip;
}

TEST_F(SoundWriter, EachContainerKeepsEachSampleFormatItHoldsUnderEachOfItsNames)
{
    using btmedia::SampleFormat;
    // What libsndfile reads back; a small WAV stays WAV (RF64's own switch).
    const std::map<std::string, int, std::less<>> kMajor = {
        {"wav", SF_FORMAT_WAVEX}, {"rf64", SF_FORMAT_RF64}, {"flac", SF_FORMAT_FLAC}, {"aiff", SF_FORMAT_AIFF}};
    const std::map<SampleFormat, std::pair<int, float>> kSubtype = {// and one quantisation step
                                                                     {SampleFormat::Int16, {SF_FORMAT_PCM_16, 1.0f / 32768}},
                                                                     {SampleFormat::Int24, {SF_FORMAT_PCM_24, 1.0f / 8388608}},
                                                                     {SampleFormat::Float32, {SF_FORMAT_FLOAT, 0.0f}}};
    const auto clip = SineAndOver(3000);
    const std::vector<const float*> planes{clip[0].data(), clip[1].data()};
    for (const btmedia::FormatList::Entry& entry : btmedia::SoundFormatList().entries) {
        const auto container = static_cast<btmedia::SoundContainer>(entry.format);
        ASSERT_TRUE(kMajor.count(entry.names.name)) << "no expectation for " << entry.names.name;
        for (std::string_view extension : entry.names.extensions) {
            for (const btmedia::SampleFormatRow& samples : btmedia::kSampleFormats) {
                std::string name = std::string(entry.names.name) + std::string(samples.token) + std::string(extension);
                name.back() = static_cast<char>(std::toupper(name.back())); // the name in any case
                SCOPED_TRACE(name);
                if (extension.empty())
                    continue;
                EXPECT_EQ(btmedia::SoundContainerOfName(name), container);
                btmedia::OutputFile output(Path(name), {});
                if (!btmedia::Holds(container, samples.format)) {
                    EXPECT_THROW(btmedia::SoundWriter(output, {container, samples.format}, 48000, 2), std::runtime_error);
                    continue;
                }
                btmedia::SoundWriter writer(output, {container, samples.format}, 48000, 2);
                writer.Write(planes, 3000);
                writer.Finish();
                const auto back = btmedia::probe::ReadSound(Path(name));
                const auto [subtype, step] = kSubtype.at(samples.format);
                EXPECT_EQ(back.format, kMajor.find(entry.names.name)->second | subtype);
                ASSERT_EQ(back.interleaved.size(), 6000u);
                for (std::size_t i : {0u, 7u, 1234u, 2999u})
                    EXPECT_NEAR(back.interleaved[2 * i], clip[0][i], step) << i;
                if (samples.format != SampleFormat::Float32) {
                    EXPECT_NEAR(back.interleaved[2 * 7 + 1], 1.0f, step);
                }
            }
        }
    }
    EXPECT_FALSE(btmedia::SoundContainerOfName("x.mp3"));
    EXPECT_FALSE(btmedia::SoundContainerOfName("wav"));
}

TEST_F(SoundWriter, AContainerGoesDownAPipeWholeOrIsRefusedBeforeAnyByteAndStandardOutputsGoes)
{
    const auto clip = SineAndOver(3000);
    const std::vector<const float*> planes{clip[0].data(), clip[1].data()};
    const btmedia::FormatList list = btmedia::SoundFormatList();
    for (std::size_t e = 0; e < list.entries.size(); ++e) {
        const auto container = static_cast<btmedia::SoundContainer>(list.entries[e].format);
        const std::string pipe = Path(std::string(list.entries[e].names.name) + ".pipe");
        SCOPED_TRACE(pipe);
        ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
        std::string received;
        std::thread reader([&] { received = btmedia::test::ReadFile(pipe); });
        bool refused = false;
        try {
            btmedia::OutputFile output(pipe, {});
            btmedia::SoundWriter writer(output, {container, btmedia::DefaultSamples(container)}, 48000, 2);
            writer.Write(planes, 3000);
            writer.Finish();
        } catch (const btmedia::OutputRefused&) {
            refused = true;
            close(open(pipe.c_str(), O_WRONLY)); // lets the reader go
        }
        reader.join();
        if (e == list.standardOutput) {
            EXPECT_FALSE(refused) << "standard output carries it";
        }
        if (refused) {
            EXPECT_TRUE(received.empty());
            continue;
        }
        std::ofstream(Path("received"), std::ios::binary) << received;
        EXPECT_EQ(btmedia::probe::ReadSound(Path("received")).interleaved.size(), 6000u);
    }
}
