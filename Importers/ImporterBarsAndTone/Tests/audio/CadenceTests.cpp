#include "ToneExpectations.h"
#include "audio/ClipSound.h"
#include "audio/Generators.h"
#include "audio/SampleClock.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

using namespace bt;
using tone_expect::CadenceExpectation;
using zelmediatypes::TickTime;

namespace {

constexpr float kGuard = 9.0f;

/// Host-style planar buffers, every element prefilled with the guard.
struct Buffers {
    std::vector<std::vector<float>> channels;
    std::vector<float*> pointers;
    Buffers(std::size_t channelCount, std::int64_t count)
        : channels(channelCount, std::vector<float>(static_cast<std::size_t>(count), kGuard))
    {
        for (auto& c : channels)
            pointers.push_back(c.data());
    }
    float At(int ch, std::int64_t i) const { return channels[static_cast<std::size_t>(ch)][static_cast<std::size_t>(i)]; }
};

void Render(const CadenceExpectation& c, float rate, std::int64_t first, Buffers& out, std::int32_t channelCount,
            bool levelOnly)
{
    const ToneSettings settings{.identifyChannels = 1, .identifierFormat = c.identifierFormat};
    ToneRequest request;
    request.rate = SampleDuration(rate);
    request.start = TickTime(first, request.rate);
    request.channelBuffers = out.pointers.data();
    request.channelCount = channelCount;
    request.sampleCount = static_cast<std::int64_t>(out.channels.front().size());
    request.levelOnly = levelOnly;
    RenderClipSound(settings, request);
}

bool IsPositiveZero(float v) { return std::bit_cast<std::uint32_t>(v) == 0u; }

struct CadenceCase {
    const CadenceExpectation* cadence;
    float rate;
    friend void PrintTo(const CadenceCase& c, std::ostream* os) { *os << c.cadence->name << " at " << c.rate << " Hz"; }
};

std::string CaseName(const testing::TestParamInfo<CadenceCase>& info)
{
    return std::string(info.param.cadence->name) + "_" + std::to_string(static_cast<int>(info.param.rate));
}

std::vector<CadenceCase> AllCases()
{
    std::vector<CadenceCase> cases;
    for (const auto& c : tone_expect::Cadences())
        for (float rate : {44100.0f, 48000.0f})
            cases.push_back({&c, rate});
    return cases;
}

class CadenceTest : public testing::TestWithParam<CadenceCase> {
protected:
    const CadenceExpectation& cadence = *GetParam().cadence;
    const float rate = GetParam().rate;
    const std::int64_t cycle = tone_expect::SlotSamples(cadence, rate) * cadence.slotsPerCycle;
};

} // namespace

TEST_P(CadenceTest, LevelsFollowTheTimetableSampleBySample)
{
    // From a quarter cycle before clip time 0 to beyond two cycles: the
    // cadence carries on backwards as well.
    const std::int64_t first = -cycle / 4;
    Buffers out(static_cast<std::size_t>(cadence.channels), 2 * cycle + cycle / 3);
    Render(cadence, rate, first, out, cadence.channels, true);
    for (int ch = 0; ch < cadence.channels; ++ch) {
        std::int64_t wrong = 0;
        for (std::int64_t i = 0; i < static_cast<std::int64_t>(out.channels[0].size()); ++i) {
            const auto* s = tone_expect::SoundingAt(cadence, ch, rate, first + i);
            const float expected = s != nullptr ? static_cast<float>(s->level) : 0.0f;
            if (std::bit_cast<std::uint32_t>(out.At(ch, i)) != std::bit_cast<std::uint32_t>(expected) && wrong++ < 3)
                ADD_FAILURE() << "channel " << ch << " sample " << first + i << ": " << out.At(ch, i);
        }
        EXPECT_EQ(wrong, 0) << "channel " << ch;
    }
}

TEST_P(CadenceTest, WaveformsAreTheTimetablesSinesAndExactSilence)
{
    Buffers out(static_cast<std::size_t>(cadence.channels), 2 * cycle);
    Render(cadence, rate, 0, out, cadence.channels, false);
    // Runs recompute their phase from their first sample; within a run the
    // stepped phase drifts by 1.75e-7 rad per cycle (6 s of 1000 Hz at most).
    constexpr double kDrift = 2.5e-4;
    for (int ch = 0; ch < cadence.channels; ++ch) {
        std::int64_t wrong = 0;
        for (std::int64_t k = 0; k < 2 * cycle; ++k) {
            const auto* s = tone_expect::SoundingAt(cadence, ch, rate, k);
            const float v = out.At(ch, k);
            const bool ok = s == nullptr ? IsPositiveZero(v)
                                         : std::fabs(static_cast<double>(v) - tone_expect::SineAt(rate, s->frequency, s->level, k)) <= kDrift;
            if (!ok && wrong++ < 3)
                ADD_FAILURE() << "channel " << ch << " sample " << k << ": " << v;
        }
        EXPECT_EQ(wrong, 0) << "channel " << ch;
    }
}

TEST_P(CadenceTest, ChannelsBeyondTheCadenceAreLeftAlone)
{
    Buffers wide(static_cast<std::size_t>(cadence.channels) + 1, 4000);
    Render(cadence, rate, 12345, wide, cadence.channels + 1, false);
    for (float v : wide.channels.back())
        EXPECT_EQ(v, kGuard);
}

INSTANTIATE_TEST_SUITE_P(AllCadences, CadenceTest, testing::ValuesIn(AllCases()), CaseName);
