#pragma once
// A bars picture painted into plain memory as no host frame pool lays it out:
// the bottom row last in memory, reached by a negative pitch, and padding
// after every row that the painting must leave alone.

#include "barsandtone/PackedBytes.h"
#include "video/BarsRenderer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace bttest {

inline constexpr std::uint8_t kSentinel = 0xCD;

class PlainPicture {
public:
    static constexpr std::int32_t kPadding = 12;

    PlainPicture(const bt::ColorSpaceRow& space, std::int32_t width, std::int32_t height)
        : mHeight(height), mRowUsed(width * RK_BytesPerPixel(space.format)), mPitch(mRowUsed + kPadding),
          mBytes(static_cast<std::size_t>(mPitch) * static_cast<std::size_t>(height), kSentinel)
    {
        unsigned char* bottomRow = mBytes.data() + static_cast<std::ptrdiff_t>(mPitch) * (height - 1);
        bt::RenderBarsFrame({bottomRow, -mPitch, width, height, space.format}, {0, 0, width, height}, space);
    }

    /// Picture row y, counted from the top.
    [[nodiscard]] const std::uint8_t* Row(std::int32_t y) const { return mBytes.data() + std::ptrdiff_t{mPitch} * y; }

    template <typename T>
    [[nodiscard]] std::array<T, 4> At(std::int32_t x, std::int32_t y) const
    {
        return bt::packed::Load<std::array<T, 4>>(Row(y), sizeof(T) * 4 * static_cast<std::size_t>(x));
    }
    [[nodiscard]] float Y(std::int32_t x, std::int32_t y) const { return At<float>(x, y)[2]; }

    [[nodiscard]] bool PaddingUntouched() const
    {
        for (std::int32_t y = 0; y < mHeight; ++y)
            if (!std::all_of(Row(y) + mRowUsed, Row(y) + mPitch, [](std::uint8_t b) { return b == kSentinel; }))
                return false;
        return true;
    }

    /// FNV-1a over the picture's rows from the top, padding left out.
    [[nodiscard]] std::uint64_t Digest() const
    {
        std::uint64_t hash = 0xCBF29CE484222325u;
        for (std::int32_t y = 0; y < mHeight; ++y)
            for (const std::uint8_t* p = Row(y); p != Row(y) + mRowUsed; ++p)
                hash = (hash ^ *p) * 0x100000001B3u;
        return hash;
    }

private:
    std::int32_t mHeight, mRowUsed, mPitch;
    std::vector<std::uint8_t> mBytes;
};

} // namespace bttest
