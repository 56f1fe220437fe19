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
/// The chroma planes may be subsampled: they hold every 2^chromaShiftX-th
/// sample of every 2^chromaShiftY-th row (4:4:4 is 0, 0; 4:2:2 is 1, 0;
/// 4:2:0 is 1, 1), the co-sited one, so flat patches stay exact where a
/// filter would blur them into their neighbours.
struct StudioPlanes {
    int width = 0;
    int height = 0;
    int chromaShiftX = 0;
    int chromaShiftY = 0;
    std::uint16_t* plane[3] = {nullptr, nullptr, nullptr}; ///< Y', Cb, Cr
    std::ptrdiff_t stride[3] = {0, 0, 0};

    [[nodiscard]] int ChromaWidth() const noexcept { return (width + (1 << chromaShiftX) - 1) >> chromaShiftX; }
    [[nodiscard]] int ChromaHeight() const noexcept { return (height + (1 << chromaShiftY) - 1) >> chromaShiftY; }
    /// Whether both views hold the same codes (rows compared, padding not).
    [[nodiscard]] bool SameCodes(const StudioPlanes& other) const noexcept;
};

/// A StudioPlanes with its own memory.
class StudioPicture {
public:
    StudioPicture() = default;
    StudioPicture(int width, int height, int chromaShiftX = 0, int chromaShiftY = 0);
    [[nodiscard]] StudioPlanes Planes() noexcept;
    [[nodiscard]] std::uint16_t At(int plane, int x, int y) const;

private:
    StudioPlanes mShape;
    std::vector<std::uint16_t> mData;
};

/// One float signal value to its 10-bit code: `offset` + `scale`·v, rounded
/// to nearest and held to 4..1019 (NaN goes to 1019).
[[nodiscard]] std::uint16_t StudioCode(float v, float offset, float scale) noexcept;

/// Converts a delivered picture into planes of the same size, chroma
/// subsampled as the planes say, bit for bit as StudioCode does each value.
/// Throws std::invalid_argument for a missing row pointer or a size mismatch.
/// Uses the widest vectors the processor has.
void ConvertToStudio(const VuyaPicture& picture, const StudioPlanes& out);
/// The same with the baseline instruction set only (for tests and
/// benchmarks that compare the two).
void ConvertToStudioPortable(const VuyaPicture& picture, const StudioPlanes& out);

/// Converts as ConvertToStudio does, unless the picture's codes are all
/// `same`'s (planes of the same shape, read only): then nothing is written
/// and the answer is true. Otherwise `out` is written whole and the answer is
/// false. Rationale: a host that gives an encoder the same picture again can
/// reuse what the encoder made of it; finding that out while converting reads
/// the picture once and writes nothing.
[[nodiscard]] bool ConvertToStudioUnlessSame(const VuyaPicture& picture, const StudioPlanes& out,
                                             const StudioPlanes& same);
/// The same with the baseline instruction set only.
[[nodiscard]] bool ConvertToStudioUnlessSamePortable(const VuyaPicture& picture, const StudioPlanes& out,
                                                     const StudioPlanes& same);

} // namespace btmedia
