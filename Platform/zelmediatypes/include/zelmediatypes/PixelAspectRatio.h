#pragma once
// A pixel aspect ratio: numerator over denominator, 8 bytes (numerator first).

#include <cstdint>

namespace zelmediatypes {

class PixelAspectRatio {
public:
    constexpr PixelAspectRatio() noexcept = default;
    constexpr PixelAspectRatio(std::uint32_t numerator, std::uint32_t denominator) noexcept
        : mNumerator(numerator), mDenominator(denominator) {}

    [[nodiscard]] constexpr std::uint32_t GetNumerator() const noexcept { return mNumerator; }
    [[nodiscard]] constexpr std::uint32_t GetDenominator() const noexcept { return mDenominator; }
    [[nodiscard]] double GetValue() const noexcept;

    /// Two ratios are equal when they name the same value (20/22 equals 10/11).
    /// Rationale: a ratio with a zero denominator has no value and equals only
    /// a ratio with the same two numbers.
    friend bool operator==(PixelAspectRatio a, PixelAspectRatio b) noexcept;

private:
    std::uint32_t mNumerator = 1;
    std::uint32_t mDenominator = 1;
};
static_assert(sizeof(PixelAspectRatio) == 8);

// The named ratios of the host; each pair reproduces its label's value to the
// digits the host shows.
inline constexpr PixelAspectRatio kPixelAspectRatio_Square{1, 1};                 // 1.0
inline constexpr PixelAspectRatio kPixelAspectRatio_DVNTSC{10, 11};               // 0.9091
inline constexpr PixelAspectRatio kPixelAspectRatio_DVNTSCWide{40, 33};           // 1.2121
inline constexpr PixelAspectRatio kPixelAspectRatio_DVPAL{128, 117};              // 1.0940
inline constexpr PixelAspectRatio kPixelAspectRatio_DVPALWide{512, 351};          // 1.4587
inline constexpr PixelAspectRatio kPixelAspectRatio_Anamorphic{2, 1};             // 2.0
inline constexpr PixelAspectRatio kPixelAspectRatio_HDAnamorphic1080{4, 3};       // 1.333
inline constexpr PixelAspectRatio kPixelAspectRatio_DVCProHD{3, 2};               // 1.5

} // namespace zelmediatypes
