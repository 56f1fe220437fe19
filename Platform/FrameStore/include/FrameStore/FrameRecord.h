#pragma once
// The host's packed frame record: byte offsets of the fields FrameStore
// reads. A frame handle points to a pointer to this record. The host that
// makes frames writes them at these offsets; read and write them only with
// memcpy at byte offsets (barsandtone/PackedBytes.h).

#include <cstddef>

namespace FrameStore::FrameRecord {
inline constexpr std::size_t kFirstRow = 24;    // pointer: bottom row of the picture
inline constexpr std::size_t kRowPitch = 32;    // int32 bytes
inline constexpr std::size_t kWidth = 36;       // int32 pixels
inline constexpr std::size_t kHeight = 40;      // int32 pixels
inline constexpr std::size_t kPixelFormat = 44; // uint32 host pixel-format code
inline constexpr std::size_t kSize = 48;
} // namespace FrameStore::FrameRecord
