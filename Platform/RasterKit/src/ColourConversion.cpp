#include "ColourConversion.h"

#include <cmath>

namespace rk {

namespace {

// Studio range: 219 steps from black to nominal white, 224 from one
// colour-difference extreme to the other.
constexpr double kBlack = 16.0, kLumaSteps = 219.0;
constexpr double kNeutral = 128.0, kChromaSteps = 224.0;

unsigned char ToByte(double code) noexcept
{
    if (!(code > 0.0))
        return 0;
    if (code >= 255.0)
        return 255;
    return static_cast<unsigned char>(std::floor(code + 0.5));
}

} // namespace

void Convert8uTo32f(const unsigned char in[4], float out[4]) noexcept
{
    const double cr = (in[0] - kNeutral) / kChromaSteps;
    const double cb = (in[1] - kNeutral) / kChromaSteps;
    const double y = (in[2] - kBlack) / kLumaSteps;
    const Rematrix& m = kRec601To709;
    out[0] = static_cast<float>(m.m21 * cb + m.m22 * cr);
    out[1] = static_cast<float>(m.m11 * cb + m.m12 * cr);
    out[2] = static_cast<float>(y + m.m01 * cb + m.m02 * cr);
    out[3] = static_cast<float>(in[3] / 255.0);
}

void Convert32fTo8u(const float in[4], unsigned char out[4]) noexcept
{
    const double cr = static_cast<double>(in[0]);
    const double cb = static_cast<double>(in[1]);
    const double y = static_cast<double>(in[2]);
    const Rematrix& m = kRec709To601;
    out[0] = ToByte(kNeutral + kChromaSteps * (m.m21 * cb + m.m22 * cr));
    out[1] = ToByte(kNeutral + kChromaSteps * (m.m11 * cb + m.m12 * cr));
    out[2] = ToByte(kBlack + kLumaSteps * (y + m.m01 * cb + m.m02 * cr));
    out[3] = ToByte(255.0 * static_cast<double>(in[3]));
}

} // namespace rk
