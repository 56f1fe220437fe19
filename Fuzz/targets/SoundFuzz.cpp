// Selectors 25 and 49: samples and level overviews for settings, positions,
// counts and rates from the fuzzer (NaN and infinite rates, negative and
// enormous counts and positions included). Input: up to four requests of
//   u8 selector and buffer flags, u8 settings choice, 72 bytes of settings,
//   i64 position, u32 count, f32 level rate, u8 missing-channel mask.
//
// The host gives one buffer per channel the clip declares (its
// audioChannelCount), each of exactly `count` floats. Counts above what the
// harness allocates are asked with no buffer array at all, which the module
// must answer without writing.

#include "ImporterBarsAndTone/HostRecords.h"
#include "ImporterBarsAndTone/ImporterAbi.h"
#include "barsandtone/PackedBytes.h"
#include "harness/FuzzHost.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace {

using namespace btfuzz;
using namespace bt::packed;
namespace rec = bt::records;

constexpr int kRequestsPerInput = 4;
constexpr std::uint32_t kMostSamples = 1u << 12;
constexpr std::uint32_t kMostChannels = 8;
constexpr float kFill = -12345.0f;

/// One buffer per channel, each of exactly `count` floats, and the array of
/// their addresses at exactly one pointer per channel.
struct ChannelBuffers {
    std::vector<ExactBlock> buffers;
    ExactBlock array;

    ChannelBuffers(std::uint32_t channels, std::uint32_t count, std::uint8_t missingMask)
        : array(channels * sizeof(float*))
    {
        for (std::uint32_t c = 0; c < channels; ++c) {
            buffers.emplace_back(count * sizeof(float));
            for (std::uint32_t i = 0; i < count; ++i)
                StoreF32(buffers.back().data(), i * sizeof(float), kFill);
            const bool missing = c < 8 && ((missingMask >> c) & 1u) != 0;
            StorePtr(array.data(), c * sizeof(float*), missing ? nullptr : buffers.back().data());
        }
    }
    [[nodiscard]] float Sample(std::uint32_t channel, std::uint32_t i) const
    {
        return LoadF32(buffers[channel].data(), i * sizeof(float));
    }
    [[nodiscard]] bool Present(std::uint32_t channel) const
    {
        return LoadPtr(array.data(), channel * sizeof(float*)) != nullptr;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ByteReader in(data, size);
    FuzzHost host(HostProfile{});
    for (int r = 0; r < kRequestsPerInput && !in.Empty(); ++r) {
        const auto flags = in.Take<std::uint8_t>();
        const auto choice = in.Take<std::uint8_t>();
        const ExactBlock settings = ReadSettings(in);
        const auto position = in.Take<std::int64_t>();
        const auto rawCount = in.Take<std::uint32_t>();
        const auto levelRate = in.Take<float>();
        const auto missingMask = in.Take<std::uint8_t>();

        const void* first = (choice & 1u) != 0 ? nullptr : settings.data();
        const void* second = (choice & 2u) != 0 ? nullptr : settings.data();
        const std::uint32_t declared = LoadU32(settings.data(), rec::ToneSettingsRecord::kAudioChannelCount);
        const bool levels = (flags & 1u) != 0;
        // Without buffers: the count as the fuzzer gave it, however large.
        const bool withBuffers = (flags & 2u) == 0 && declared <= kMostChannels;
        const std::uint32_t channels = withBuffers ? declared : 0;
        const std::int32_t levelCount =
            withBuffers ? static_cast<std::int32_t>(rawCount) % static_cast<std::int32_t>(kMostSamples + 1)
                        : static_cast<std::int32_t>(rawCount);
        const std::uint32_t sampleCount = withBuffers ? rawCount % (kMostSamples + 1) : rawCount;
        const std::uint32_t allocated =
            !withBuffers ? 0 : levels ? (levelCount > 0 ? static_cast<std::uint32_t>(levelCount) : 0) : sampleCount;

        ChannelBuffers upper(channels, allocated, missingMask);
        ChannelBuffers lower(channels, allocated, 0);
        std::int32_t result = 0;
        if (!levels) {
            namespace a = rec::AudioRequest;
            ExactBlock request(a::kMinSize);
            StoreI64(request.data(), a::kPosition, position);
            StoreU32(request.data(), a::kSampleCount, sampleCount);
            StorePtr(request.data(), a::kChannelBuffers, withBuffers ? upper.array.data() : nullptr);
            StorePtr(request.data(), a::kSettingsFirst, first);
            StorePtr(request.data(), a::kSettingsSecond, second);
            result = host.Call(BT_SEL_GET_AUDIO, std::intptr_t{0}, reinterpret_cast<std::intptr_t>(request.data()));
        } else {
            namespace l = rec::LevelRequest;
            ExactBlock request(l::kMinSize);
            StorePtr(request.data(), l::kSettingsFirst, first);
            StorePtr(request.data(), l::kSettingsSecond, second);
            StoreI64(request.data(), l::kPosition, position);
            StoreF32(request.data(), l::kLevelRate, levelRate);
            StoreI32(request.data(), l::kSampleCount, levelCount);
            StorePtr(request.data(), l::kUpperBuffers, withBuffers ? upper.array.data() : nullptr);
            StorePtr(request.data(), l::kLowerBuffers, withBuffers ? lower.array.data() : nullptr);
            result = host.Call(BT_SEL_GET_AUDIO_LEVELS, std::intptr_t{0}, reinterpret_cast<std::intptr_t>(request.data()));
        }

        const bool noSettings = first == nullptr && second == nullptr;
        BT_FUZZ_CHECK(result == (noSettings ? 5 : 0));
        for (std::uint32_t c = 0; c < channels; ++c) {
            for (std::uint32_t i = 0; i < allocated; ++i) {
                const float u = upper.Sample(c, i);
                if (noSettings)
                    BT_FUZZ_CHECK(u == kFill && lower.Sample(c, i) == kFill);
                // The lower envelope is the upper one negated, value for value.
                if (levels && !noSettings && upper.Present(c))
                    BT_FUZZ_CHECK(std::isnan(u) ? std::isnan(lower.Sample(c, i)) : lower.Sample(c, i) == -u);
            }
        }
    }
    return 0;
}
