// BLITS identification for 5.1: each channel alone at its own frequency, the
// front pair at 1000 Hz with channel 0 dropping out four times, then 2000 Hz
// on all six at a lower level.

#include "audio/Generators.h"
#include "audio/SlotWalk.h"

namespace bt {

namespace {

constexpr zelmediatypes::FrameRate kCycle{3403814400000}; // 13.4 s
constexpr zelmediatypes::FrameRate kSlot{25401600000};    // 0.1 s
static_assert(kCycle.GetTicks() * 10 == 134 * zelmediatypes::kTicksPerSecond);
static_assert(kSlot.GetTicks() * 10 == zelmediatypes::kTicksPerSecond);

constexpr float kLevel = 0.125f;       // -18.06 dBFS
constexpr float kLowerLevel = 0.0625f; // -24.08 dBFS

enum : ToneIndex { OFF = kSilent, F880, F1320, F88_5, F660, F1K, F2K };
constexpr Tone kTones[] = {
    {}, {880.0f, kLevel}, {1320.0f, kLevel}, {88.5f, kLevel}, {660.0f, kLevel}, {1000.0f, kLevel},
    {2000.0f, kLowerLevel}};

constexpr CadenceRow kRows[] = {
    // slots    ch0    ch1    ch2    ch3    ch4    ch5
    // Each channel alone, 0.6 s with a 0.2 s gap after it.
    {0,   5,   {F880,  OFF,   OFF,   OFF,   OFF,   OFF}},      // 0.0 s  channel 0
    {6,   7,   {OFF,   OFF,   OFF,   OFF,   OFF,   OFF}},
    {8,   13,  {OFF,   F880,  OFF,   OFF,   OFF,   OFF}},      // 0.8 s  channel 1
    {14,  15,  {OFF,   OFF,   OFF,   OFF,   OFF,   OFF}},
    {16,  21,  {OFF,   OFF,   OFF,   OFF,   F1320, OFF}},      // 1.6 s  channel 4
    {22,  23,  {OFF,   OFF,   OFF,   OFF,   OFF,   OFF}},
    {24,  29,  {OFF,   OFF,   OFF,   OFF,   OFF,   F88_5}},    // 2.4 s  channel 5
    {30,  31,  {OFF,   OFF,   OFF,   OFF,   OFF,   OFF}},
    {32,  37,  {OFF,   OFF,   F660,  OFF,   OFF,   OFF}},      // 3.2 s  channel 2
    {38,  39,  {OFF,   OFF,   OFF,   OFF,   OFF,   OFF}},
    {40,  45,  {OFF,   OFF,   OFF,   F660,  OFF,   OFF}},      // 4.0 s  channel 3
    {46,  47,  {OFF,   OFF,   OFF,   OFF,   OFF,   OFF}},
    // The front pair at 1000 Hz; channel 0 drops out four times for 0.3 s.
    {48,  57,  {F1K,   F1K,   OFF,   OFF,   OFF,   OFF}},      // 4.8 s
    {58,  60,  {OFF,   F1K,   OFF,   OFF,   OFF,   OFF}},
    {61,  63,  {F1K,   F1K,   OFF,   OFF,   OFF,   OFF}},
    {64,  66,  {OFF,   F1K,   OFF,   OFF,   OFF,   OFF}},
    {67,  69,  {F1K,   F1K,   OFF,   OFF,   OFF,   OFF}},
    {70,  72,  {OFF,   F1K,   OFF,   OFF,   OFF,   OFF}},
    {73,  75,  {F1K,   F1K,   OFF,   OFF,   OFF,   OFF}},
    {76,  78,  {OFF,   F1K,   OFF,   OFF,   OFF,   OFF}},
    {79,  98,  {F1K,   F1K,   OFF,   OFF,   OFF,   OFF}},      // to 9.9 s
    {99,  101, {OFF,   OFF,   OFF,   OFF,   OFF,   OFF}},
    // All six at 2000 Hz, then a gap before the next cycle.
    {102, 131, {F2K,   F2K,   F2K,   F2K,   F2K,   F2K}},      // 10.2 s to 13.2 s
    {132, 133, {OFF,   OFF,   OFF,   OFF,   OFF,   OFF}},
};

constexpr Cadence kCadence{kCycle, kSlot, 134, RunEnd::Slot, 6, kRows, kTones};
static_assert(IsWellFormed(kCadence));

} // namespace

void RenderBlits(const ToneRequest& request) noexcept
{
    RenderCadence(kCadence, request);
}

} // namespace bt
