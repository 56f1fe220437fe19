// EBU multichannel identification for 5.1: channels 0 to 4 share a 1000 Hz
// tone, together and then one by one; channel 5 carries 80 Hz throughout.

#include "audio/Generators.h"
#include "audio/SlotWalk.h"

namespace bt {

namespace {

constexpr zelmediatypes::FrameRate kCycle{3048192000000}; // 12 s
constexpr zelmediatypes::FrameRate kSlot{127008000000};   // 0.5 s
static_assert(kCycle.GetTicks() == 12 * zelmediatypes::kTicksPerSecond);
static_assert(kSlot.GetTicks() * 2 == zelmediatypes::kTicksPerSecond);

constexpr float kLevel = 0.125f; // -18.06 dBFS

enum : ToneIndex { OFF = kSilent, T1K, T80 };
constexpr Tone kTones[] = {{}, {1000.0f, kLevel}, {80.0f, kLevel}};

constexpr CadenceRow kRows[] = {
    // slots    ch0    ch1    ch2    ch3    ch4
    {0,   5,   {T1K,   T1K,   T1K,   T1K,   T1K}},     // 0.0 s to 3.0 s: all five
    {6,   6,   {OFF,   OFF,   OFF,   OFF,   OFF}},     // 3.0 s
    {7,   7,   {T1K,   OFF,   OFF,   OFF,   OFF}},     // 3.5 s: channel 0 alone
    {8,   8,   {OFF,   OFF,   OFF,   OFF,   OFF}},     // 4.0 s
    {9,   9,   {OFF,   OFF,   OFF,   OFF,   T1K}},     // 4.5 s: channel 4 alone
    {10,  10,  {OFF,   OFF,   OFF,   OFF,   OFF}},     // 5.0 s
    {11,  11,  {OFF,   T1K,   OFF,   OFF,   OFF}},     // 5.5 s: channel 1 alone
    {12,  12,  {OFF,   OFF,   OFF,   OFF,   OFF}},     // 6.0 s
    {13,  13,  {OFF,   OFF,   OFF,   T1K,   OFF}},     // 6.5 s: channel 3 alone
    {14,  14,  {OFF,   OFF,   OFF,   OFF,   OFF}},     // 7.0 s
    {15,  15,  {OFF,   OFF,   T1K,   OFF,   OFF}},     // 7.5 s: channel 2 alone
    {16,  17,  {OFF,   OFF,   OFF,   OFF,   OFF}},     // 8.0 s to 9.0 s
    {18,  23,  {T1K,   T1K,   T1K,   T1K,   T1K}},     // 9.0 s to 12.0 s: all five, on into the next cycle
};

/// Every run ends with its slot, also inside the 3-second stretches.
constexpr Cadence kCadence{kCycle, kSlot, 24, RunEnd::Slot, 5, kRows, kTones, 5, T80};
static_assert(IsWellFormed(kCadence));

} // namespace

void RenderEbuMultichannel(const ToneRequest& request) noexcept
{
    RenderCadence(kCadence, request);
}

} // namespace bt
