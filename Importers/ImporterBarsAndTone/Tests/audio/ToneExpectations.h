#pragma once
// What the clip's sound should be, written down independently of the module:
// the sine from its formula, and each cadence as the intervals in which each
// channel sounds (a transposed view of the timetables, so that a wrong row
// shows up as a disagreement rather than being copied into the test).

#include <cmath>
#include <cstdint>
#include <numbers>
#include <span>
#include <vector>

namespace tone_expect {

inline constexpr double kTicksPerSecond = 254016000000.0;
/// 2π as the nearest float, widened.
inline const double kTwoPiFloat = static_cast<double>(static_cast<float>(2.0 * std::numbers::pi));

inline std::int64_t TicksPerSample(double rate) { return static_cast<std::int64_t>(kTicksPerSecond / rate); }

/// count samples of one call from absolute sample index first: the start
/// phase from the index's fractional cycle, then stepped by addition.
inline std::vector<float> SteppedSine(double rate, float frequency, float level, std::int64_t first,
                                      std::int64_t count)
{
    const double fs = kTicksPerSecond / static_cast<double>(TicksPerSample(rate));
    const double cycles = static_cast<double>(frequency) / fs;
    const double p = static_cast<double>(first) * cycles;
    double phase = (p - static_cast<double>(static_cast<std::int64_t>(p))) * kTwoPiFloat;
    std::vector<float> out(static_cast<std::size_t>(count));
    for (auto& v : out) {
        v = static_cast<float>(std::sin(phase) * static_cast<double>(level));
        phase += cycles * kTwoPiFloat;
    }
    return out;
}

/// The sine at one sample with its phase taken from its own index: what any
/// run gives there, up to the drift of the stepped phase.
inline double SineAt(double rate, double frequency, double level, std::int64_t index)
{
    const double cycles = static_cast<double>(index) * frequency / rate;
    return std::sin((cycles - std::trunc(cycles)) * kTwoPiFloat) * level;
}

struct Sounding {
    int firstSlot;  ///< inclusive
    int endSlot;    ///< exclusive
    double frequency;
    double level;
};

/// One cadence: its slot length, slots per cycle and, per channel, the
/// stretches in which that channel sounds; silent everywhere else.
struct CadenceExpectation {
    const char* name;
    std::uint8_t identifierFormat;
    int channels;
    double slotSeconds;
    int slotsPerCycle;
    std::vector<std::vector<Sounding>> sounding; ///< per channel
};

inline const std::vector<CadenceExpectation>& Cadences()
{
    static const std::vector<CadenceExpectation> cadences{
        {"EbuStereo1000", 0, 2, 0.25, 12, {{{0, 11, 1000, 0.125}}, {{0, 12, 1000, 0.125}}}},
        {"EbuStereo400", 1, 2, 0.25, 12, {{{0, 11, 400, 0.125}}, {{0, 12, 400, 0.125}}}},
        {"EbuMultichannel", 2, 6, 0.5, 24,
         {
             {{0, 6, 1000, 0.125}, {7, 8, 1000, 0.125}, {18, 24, 1000, 0.125}},
             {{0, 6, 1000, 0.125}, {11, 12, 1000, 0.125}, {18, 24, 1000, 0.125}},
             {{0, 6, 1000, 0.125}, {15, 16, 1000, 0.125}, {18, 24, 1000, 0.125}},
             {{0, 6, 1000, 0.125}, {13, 14, 1000, 0.125}, {18, 24, 1000, 0.125}},
             {{0, 6, 1000, 0.125}, {9, 10, 1000, 0.125}, {18, 24, 1000, 0.125}},
             {{0, 24, 80, 0.125}},
         }},
        {"Blits", 3, 6, 0.1, 134,
         {
             {{0, 6, 880, 0.125}, {48, 58, 1000, 0.125}, {61, 64, 1000, 0.125}, {67, 70, 1000, 0.125},
              {73, 76, 1000, 0.125}, {79, 99, 1000, 0.125}, {102, 132, 2000, 0.0625}},
             {{8, 14, 880, 0.125}, {48, 99, 1000, 0.125}, {102, 132, 2000, 0.0625}},
             {{32, 38, 660, 0.125}, {102, 132, 2000, 0.0625}},
             {{40, 46, 660, 0.125}, {102, 132, 2000, 0.0625}},
             {{16, 22, 1320, 0.125}, {102, 132, 2000, 0.0625}},
             {{24, 30, 88.5, 0.125}, {102, 132, 2000, 0.0625}},
         }},
    };
    return cadences;
}

/// Samples per slot at a rate where slots are whole samples (44100, 48000).
inline std::int64_t SlotSamples(const CadenceExpectation& c, double rate)
{
    return std::llround(c.slotSeconds * rate);
}

/// What channel ch carries at absolute sample index k: the stretch it sounds
/// in, or null for silence.
inline const Sounding* SoundingAt(const CadenceExpectation& c, int ch, double rate, std::int64_t k)
{
    const std::int64_t slotSamples = SlotSamples(c, rate);
    const std::int64_t cycle = slotSamples * c.slotsPerCycle;
    const std::int64_t inCycle = ((k % cycle) + cycle) % cycle;
    const auto slot = static_cast<int>(inCycle / slotSamples);
    for (const Sounding& s : c.sounding[static_cast<std::size_t>(ch)])
        if (slot >= s.firstSlot && slot < s.endSlot)
            return &s;
    return nullptr;
}

} // namespace tone_expect
