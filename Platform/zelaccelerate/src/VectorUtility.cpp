#include "zelaccelerate/VectorUtility.h"

#include <algorithm>
#include <cstring>

namespace zelaccelerate::utility {

void Zero(std::uint32_t count, float* destination) noexcept
{
    if (count != 0)
        std::fill_n(destination, count, 0.0f);
}

void Copy(std::uint32_t count, const float* source, float* destination) noexcept
{
    if (count != 0)
        std::memcpy(destination, source, std::size_t{count} * sizeof(float));
}

void MulConstant(std::uint32_t count, const float* source, float* destination, float factor) noexcept
{
    for (std::uint32_t i = 0; i < count; ++i)
        destination[i] = source[i] * factor;
}

} // namespace zelaccelerate::utility
