#include "zelaccelerate/VectorUtility.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <vector>

using namespace zelaccelerate::utility;

namespace {
constexpr float kGuard = 7.5f; // stands in every element an operation must not touch
}

TEST(VectorUtility, ZeroAndCopyTouchExactlyCountElementsAndCountZeroNothingEvenThroughNull)
{
    std::vector<float> out(6, kGuard);
    Zero(4, out.data() + 1);
    EXPECT_EQ(out, (std::vector<float>{kGuard, 0.0f, 0.0f, 0.0f, 0.0f, kGuard}));

    const std::vector<float> in{1.0f, -2.0f, 3.5f};
    std::vector<float> copy(5, kGuard);
    Copy(3, in.data(), copy.data() + 1);
    EXPECT_EQ(copy, (std::vector<float>{kGuard, 1.0f, -2.0f, 3.5f, kGuard}));

    Zero(0, nullptr);
    Copy(0, nullptr, nullptr);
    MulConstant(0, nullptr, nullptr, -1.0f);
}

TEST(VectorUtility, MulConstantByMinusOneIsAnExactNegationAndWorksInPlace)
{
    const std::vector<float> in{0.0f, -0.0f, 0.125f, -2.1855694e-8f, 1e30f, -3.0e-39f};
    std::vector<float> out(in.size() + 1, kGuard);
    MulConstant(static_cast<std::uint32_t>(in.size()), in.data(), out.data(), -1.0f);
    for (std::size_t i = 0; i < in.size(); ++i)
        EXPECT_EQ(std::bit_cast<std::uint32_t>(out[i]), std::bit_cast<std::uint32_t>(in[i]) ^ 0x80000000u) << i;
    EXPECT_EQ(out.back(), kGuard);

    std::vector<float> v{1.0f, 2.0f, 3.0f};
    MulConstant(3, v.data(), v.data(), 0.5f);
    EXPECT_EQ(v, (std::vector<float>{0.5f, 1.0f, 1.5f}));
}
