#pragma once
// Writes RGB pictures as PNG files, 8 or 16 bits per channel, optionally with
// a cICP chunk (ITU-T H.273 colour primaries, transfer characteristics, matrix
// coefficients, full-range flag) that tells a viewer how to read the signal.

#include "btmedia/OutputFile.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace btmedia {

struct Cicp {
    std::uint8_t primaries = 1;
    std::uint8_t transfer = 1;
    std::uint8_t matrix = 0;   ///< 0: the PNG holds R'G'B'
    std::uint8_t fullRange = 1;
};

/// Rows top to bottom, R, G, B interleaved, width × 3 values per row, written
/// into `output`, which is committed when the file is complete. Throws
/// std::invalid_argument when size and data disagree, WriteFailed or
/// std::runtime_error naming the output when writing fails.
void WritePngRgb8(OutputFile& output, int width, int height, std::span<const std::uint8_t> rgb,
                  std::optional<Cicp> cicp = std::nullopt);
void WritePngRgb16(OutputFile& output, int width, int height, std::span<const std::uint16_t> rgb,
                   std::optional<Cicp> cicp = std::nullopt);

} // namespace btmedia
