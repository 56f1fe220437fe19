// However the host cuts a clip into requests, every sample is the same.

#include "../host/ModuleFixture.h"
#include "ToneExpectations.h"
#include "bthost/SoundRequests.h"
#include "host/ToneSettings.h"

#include <bit>
#include <cmath>
#include <ostream>
#include <random>
#include <string>

namespace {

struct Mode {
    std::string name;
    bt::ToneSettings settings;
    std::int64_t cycleSamples48k; ///< one cycle at 48000 Hz, or a stretch for the steady tone
};

std::vector<Mode> Modes()
{
    std::vector<Mode> modes{{"Steady", {.audioChannelCount = 6, .frequency = 997.0f, .amplitude = 0.5f}, 96000}};
    for (const auto& c : tone_expect::Cadences())
        modes.push_back({c.name,
                         {.audioChannelCount = static_cast<std::uint32_t>(c.channels), .identifyChannels = 1,
                          .identifierFormat = c.identifierFormat},
                         tone_expect::SlotSamples(c, 48000.0) * c.slotsPerCycle});
    return modes;
}

struct Case {
    Mode mode;
    float rate;
    friend void PrintTo(const Case& c, std::ostream* os) { *os << c.mode.name << " at " << c.rate << " Hz"; }
};

class SampleExactnessTest : public ModuleTest, public testing::WithParamInterface<Case> {
protected:
    bt::ToneSettings Settings() const
    {
        bt::ToneSettings s = GetParam().mode.settings;
        s.audioFrameRate = GetParam().rate;
        return s;
    }
    /// Two cycles and a bit, at this rate.
    std::int64_t Length() const
    {
        return GetParam().mode.cycleSamples48k * static_cast<std::int64_t>(GetParam().rate) / 48000 * 2 + 5000;
    }
};

/// Random cuts of [0, length): sizes from 1 sample to about a tenth of a second.
std::vector<std::pair<std::int64_t, std::uint32_t>> RandomCuts(std::int64_t length, std::mt19937_64& random)
{
    std::uniform_int_distribution<std::uint32_t> size(1, 5000);
    std::vector<std::pair<std::int64_t, std::uint32_t>> cuts;
    for (std::int64_t at = 0; at < length;) {
        const auto n = static_cast<std::uint32_t>(std::min<std::int64_t>(size(random), length - at));
        cuts.emplace_back(at, n);
        at += n;
    }
    return cuts;
}

} // namespace

TEST_P(SampleExactnessTest, ManyRandomRequestsGiveTheSamplesOfOne)
{
    const bt::ToneSettings s = Settings();
    const bthost::SettingsChoice settings{host->StoreSettings(&s, sizeof s), nullptr};
    const std::size_t channels = s.audioChannelCount;
    const std::int64_t length = Length();
    const auto whole = bthost::RequestAudio(*host, settings, 0, static_cast<std::uint32_t>(length), channels);
    const auto wholeLevels = bthost::RequestLevels(*host, settings, 0, GetParam().rate,
                                                   static_cast<std::int32_t>(length), channels);
    const bool steady = s.identifyChannels != 1;

    std::mt19937_64 random(0x5EED + static_cast<unsigned>(GetParam().rate));
    auto cuts = RandomCuts(length, random);
    // Plus requests at random places, overlapping the cuts.
    std::uniform_int_distribution<std::int64_t> place(0, length - 5000);
    for (int i = 0; i < 40; ++i)
        cuts.emplace_back(place(random), 1 + static_cast<std::uint32_t>(place(random) % 4999));

    // Within a request the phase is stepped; two requests covering one sample
    // from different starts differ by at most the drift over the distance.
    constexpr double kDrift = 3e-4;
    for (const auto& [at, n] : cuts) {
        const auto part = bthost::RequestAudio(*host, settings, at, n, channels);
        const auto levels = bthost::RequestLevels(*host, settings, at, GetParam().rate, static_cast<std::int32_t>(n),
                                                  channels);
        const auto formula = tone_expect::SteppedSine(GetParam().rate, s.frequency, s.amplitude, at, n);
        for (std::size_t ch = 0; ch < channels; ++ch) {
            for (std::uint32_t i = 0; i < n; ++i) {
                const auto k = static_cast<std::size_t>(at) + i;
                const float v = part.channels[ch][i];
                if (steady) {
                    // Level values as dense as the samples are the samples.
                    ASSERT_EQ(std::bit_cast<std::uint32_t>(v), std::bit_cast<std::uint32_t>(formula[i])) << k;
                    ASSERT_EQ(std::bit_cast<std::uint32_t>(levels.upper[ch][i]), std::bit_cast<std::uint32_t>(v));
                    continue;
                }
                const float level = wholeLevels.upper[ch][k];
                ASSERT_EQ(levels.upper[ch][i], level) << "channel " << ch << " sample " << k;
                if (level == 0.0f)
                    ASSERT_EQ(std::bit_cast<std::uint32_t>(v), 0u) << "channel " << ch << " sample " << k;
                else
                    ASSERT_NEAR(v, whole.channels[ch][k], kDrift) << "channel " << ch << " sample " << k;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllModes, SampleExactnessTest,
                         testing::ValuesIn([] {
                             std::vector<Case> cases;
                             for (const Mode& m : Modes())
                                 for (float rate : {44100.0f, 48000.0f})
                                     cases.push_back({m, rate});
                             return cases;
                         }()),
                         [](const testing::TestParamInfo<Case>& param) {
                             return param.param.mode.name + "_" + std::to_string(static_cast<int>(param.param.rate));
                         });
