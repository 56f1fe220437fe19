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

struct WavStream::State {
    std::string path;
    std::string temporary;
    std::vector<std::size_t> order;
    std::vector<float> interleaved;
    SoundFile file;

    [[noreturn]] void Fail(const std::string& what)
    {
        file.reset();
        std::remove(temporary.c_str());
        throw std::runtime_error("cannot write " + path + ": " + what);
    }
};

WavStream::WavStream(std::string path, int sampleRate, std::size_t channelCount) : mState(std::make_unique<State>())
{
    State& s = *mState;
    s.path = std::move(path);
    s.temporary = s.path + ".partial";
    if (channelCount == 0)
        throw std::runtime_error("cannot write " + s.path + ": no channels");
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = static_cast<int>(channelCount);
    info.format = SF_FORMAT_WAVEX | SF_FORMAT_FLOAT;
    s.file.reset(sf_open(s.temporary.c_str(), SFM_WRITE, &info));
    if (!s.file)
        throw std::runtime_error("cannot write " + s.path + ": " + sf_strerror(nullptr));

    // The mask goes into the header, so it is set before the first frame.
    std::vector<int> speakers = SpeakerMap(channelCount);
    if (!speakers.empty() && sf_command(s.file.get(), SFC_SET_CHANNEL_MAP_INFO, speakers.data(),
                                        static_cast<int>(speakers.size() * sizeof(int))) == SF_FALSE)
        s.Fail("channel mask refused");
    s.order = FileChannelOrder(channelCount);
}

WavStream::~WavStream()
{
    if (mState->file) {
        mState->file.reset();
        std::remove(mState->temporary.c_str());
    }
}

void WavStream::Write(std::span<const float* const> channels, std::size_t frames)
{
    State& s = *mState;
    if (!s.file)
        throw std::logic_error("WavStream::Write after Finish");
    if (channels.size() != s.order.size())
        s.Fail("a stretch of " + std::to_string(channels.size()) + " channels for a file of " +
               std::to_string(s.order.size()));
    constexpr std::size_t kBlockFrames = 4096;
    const std::size_t width = channels.size();
    s.interleaved.resize(kBlockFrames * width);
    for (std::size_t first = 0; first < frames; first += kBlockFrames) {
        const std::size_t n = std::min(kBlockFrames, frames - first);
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t c = 0; c < width; ++c)
                s.interleaved[i * width + c] = channels[s.order[c]][first + i];
        if (sf_writef_float(s.file.get(), s.interleaved.data(), static_cast<sf_count_t>(n)) !=
            static_cast<sf_count_t>(n))
            s.Fail(sf_strerror(s.file.get()));
    }
}

void WavStream::Finish()
{
    State& s = *mState;
    if (!s.file)
        throw std::logic_error("WavStream::Finish twice");
    if (sf_close(s.file.release()) != 0)
        s.Fail("closing failed");
    if (std::rename(s.temporary.c_str(), s.path.c_str()) != 0)
        s.Fail("the finished file could not take its name");
}

} // namespace btmedia
