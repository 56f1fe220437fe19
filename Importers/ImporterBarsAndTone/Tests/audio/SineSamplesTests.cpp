#include "audio/SineSamples.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <tuple>
#include <vector>

namespace {

/// The samples as the plain loop computes them with the library's sin.
std::vector<float> Reference(double phase, double step, double gain, std::size_t count)
{
    std::vector<float> out(count);
    for (float& v : out) {
        v = static_cast<float>(std::sin(phase) * gain);
        phase += step;
    }
    return out;
}

void ExpectSameBits(double phase, double step, double gain, std::size_t count)
{
    const std::vector<float> expected = Reference(phase, step, gain, count);
    for (auto* write : {&bt::WriteSineSamples, &bt::WriteSineSamplesPortable}) {
        std::vector<float> quick(count);
        const double end = write(phase, step, gain, quick.data(), static_cast<std::int64_t>(count));
        std::size_t mismatches = 0;
        for (std::size_t i = 0; i < count; ++i)
            if (std::bit_cast<std::uint32_t>(quick[i]) != std::bit_cast<std::uint32_t>(expected[i]) && ++mismatches <= 3)
                ADD_FAILURE() << "phase " << phase << " step " << step << " gain " << gain << " sample " << i << ": "
                              << quick[i] << " instead of " << expected[i];
        double last = phase;
        for (std::size_t i = 0; i < count; ++i)
            last += step;
        EXPECT_EQ(end, last);
    }
}

} // namespace

// Millions of samples over the tones a clip can have, the steps of long
// requests and far-off positions, and odd levels: every bit as the library's
// sin gives it.
TEST(SineSamples, EveryBitEqualsTheLibrarysSine)
{
    std::mt19937_64 random(20261205);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    constexpr double kTwoPiSingle = 6.2831854820251465;
    for (int run = 0; run < 1000; ++run) {
        const double frequency = 20.0 + unit(random) * 23980.0;
        const double rate = run % 2 == 0 ? 48000.0 : 44100.0 + unit(random) * 148000.0;
        const double step = frequency / rate * kTwoPiSingle * (run % 5 == 0 ? -1.0 : 1.0);
        const double gain = std::pow(10.0, -unit(random) * 4.0) * (run % 7 == 0 ? -1.0 : 1.0);
        const double phase = run % 3 == 0 ? unit(random) * kTwoPiSingle : (unit(random) - 0.5) * 2e6;
        ExpectSameBits(phase, step, gain, 10000);
    }
}

TEST(SineSamples, EdgesTakeTheLibrarysPath)
{
    constexpr double kInf = std::numeric_limits<double>::infinity();
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    // Zeros of the sine, signed zero levels, tiny and huge levels, phases
    // beyond the quick reduction, and values that are not numbers.
    for (auto [phase, step, gain, count] :
         {std::tuple{0.0, 3.14159265358979311600 / 2.0, 0.5, 64u}, {-1e-30, 1e-31, 1.0, 16u}, {1.0, 0.1, 0.0, 16u},
          {1.0, 0.1, -0.0, 16u}, {1.0, 0.1, 1e-300, 16u}, {1.0, 0.1, 1e300, 16u}, {1e7, 0.37, 0.25, 256u},
          {-1e12, 0.37, 0.25, 256u}, {1.0, 0.1, kInf, 4u}, {1.0, 0.1, kNaN, 4u}})
        ExpectSameBits(phase, step, gain, count);
    std::vector<float> out(2, 1.0f);
    bt::WriteSineSamples(kInf, 0.0, 1.0, out.data(), 2);
    EXPECT_TRUE(std::isnan(out[0]) && std::isnan(out[1]));
    EXPECT_EQ(bt::WriteSineSamples(2.0, 1.0, 1.0, out.data(), 0), 2.0);
}
