#pragma once
// A picture of a level overview: one lane per channel, top to bottom, named
// by its channel, one pixel column per level value, filled between the lower
// and the upper envelope on an absolute dBFS scale, with a time axis in
// seconds, so that a cadence's timetable and a tone's level read at a glance.
//
// Rationale: the scale is logarithmic and the same for every picture, one
// pixel per decibel from 0 dBFS at the lane's edge down to -72 dBFS at its
// centre line: a -60 dB tone is a thin band where a -12 dB one nearly fills
// the lane, and two pictures compare directly. Quieter values fall on the
// centre line; positive values grow upward and negative ones downward.

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

/// What the picture says beside the levels.
struct LevelsLegend {
    std::vector<std::string> channelNames; ///< one per lane; a lane without one is numbered
    double valuesPerSecond = 100.0;        ///< columns per second, for the time axis
    double startSeconds = 0.0;             ///< clip time of the first column
};

inline constexpr double kWaveformFloorDb = -72.0;   ///< the centre line; quieter values are drawn there
inline constexpr int kWaveformLaneHalf = 72;        ///< pixels from the centre line to 0 dBFS: one per dB
inline constexpr int kWaveformLaneHeight = 2 * kWaveformLaneHalf + 1; ///< pixels per channel lane
inline constexpr int kWaveformLaneGap = 10;         ///< pixels between lanes
inline constexpr int kWaveformLeft = 64;            ///< the margin with names and the dB scale
inline constexpr int kWaveformTop = 12;             ///< above the first lane: the scale's unit
inline constexpr int kWaveformBottom = 16;          ///< below the last lane: the time axis
inline constexpr int kWaveformRight = 16;           ///< room for the last time label

/// The picture of the levels. Values that are not numbers are left out.
[[nodiscard]] RgbImage DrawWaveform(std::span<const std::vector<float>> upper, std::span<const std::vector<float>> lower,
                                    const LevelsLegend& legend = {});

/// DrawWaveform written as an 8-bit PNG into `output`, committed when
/// complete. Throws WriteFailed or std::runtime_error on failure.
void WriteWaveformPng(OutputFile& output, std::span<const std::vector<float>> upper,
                      std::span<const std::vector<float>> lower, const LevelsLegend& legend = {});

} // namespace btmedia
