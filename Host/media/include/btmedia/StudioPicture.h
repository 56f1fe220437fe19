#pragma once
// The picture a movie file carries: planar Y', Cb, Cr at 10 bits in narrow
// ("studio") range, 4:4:4, top row first. It is made from a frame as the
// module delivers it, so that every value the module paints, below black and
// above white included, reaches the file unclipped.
//
// Rationale: 10-bit narrow range has room for the module's whole signal. The
// float frame (Y' 0..1 nominal, Cb/Cr ±0.5) maps as Y = 64 + 876·y and
// C = 512 + 896·c, rounded to nearest; the 8-bit frame (studio range already)
// maps exactly by ×4. Both are then held to 4..1019, because 0..3 and
// 1020..1023 are timing references in a 10-bit interface, not picture. The
// HDR bars' lowest step (−0.0685) lands on 4 and their highest (1.09) on
// 1019, so nothing the module paints is lost.

#include "btmedia/FramePreview.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace btmedia {

inline constexpr std::uint16_t kStudioMin = 4;    ///< lowest code that is picture
inline constexpr std::uint16_t kStudioMax = 1019; ///< highest code that is picture

/// Planar Y', Cb, Cr, 10-bit codes in 16-bit words, top row first; `stride`
/// counts words. Views memory owned elsewhere (an encoder frame, a buffer).
struct StudioPlanes {
    int width = 0;
    int height = 0;
    std::uint16_t* plane[3] = {nullptr, nullptr, nullptr}; ///< Y', Cb, Cr
    std::ptrdiff_t stride[3] = {0, 0, 0};
};

/// A StudioPlanes with its own memory.
class StudioPicture {
public:
    StudioPicture() = default;
    StudioPicture(int width, int height);
    [[nodiscard]] StudioPlanes Planes() noexcept;
    [[nodiscard]] std::uint16_t At(int plane, int x, int y) const;

private:
    int mWidth = 0;
    int mHeight = 0;
    std::vector<std::uint16_t> mData;
};

/// One float signal value to its 10-bit code: `offset` + `scale`·v, rounded
/// to nearest and held to 4..1019 (NaN goes to 1019).
[[nodiscard]] std::uint16_t StudioCode(float v, float offset, float scale) noexcept;

/// Converts a delivered picture into planes of the same size. Throws
/// std::invalid_argument for a missing row pointer or a size mismatch.
void ConvertToStudio(const VuyaPicture& picture, const StudioPlanes& out);

} // namespace btmedia
