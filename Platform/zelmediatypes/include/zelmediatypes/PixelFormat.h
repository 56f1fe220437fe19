#pragma once
// A pixel format as the media layer knows it: which format, and a descriptor
// word that says how its channels are coded. 8 bytes, format word first.

#include <cstdint>

namespace zelmediatypes {

/// Bits per channel, as coded in bits 1 to 3 of the descriptor word.
enum class ChannelBitDepth : std::uint32_t {
    kUnknown = 0,
    k8u = 1,
    k10u = 2,
    k12u = 3,
    k16u = 4,
    k16f = 5,
    k32f = 6,
};

/// The formats the media layer names. Values are this library's own.
enum class PixelFormatId : std::uint32_t {
    kInvalid = 0,
    kVUYA_4444_8u = 0x0101,  ///< V, U, Y, A, one byte each, studio range
    kVUYA_4444_32f = 0x0106, ///< V, U, Y, A, 32-bit float each
};

class PixelFormat {
public:
    // Descriptor word layout.
    static constexpr std::uint32_t kDescriptorRgb = 1u << 0;       ///< clear: Y'CbCr
    static constexpr std::uint32_t kDescriptorDepthShift = 1;      ///< bits 1 to 3: ChannelBitDepth
    static constexpr std::uint32_t kDescriptorDepthMask = 7u << kDescriptorDepthShift;
    static constexpr std::uint32_t kDescriptorFullRange = 1u << 7; ///< clear: black and white sit inside the code range

    constexpr PixelFormat() noexcept = default;
    constexpr PixelFormat(PixelFormatId id, std::uint32_t descriptor) noexcept : mId(id), mDescriptor(descriptor) {}

    /// The format with the descriptor this library gives it; kInvalid for an unknown id.
    [[nodiscard]] static PixelFormat FromId(PixelFormatId id) noexcept;

    [[nodiscard]] constexpr PixelFormatId GetId() const noexcept { return mId; }
    [[nodiscard]] constexpr std::uint32_t GetDescriptor() const noexcept { return mDescriptor; }
    [[nodiscard]] constexpr ChannelBitDepth GetChannelBitDepth() const noexcept
    {
        return static_cast<ChannelBitDepth>((mDescriptor & kDescriptorDepthMask) >> kDescriptorDepthShift);
    }
    [[nodiscard]] constexpr bool IsValid() const noexcept { return mId != PixelFormatId::kInvalid; }

    friend constexpr bool operator==(PixelFormat, PixelFormat) noexcept = default;

private:
    PixelFormatId mId = PixelFormatId::kInvalid;
    std::uint32_t mDescriptor = 0;
};
static_assert(sizeof(PixelFormat) == 8);

/// Descriptor word for a channel depth and the two coding flags.
[[nodiscard]] constexpr std::uint32_t MakePixelFormatDescriptor(ChannelBitDepth depth, bool rgb, bool fullRange) noexcept
{
    return (rgb ? PixelFormat::kDescriptorRgb : 0u) |
           (static_cast<std::uint32_t>(depth) << PixelFormat::kDescriptorDepthShift) |
           (fullRange ? PixelFormat::kDescriptorFullRange : 0u);
}

} // namespace zelmediatypes
