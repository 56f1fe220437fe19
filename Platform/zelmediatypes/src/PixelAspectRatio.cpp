#include "zelmediatypes/PixelAspectRatio.h"

namespace zelmediatypes {

double PixelAspectRatio::GetValue() const noexcept
{
    return mDenominator == 0 ? 0.0 : static_cast<double>(mNumerator) / static_cast<double>(mDenominator);
}

bool operator==(PixelAspectRatio a, PixelAspectRatio b) noexcept
{
    if (a.mDenominator == 0 || b.mDenominator == 0)
        return a.mNumerator == b.mNumerator && a.mDenominator == b.mDenominator;
    return static_cast<std::uint64_t>(a.mNumerator) * b.mDenominator ==
           static_cast<std::uint64_t>(b.mNumerator) * a.mDenominator;
}

} // namespace zelmediatypes
