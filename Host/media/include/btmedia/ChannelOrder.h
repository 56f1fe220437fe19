#pragma once
// The host's channels as files and people see them, from the module's
// channel layouts: which host channel each file channel carries, and the
// channels' names. Counts without a layout keep their order and are numbered.

#include <cstddef>
#include <string>
#include <vector>

namespace btmedia {

/// The host channel that file channel `fileChannel` of a `channels`-channel
/// file carries: for 5.1 the host's L, R, Ls, Rs, C, LFE become the file's L,
/// R, C, LFE, Ls, Rs.
[[nodiscard]] std::size_t FileChannelSource(std::size_t channels, std::size_t fileChannel) noexcept;

/// The name of host channel `channel` of `channels`: "Mono"; "L", "R"; for
/// 5.1 "L", "R", "Ls", "Rs", "C", "LFE"; its number from 1 otherwise.
[[nodiscard]] std::string HostChannelName(std::size_t channels, std::size_t channel);

/// Every host channel's name, in the host's order.
[[nodiscard]] std::vector<std::string> HostChannelNames(std::size_t channels);

} // namespace btmedia
