#pragma once
// What selector 37 tells the host about a clip, read from the clip
// information record.

#include <cstdint>
#include <vector>

namespace bthost {

struct ClipDescription {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint32_t parNumerator = 0;
    std::uint32_t parDenominator = 0;
    std::int64_t frameDuration = 0; ///< ticks, 254016000000 per second
    std::uint32_t audioChannels = 0;
    float audioRate = 0.0f;         ///< Hz
    std::int64_t audioSamples = 0;  ///< length of the sound
    bool colorManaged = false;
    void* perFileRecord = nullptr;  ///< the module's; hand back with selector 9
    void* persisted = nullptr;      ///< host block holding the clip's stored settings
};

/// Reads a filled clip information record; throws std::invalid_argument for
/// one shorter than the record.
[[nodiscard]] ClipDescription ReadClipDescription(const std::vector<std::uint8_t>& clipInfo);

} // namespace bthost
