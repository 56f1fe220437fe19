#pragma once
// A picture of a level overview: one lane per channel, top to bottom, one
// pixel column per level value, filled between the lower and the upper
// envelope, so that a cadence's timetable can be read at a glance.

#include "btmedia/OutputFile.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace btmedia {

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; ///< rows top to bottom, R, G, B per pixel
};

inline constexpr int kWaveformLaneHeight = 96; ///< pixels per channel lane
inline constexpr int kWaveformLaneGap = 4;     ///< pixels between lanes

/// Lanes scale together: the largest magnitude of all values reaches the lane
/// edge, so levels of different channels compare directly. Values that are
/// not numbers are left out.
[[nodiscard]] RgbImage DrawWaveform(std::span<const std::vector<float>> upper, std::span<const std::vector<float>> lower);

/// DrawWaveform written as an 8-bit PNG into `output`, committed when
/// complete. Throws WriteFailed or std::runtime_error on failure.
void WriteWaveformPng(OutputFile& output, std::span<const std::vector<float>> upper,
                      std::span<const std::vector<float>> lower);

} // namespace btmedia
