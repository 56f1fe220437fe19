#pragma once
// Fuzzer bytes read front to back as the fields of host records: each Take
// consumes the value's bytes little-endian, and once the input runs out every
// further value is zero. So a seed file is simply the records laid end to
// end, and a mutation of one byte changes one field.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace btfuzz {

class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) noexcept : mData(data), mSize(size) {}

    template <typename T>
    [[nodiscard]] T Take() noexcept
    {
        static_assert(std::is_trivially_copyable_v<T>);
        T value{};
        TakeBytes(&value, sizeof value);
        return value;
    }

    /// Copies up to `size` bytes into dest; what the input lacks is zero.
    void TakeBytes(void* dest, std::size_t size) noexcept
    {
        const std::size_t n = size < Remaining() ? size : Remaining();
        if (n != 0)
            std::memcpy(dest, mData + mOffset, n);
        if (n < size)
            std::memset(static_cast<std::uint8_t*>(dest) + n, 0, size - n);
        mOffset += n;
    }

    /// A value in [0, bound), from one byte; 0 when bound is 0.
    [[nodiscard]] std::uint32_t Choose(std::uint32_t bound) noexcept
    {
        const auto byte = Take<std::uint8_t>();
        return bound == 0 ? 0 : byte % bound;
    }

    [[nodiscard]] bool Flag() noexcept { return (Take<std::uint8_t>() & 1u) != 0; }

    [[nodiscard]] std::size_t Remaining() const noexcept { return mSize - mOffset; }
    [[nodiscard]] bool Empty() const noexcept { return mOffset >= mSize; }

private:
    const std::uint8_t* mData;
    std::size_t mSize;
    std::size_t mOffset = 0;
};

} // namespace btfuzz
