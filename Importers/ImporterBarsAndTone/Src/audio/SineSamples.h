#pragma once
// Sine samples as float(sin(phase) × gain), the product taken in double and
// rounded once to float, bit for bit what the standard library's sin gives,
// at several times its speed.
//
// Rationale: a sample only needs the sine to the precision that decides its
// rounding to float. A short polynomial gets within 2^-50 of the true sine;
// the library's sin is within one unit in the last place (2^-52). So where the
// double product lies farther than 2^-44 of itself from the midpoint between
// two floats, both round to the same float, and the polynomial's float is
// the answer. Only the rare sample near such a midpoint (a few in a
// million), near a zero of the sine, or with a phase too large for the quick
// reduction, is computed with the library's sin.
//
// [any thread] touches only its arguments.

#include <cstdint>

namespace bt {

/// out[i] = float(sin(phase_i) × gain) for i in [0, count), where phase_0 =
/// phase and phase_{i+1} = phase_i + step in double. Returns the phase after
/// the last sample (phase_count).
double WriteSineSamples(double phase, double step, double gain, float* out, std::int64_t count) noexcept;

/// The same with the instructions every processor of the platform has; what
/// WriteSineSamples runs where no wider ones are found.
double WriteSineSamplesPortable(double phase, double step, double gain, float* out, std::int64_t count) noexcept;

} // namespace bt
