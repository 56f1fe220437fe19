#pragma once
// Writes a clip's sound the way a person checks it: a WAV file to listen to
// and a picture of the level overview, one lane per channel.

#include "bthost/Host.h"
#include "bthost/SoundRequests.h"

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <string>

namespace btrun {

struct SoundClip {
    std::string name;                  ///< file stem, e.g. "default-tone"
    bthost::SettingsChoice settings;   ///< what the requests carry
    std::size_t channels = 0;
    float rate = 0.0f;                 ///< samples per second
    double seconds = 0.0;
};

/// Level values per second in the picture: ten per 0.1-second slot of the
/// finest cadence.
inline constexpr float kPictureLevelRate = 100.0f;

/// Reads the clip's sound in 1024-sample requests into <dir>/<name>.wav and
/// its level overview into <dir>/<name>-levels.png, and says where.
void WriteSoundFiles(bthost::Host& host, const SoundClip& clip, const std::filesystem::path& dir, std::ostream& out);

} // namespace btrun
