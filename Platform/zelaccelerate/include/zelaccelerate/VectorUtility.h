#pragma once
// Float vector operations on plain arrays. Counts are unsigned 32-bit element
// counts; a count of 0 touches nothing, so null pointers are allowed with it.
// [any thread] each call touches only the arrays it is given.

#include <cstdint>

namespace zelaccelerate::utility {

/// destination[i] = 0.0f for i below count.
void Zero(std::uint32_t count, float* destination) noexcept;

/// destination[i] = source[i] for i below count. The two ranges must not overlap.
void Copy(std::uint32_t count, const float* source, float* destination) noexcept;

/// destination[i] = source[i] × factor for i below count, in single precision.
/// source and destination may be the same array.
void MulConstant(std::uint32_t count, const float* source, float* destination, float factor) noexcept;

} // namespace zelaccelerate::utility
