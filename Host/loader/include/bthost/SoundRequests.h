#pragma once
// The host's side of the two sound selectors: selector 25 (samples) and
// selector 49 (level overview), built as packed request records over planar
// float buffers that the host owns.

#include "ImporterBarsAndTone/HostRecords.h"
#include "bthost/Host.h"

#include <array>
#include <cstdint>
#include <vector>

namespace bthost {

/// The settings records a sound request carries: the module reads the first
/// choice (the per-file record) and falls back to the second (the stored one).
struct SettingsChoice {
    const void* first = nullptr;
    const void* second = nullptr;
};

/// Planar samples, one vector per channel.
using PlanarSamples = std::vector<std::vector<float>>;

using AudioRequestRecord = std::array<std::uint8_t, bt::records::AudioRequest::kMinSize>;
using LevelRequestRecord = std::array<std::uint8_t, bt::records::LevelRequest::kMinSize>;

/// A selector-25 record over caller-owned buffers (one pointer per channel).
[[nodiscard]] AudioRequestRecord MakeAudioRequest(SettingsChoice settings, std::int64_t position,
                                                  std::uint32_t sampleCount, float* const* channelBuffers);
/// A selector-49 record over caller-owned upper and lower buffers.
[[nodiscard]] LevelRequestRecord MakeLevelRequest(SettingsChoice settings, std::int64_t position, float levelRate,
                                                  std::int32_t valueCount, float* const* upperBuffers,
                                                  float* const* lowerBuffers);

struct SoundResult {
    std::int32_t result = 0;
    PlanarSamples channels;
};
/// Selector 25 into channelCount fresh buffers of sampleCount samples, each
/// prefilled with fill so that untouched samples can be told apart.
[[nodiscard]] SoundResult RequestAudio(Host& host, SettingsChoice settings, std::int64_t position,
                                       std::uint32_t sampleCount, std::size_t channelCount, float fill = 0.0f);

struct LevelResult {
    std::int32_t result = 0;
    PlanarSamples upper;
    PlanarSamples lower;
};
/// Selector 49 into channelCount fresh pairs of buffers (of no elements when
/// valueCount is negative), prefilled with fill.
[[nodiscard]] LevelResult RequestLevels(Host& host, SettingsChoice settings, std::int64_t position, float levelRate,
                                        std::int32_t valueCount, std::size_t channelCount, float fill = 0.0f);

} // namespace bthost
