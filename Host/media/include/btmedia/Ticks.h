#pragma once
// The host's unit of time for frame durations.

#include <cstdint>

namespace btmedia {

inline constexpr std::int64_t kTicksPerSecond = 254016000000;

} // namespace btmedia
