#pragma once
// The inner loop of every fill: one pixel value written over a block of rows
// at memory speed.

#include <cstddef>
#include <cstdint>

namespace rk {

/// Blocks at least this large are written with non-temporal stores: they
/// would only push the rest of the working set out of the caches, and the
/// reader is the host, later. Smaller blocks stay in cache for the neighbours
/// painted next.
inline constexpr std::size_t kStreamingThreshold = 256 * 1024;

/// Writes `pixel` (bytesPerPixel 1, 2, 4, 8 or 16 bytes) `pixelsPerRow` times
/// into each of `rows` rows; row i starts at first + i × rowBytes.
void FillBlock(unsigned char* first, std::ptrdiff_t rowBytes, std::size_t pixelsPerRow, std::size_t rows,
               const unsigned char* pixel, std::size_t bytesPerPixel) noexcept;

} // namespace rk
