#include "audio/SineCore.h"

#include "audio/SampleClock.h"
#include "audio/SineSamples.h"
#include "zelaccelerate/VectorUtility.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace bt {

namespace {

namespace va = zelaccelerate::utility;

// The vector library counts in unsigned 32 bits; runs count in 64.
constexpr std::int64_t kLargestBlock = std::numeric_limits<std::uint32_t>::max();

void ZeroSamples(float* out, std::int64_t count) noexcept
{
    while (count > 0) {
        const std::int64_t n = std::min(count, kLargestBlock);
        va::Zero(static_cast<std::uint32_t>(n), out);
        out += n;
        count -= n;
    }
}

void CopySamples(const float* source, float* destination, std::int64_t count) noexcept
{
    while (count > 0) {
        const std::int64_t n = std::min(count, kLargestBlock);
        va::Copy(static_cast<std::uint32_t>(n), source, destination);
        source += n;
        destination += n;
        count -= n;
    }
}

/// First non-null buffer of a channel list, or the end of the list.
std::span<float* const>::iterator FirstBuffer(std::span<float* const> channels) noexcept
{
    return std::find_if(channels.begin(), channels.end(), [](float* b) { return b != nullptr; });
}

void CopyIntoOthers(std::span<float* const> channels, std::span<float* const>::iterator first, std::int64_t offset,
                    std::int64_t count) noexcept
{
    const float* source = *first + offset;
    for (auto it = first + 1; it != channels.end(); ++it)
        if (*it != nullptr)
            CopySamples(source, *it + offset, count);
}

} // namespace

void RenderSine(zelmediatypes::FrameRate rate, zelmediatypes::TickTime start, float frequency, float level,
                float* out, std::int64_t count, bool levelOnly) noexcept
{
    if (count <= 0)
        return;
    if (levelOnly) {
        std::fill_n(out, count, level);
        return;
    }
    if (!HasTimeAxis(rate, start, count)) {
        ZeroSamples(out, count);
        return;
    }
    const double cyclesPerSample = static_cast<double>(frequency) / ElementsPerSecond(rate);
    const double step = cyclesPerSample * kTwoPiSingle;
    // Only the fractional cycle of the first sample's phase survives, so the
    // phase stays small however far into the clip the request lies.
    // std::trunc equals truncation through a 64-bit integer wherever that is
    // defined, and is exact (fraction 0) beyond.
    const double cycles = static_cast<double>(zelmediatypes::ToFrame64(start, rate)) * cyclesPerSample;
    double phase = (cycles - std::trunc(cycles)) * kTwoPiSingle;
    WriteSineSamples(phase, step, static_cast<double>(level), out, count);
}

void ToneOnChannels(std::span<float* const> channels, Tone tone, zelmediatypes::FrameRate rate,
                    zelmediatypes::TickTime start, std::int64_t offset, std::int64_t count, bool levelOnly) noexcept
{
    const auto first = FirstBuffer(channels);
    if (first == channels.end() || count <= 0)
        return;
    RenderSine(rate, start, tone.frequency, tone.level, *first + offset, count, levelOnly);
    CopyIntoOthers(channels, first, offset, count);
}

void SilenceOnChannels(std::span<float* const> channels, std::int64_t offset, std::int64_t count) noexcept
{
    const auto first = FirstBuffer(channels);
    if (first == channels.end() || count <= 0)
        return;
    ZeroSamples(*first + offset, count);
    CopyIntoOthers(channels, first, offset, count);
}

std::int64_t RunLength(zelmediatypes::FrameRate rate, zelmediatypes::TickTime boundary,
                       zelmediatypes::TickTime requestEnd, zelmediatypes::TickTime t) noexcept
{
    const std::int64_t n = zelmediatypes::ToFrame64(std::min(boundary, requestEnd) - t, rate);
    return n > 0 ? n : 1;
}

} // namespace bt
