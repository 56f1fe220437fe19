#pragma once
// Writes a clip's sound as a WAV file: 32-bit float samples in the extensible
// format, with a channel mask for mono, stereo and 5.1 so that players route
// each channel to its speaker.

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace btmedia {

/// File channel i holds clip channel FileChannelOrder(n)[i]. The host orders
/// 5.1 as L, R, Ls, Rs, C, LFE; WAV as L, R, C, LFE, Ls, Rs. Other counts keep
/// their order.
[[nodiscard]] std::vector<std::size_t> FileChannelOrder(std::size_t channelCount);

/// A WAV file written a stretch at a time, so that hours of sound need no more
/// memory than one stretch. The file grows under a temporary name beside its
/// own and takes its name only in Finish(): a writer destroyed before that (a
/// failed request, an exception) leaves nothing behind. Failures throw
/// std::runtime_error naming the path.
class WavStream {
public:
    WavStream(std::string path, int sampleRate, std::size_t channelCount);
    ~WavStream();
    WavStream(const WavStream&) = delete;
    WavStream& operator=(const WavStream&) = delete;

    /// `frames` samples of each channel, planar, in the host's channel order.
    void Write(std::span<const float* const> channels, std::size_t frames);
    /// Completes the header and gives the file its name.
    void Finish();

private:
    struct State;
    std::unique_ptr<State> mState;
};

} // namespace btmedia
