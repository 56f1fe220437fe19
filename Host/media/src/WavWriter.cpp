#include "btmedia/WavWriter.h"

#include <sndfile.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace btmedia {

namespace {

struct SoundFileCloser {
    void operator()(SNDFILE* f) const noexcept { sf_close(f); }
};
using SoundFile = std::unique_ptr<SNDFILE, SoundFileCloser>;

/// Speaker of each file channel, for the layouts that have a mask.
std::vector<int> SpeakerMap(std::size_t channelCount)
{
    switch (channelCount) {
    case 1: return {SF_CHANNEL_MAP_CENTER};
    case 2: return {SF_CHANNEL_MAP_LEFT, SF_CHANNEL_MAP_RIGHT};
    case 6:
        return {SF_CHANNEL_MAP_LEFT, SF_CHANNEL_MAP_RIGHT,     SF_CHANNEL_MAP_CENTER,
                SF_CHANNEL_MAP_LFE,  SF_CHANNEL_MAP_REAR_LEFT, SF_CHANNEL_MAP_REAR_RIGHT};
    default: return {};
    }
}

[[noreturn]] void Fail(const std::string& path, const std::string& what)
{
    std::remove(path.c_str());
    throw std::runtime_error("cannot write " + path + ": " + what);
}

} // namespace

std::vector<std::size_t> FileChannelOrder(std::size_t channelCount)
{
    if (channelCount == 6)
        return {0, 1, 4, 5, 2, 3};
    std::vector<std::size_t> order(channelCount);
    for (std::size_t i = 0; i < channelCount; ++i)
        order[i] = i;
    return order;
}

void WriteWavFloat(const std::string& path, int sampleRate, std::span<const std::vector<float>> channels)
{
    if (channels.empty())
        throw std::runtime_error("cannot write " + path + ": no channels");
    const std::size_t frames = channels.front().size();
    for (const auto& channel : channels)
        if (channel.size() != frames)
            throw std::runtime_error("cannot write " + path + ": channels of unequal length");

    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = static_cast<int>(channels.size());
    info.format = SF_FORMAT_WAVEX | SF_FORMAT_FLOAT;
    SoundFile file(sf_open(path.c_str(), SFM_WRITE, &info));
    if (!file)
        throw std::runtime_error("cannot write " + path + ": " + sf_strerror(nullptr));

    // The mask goes into the header, so it is set before the first frame.
    std::vector<int> speakers = SpeakerMap(channels.size());
    if (!speakers.empty() &&
        sf_command(file.get(), SFC_SET_CHANNEL_MAP_INFO, speakers.data(), static_cast<int>(speakers.size() * sizeof(int))) ==
            SF_FALSE) {
        file.reset();
        Fail(path, "channel mask refused");
    }

    const std::vector<std::size_t> order = FileChannelOrder(channels.size());
    constexpr std::size_t kBlockFrames = 4096;
    std::vector<float> interleaved(kBlockFrames * channels.size());
    for (std::size_t first = 0; first < frames; first += kBlockFrames) {
        const std::size_t n = std::min(kBlockFrames, frames - first);
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t c = 0; c < channels.size(); ++c)
                interleaved[i * channels.size() + c] = channels[order[c]][first + i];
        if (sf_writef_float(file.get(), interleaved.data(), static_cast<sf_count_t>(n)) != static_cast<sf_count_t>(n)) {
            const std::string error = sf_strerror(file.get());
            file.reset();
            Fail(path, error);
        }
    }
    if (sf_close(file.release()) != 0)
        Fail(path, "closing failed");
}

} // namespace btmedia
