#pragma once
// Host time: a signed 64-bit count of ticks, 254016000000 per second, and the
// duration of one frame (a video frame, an audio sample or a cadence slot).

#include <compare>
#include <cstdint>

namespace zelmediatypes {

inline constexpr std::int64_t kTicksPerSecond = 254016000000;
inline constexpr std::int64_t kNoRateDuration = INT64_MAX; ///< the duration that stands for "no rate"

class FrameRate {
public:
    constexpr FrameRate() noexcept = default;
    constexpr explicit FrameRate(std::int64_t ticksPerFrame) noexcept : mTicks(ticksPerFrame) {}

    /// ticks = 254016000000 / rate in double precision, truncated toward zero;
    /// a rate of 0 gives kNoRateDuration. A negative rate gives a negative
    /// duration, an infinite one 0, and a quotient beyond the 64-bit range
    /// the nearest end of it.
    /// Rationale: a rate that is not a number has no quotient to truncate; it
    /// is taken as no rate (kNoRateDuration), so that no input makes the
    /// conversion undefined.
    static FrameRate FromFramesPerSecond(double rate) noexcept;
    /// The same for a rate given as value / scale, divided in double precision.
    static FrameRate FromRatio(std::int32_t value, std::int32_t scale) noexcept;

    [[nodiscard]] constexpr std::int64_t GetTicks() const noexcept { return mTicks; }
    /// Frames per second: 254016000000 / ticks, 0.0 for kNoRateDuration or 0.
    [[nodiscard]] double GetFramesPerSecond() const noexcept;

    friend constexpr bool operator==(FrameRate, FrameRate) noexcept = default;

private:
    std::int64_t mTicks = 0;
};

class TickTime {
public:
    constexpr TickTime() noexcept = default;
    constexpr explicit TickTime(std::int64_t ticks) noexcept : mTicks(ticks) {}
    /// frames × duration ticks. Rationale: a product outside the 64-bit range
    /// saturates to INT64_MIN or INT64_MAX instead of wrapping.
    TickTime(std::int64_t frames, FrameRate rate) noexcept;

    [[nodiscard]] constexpr std::int64_t GetTicks() const noexcept { return mTicks; }

    /// Sum and difference saturate at the ends of the 64-bit range.
    friend TickTime operator+(TickTime a, TickTime b) noexcept;
    friend TickTime operator-(TickTime a, TickTime b) noexcept;
    friend constexpr auto operator<=>(TickTime, TickTime) noexcept = default;

private:
    std::int64_t mTicks = 0;
};

/// Whole frames in a time: floor(ticks / duration). A duration of 0 or less
/// gives 0.
[[nodiscard]] std::int64_t ToFrame64(TickTime time, FrameRate rate) noexcept;

} // namespace zelmediatypes
