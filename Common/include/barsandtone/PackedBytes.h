#pragma once
// Reads and writes of host records, which are packed and little-endian: every
// field is reached by its byte offset with memcpy, never by casting the record
// to an aligned struct, so misaligned fields (such as a 32-bit value at byte
// 149) are safe on every target.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace bt::packed {

template <typename T>
[[nodiscard]] inline T Load(const void* base, std::size_t offset) noexcept
{
    static_assert(std::is_trivially_copyable_v<T>);
    T value;
    std::memcpy(&value, static_cast<const unsigned char*>(base) + offset, sizeof(T));
    return value;
}

template <typename T>
inline void Store(void* base, std::size_t offset, const T& value) noexcept
{
    static_assert(std::is_trivially_copyable_v<T>);
    std::memcpy(static_cast<unsigned char*>(base) + offset, &value, sizeof(T));
}

[[nodiscard]] inline std::uint8_t LoadU8(const void* b, std::size_t o) noexcept { return Load<std::uint8_t>(b, o); }
[[nodiscard]] inline std::uint16_t LoadU16(const void* b, std::size_t o) noexcept { return Load<std::uint16_t>(b, o); }
[[nodiscard]] inline std::uint32_t LoadU32(const void* b, std::size_t o) noexcept { return Load<std::uint32_t>(b, o); }
[[nodiscard]] inline std::int32_t LoadI32(const void* b, std::size_t o) noexcept { return Load<std::int32_t>(b, o); }
[[nodiscard]] inline std::int64_t LoadI64(const void* b, std::size_t o) noexcept { return Load<std::int64_t>(b, o); }
[[nodiscard]] inline float LoadF32(const void* b, std::size_t o) noexcept { return Load<float>(b, o); }
[[nodiscard]] inline void* LoadPtr(const void* b, std::size_t o) noexcept { return Load<void*>(b, o); }

inline void StoreU8(void* b, std::size_t o, std::uint8_t v) noexcept { Store(b, o, v); }
inline void StoreU16(void* b, std::size_t o, std::uint16_t v) noexcept { Store(b, o, v); }
inline void StoreU32(void* b, std::size_t o, std::uint32_t v) noexcept { Store(b, o, v); }
inline void StoreI32(void* b, std::size_t o, std::int32_t v) noexcept { Store(b, o, v); }
inline void StoreI64(void* b, std::size_t o, std::int64_t v) noexcept { Store(b, o, v); }
inline void StoreF32(void* b, std::size_t o, float v) noexcept { Store(b, o, v); }
inline void StorePtr(void* b, std::size_t o, const void* v) noexcept { Store(b, o, v); }

} // namespace bt::packed
