#pragma once
// Writes a clip's sound as a WAV file: 32-bit float samples in the extensible
// format, with a channel mask for mono, stereo and 5.1 so that players route
// each channel to its speaker.

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace btmedia {

/// File channel i holds clip channel FileChannelOrder(n)[i]. The host orders
/// 5.1 as L, R, Ls, Rs, C, LFE; WAV as L, R, C, LFE, Ls, Rs. Other counts keep
/// their order.
[[nodiscard]] std::vector<std::size_t> FileChannelOrder(std::size_t channelCount);

/// Planar channels of equal length, in the host's channel order. Throws
/// std::runtime_error naming the path on failure; a file that could not be
/// written completely is removed.
void WriteWavFloat(const std::string& path, int sampleRate, std::span<const std::vector<float>> channels);

} // namespace btmedia
