// EBU stereo identification: the same sine on both channels of a stereo pair,
// channel 0 silenced for a quarter of a second once every 3 seconds.

#include "audio/Generators.h"
#include "audio/SlotWalk.h"

namespace bt {

namespace {

constexpr zelmediatypes::FrameRate kCycle{762048000000}; // 3 s
constexpr zelmediatypes::FrameRate kSlot{63504000000};   // 0.25 s
static_assert(kCycle.GetTicks() == 3 * zelmediatypes::kTicksPerSecond);
static_assert(kSlot.GetTicks() * 4 == zelmediatypes::kTicksPerSecond);

constexpr float kLevel = 0.125f; // -18.06 dBFS

enum : ToneIndex { OFF = kSilent, TONE };

// Channel 0 only; channel 1 carries the tone throughout.
constexpr CadenceRow kRows[] = {
    //  slots    ch0
    {0, 10, {TONE}}, // 0.00 s to 2.75 s
    {11, 11, {OFF}},  // 2.75 s to 3.00 s: left drops out
};

/// A run of channel 0 may last to the end of its row, so the tone of slots 0
/// to 10 is one run.
constexpr Cadence MakeCadence(std::span<const Tone> tones)
{
    return Cadence{kCycle, kSlot, 12, RunEnd::Row, 1, kRows, tones, 1, TONE};
}

constexpr Tone kTones1000[] = {{}, {1000.0f, kLevel}};
static_assert(IsWellFormed(MakeCadence(kTones1000)));

} // namespace

void RenderEbuStereo(const ToneRequest& request, float frequency) noexcept
{
    const Tone tones[] = {{}, {frequency, kLevel}};
    RenderCadence(MakeCadence(tones), request);
}

} // namespace bt
