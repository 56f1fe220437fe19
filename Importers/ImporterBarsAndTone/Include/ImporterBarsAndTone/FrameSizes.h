#pragma once
// The picture sizes a clip may have: the range of the settings dialog's width
// and height fields, so every clip a person can make. Hosts that make or open
// clips for people hold them to the same range.

#include <cstdint>

namespace bt {

struct FrameSizeRange {
    std::int32_t minWidth;
    std::int32_t minHeight;
    std::int32_t maxWidth;
    std::int32_t maxHeight;

    [[nodiscard]] constexpr bool Holds(std::int64_t width, std::int64_t height) const noexcept
    {
        return width >= minWidth && width <= maxWidth && height >= minHeight && height <= maxHeight;
    }
};

/// Pixels. The minimum is also the layout texts' (their size fields' minValue).
inline constexpr FrameSizeRange kFrameSizes{24, 24, 16384, 8192};

} // namespace bt
