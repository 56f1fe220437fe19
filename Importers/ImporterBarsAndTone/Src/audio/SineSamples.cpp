#include "audio/SineSamples.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace bt {

namespace {

// π/2 in three parts. The first two have 33 significant bits, so their
// products with a quadrant count below 2^20 are exact; the tail carries the
// rest to about 2^-120.
constexpr double kPiOver2Head = 1.57079632673412561417e+00;
constexpr double kPiOver2Middle = 6.07710050630396597660e-11;
constexpr double kPiOver2Tail = 2.02226624879595063154e-21;
constexpr double kTwoOverPi = 6.36619772367581382433e-01;
/// Added and taken away again, rounds a double below 2^51 to an integer.
constexpr double kRoundingShift = 0x1.8p52;

/// Phases the quick reduction handles: quadrant counts stay below 2^19.
constexpr double kQuickPhaseLimit = 0x1p19;
/// Nearer than this to a multiple of π/2, the reduced phase could lose
/// relative precision; such phases take the library's sin.
constexpr double kSmallestReduced = 0x1p-20;
/// The quick product must lie farther than this, relative to itself, from a
/// rounding midpoint: 32 times the worst difference of the two sines.
constexpr double kRoundingMargin = 0x1p-44;

// Polynomials for sin and cos on [-π/4, π/4], each within 2^-58 of the true
// function there.
constexpr double kS1 = -1.66666666666666324348e-01;
constexpr double kS2 = 8.33333333332248946124e-03;
constexpr double kS3 = -1.98412698298579493134e-04;
constexpr double kS4 = 2.75573137070700676789e-06;
constexpr double kS5 = -2.50507602534068634195e-08;
constexpr double kS6 = 1.58969099521155010221e-10;
constexpr double kC1 = 4.16666666666666019037e-02;
constexpr double kC2 = -1.38888888888741095749e-03;
constexpr double kC3 = 2.48015872894767294178e-05;
constexpr double kC4 = -2.75573143513906633035e-07;
constexpr double kC5 = 2.08757232129817482790e-09;
constexpr double kC6 = -1.13596475577881948265e-11;

// Four samples at a time in the compiler's portable vectors: each
// instruction set gets the widest registers it has. These functions are
// internal and inlined, so how 32-byte vectors would pass between functions
// without AVX does not matter here.
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif
using Doubles = double __attribute__((vector_size(32)));
using Floats = float __attribute__((vector_size(16)));
using Words = std::int64_t __attribute__((vector_size(32)));
using Words32 = std::int32_t __attribute__((vector_size(16)));
constexpr int kLanes = 4;

/// The same bits as another vector type (std::bit_cast of vectors trips the
/// undefined-behaviour checker of some compilers; a copy compiles to nothing).
template <typename To, typename From>
[[gnu::always_inline]] inline To SameBits(const From& v) noexcept
{
    static_assert(sizeof(To) == sizeof(From));
    To out;
    std::memcpy(&out, &v, sizeof out);
    return out;
}

[[gnu::always_inline]] inline Doubles Magnitude(Doubles v) noexcept
{
    return SameBits<Doubles>(SameBits<Words>(v) & 0x7FFFFFFFFFFFFFFF);
}

/// float(sin(x) × gain) for four phases, and per lane whether that float is
/// sure to be the one the library's sin gives (all bits set) or not (zero).
[[gnu::always_inline]] inline Words QuickSamples(Doubles x, double gain, Floats& samples) noexcept
{
    // The integer nearest x / (π/2) lands in the low bits of `shifted`.
    const Doubles shifted = x * kTwoOverPi + kRoundingShift;
    const Doubles quadrants = shifted - kRoundingShift;
    const Doubles r = ((x - quadrants * kPiOver2Head) - quadrants * kPiOver2Middle) - quadrants * kPiOver2Tail;
    const Doubles z = r * r;
    const Doubles sinR = r + r * z * (kS1 + z * (kS2 + z * (kS3 + z * (kS4 + z * (kS5 + z * kS6)))));
    const Doubles cosR = 1.0 - 0.5 * z + z * z * (kC1 + z * (kC2 + z * (kC3 + z * (kC4 + z * (kC5 + z * kC6)))));
    const Words quadrant = SameBits<Words>(shifted);
    Doubles sine = (quadrant & 1) != 0 ? cosR : sinR;
    sine = (quadrant & 2) != 0 ? -sine : sine;

    // Monotone rounding: when both ends of the margin round to the same
    // float, so does everything between them, the library's product too.
    const Doubles product = sine * gain;
    const Doubles margin = Magnitude(product) * kRoundingMargin;
    samples = __builtin_convertvector(product, Floats);
    const Words32 settled = __builtin_convertvector(product - margin, Floats) ==
                            __builtin_convertvector(product + margin, Floats);
    return __builtin_convertvector(settled, Words) & (Magnitude(x) < kQuickPhaseLimit) &
           (Magnitude(r) >= kSmallestReduced);
}

inline float LibrarySample(double phase, double gain) noexcept
{
    return static_cast<float>(std::sin(phase) * gain);
}

[[gnu::always_inline]] inline double WriteSamples(double phase, double step, double gain, float* out,
                                                  std::int64_t count) noexcept
{
    // A block at a time in three passes: the phases one addition after the
    // other, as a single loop would step them; the quick samples, with no
    // branch, so that the processor overlaps the polynomials of many lanes;
    // and the library's sin for the few lanes not sure.
    constexpr std::int64_t kBlock = 256;
    alignas(32) double phases[kBlock];
    alignas(32) std::int64_t sure[kBlock];
    while (count > 0) {
        const std::int64_t n = std::min(count, kBlock);
        for (std::int64_t i = 0; i < n; ++i) {
            phases[i] = phase;
            phase += step;
        }
        std::int64_t i = 0;
        for (; i + kLanes <= n; i += kLanes) {
            Doubles x;
            std::memcpy(&x, phases + i, sizeof x);
            Floats samples;
            const Words settled = QuickSamples(x, gain, samples);
            std::memcpy(out + i, &samples, sizeof samples);
            std::memcpy(sure + i, &settled, sizeof settled);
        }
        for (; i < n; ++i)
            sure[i] = 0;
        for (i = 0; i < n; ++i)
            if (sure[i] == 0)
                out[i] = LibrarySample(phases[i], gain);
        out += n;
        count -= n;
    }
    return phase;
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
// The same code for processors with 32-byte registers: four lanes in one
// instruction instead of two. Floating-point contraction stays off, so both
// versions compute the very same values.
__attribute__((target("avx2"))) double WriteSamplesAvx2(double phase, double step, double gain, float* out,
                                                        std::int64_t count) noexcept
{
    return WriteSamples(phase, step, gain, out, count);
}

bool HaveAvx2() noexcept
{
    // Asked once, after the runtime's processor detection has run.
    static const bool have = (__builtin_cpu_init(), __builtin_cpu_supports("avx2") != 0);
    return have;
}
#endif

} // namespace

double WriteSineSamples(double phase, double step, double gain, float* out, std::int64_t count) noexcept
{
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    if (HaveAvx2())
        return WriteSamplesAvx2(phase, step, gain, out, count);
#endif
    return WriteSineSamplesPortable(phase, step, gain, out, count);
}

double WriteSineSamplesPortable(double phase, double step, double gain, float* out, std::int64_t count) noexcept
{
    return WriteSamples(phase, step, gain, out, count);
}

} // namespace bt
