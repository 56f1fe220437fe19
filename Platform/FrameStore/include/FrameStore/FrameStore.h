#pragma once
// Reads a host frame's record. A frame handle points to a pointer to the
// host's packed frame record (FrameStore/FrameRecord.h); every query reads
// that record as it stands now. [any thread] reads only.

#include <cstdint>

/// Opaque handle of a host frame (a pointer to a pointer to its record).
using CPixFrameHandle = void*;

/// Row pitch in bytes: how far the next row up the picture lies in memory.
/// 0 for a null handle or a handle without a record.
[[nodiscard]] std::int32_t cpixGetRowbytes(CPixFrameHandle frame) noexcept;
/// Address of the first row in memory, the bottom row of the picture; null
/// when the frame has no memory.
[[nodiscard]] void* cpixGetPixels(CPixFrameHandle frame) noexcept;
/// Width and height in pixels as the frame was created; 0 without a record.
[[nodiscard]] std::int32_t cpixGetWidth(CPixFrameHandle frame) noexcept;
[[nodiscard]] std::int32_t cpixGetHeight(CPixFrameHandle frame) noexcept;
/// The host pixel-format code the frame was created with; 0 without a record.
[[nodiscard]] std::uint32_t cpixGetPixelFormat(CPixFrameHandle frame) noexcept;
