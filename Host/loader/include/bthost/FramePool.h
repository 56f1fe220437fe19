#pragma once
// The host's frames: created by the picture suites at the module's request,
// owned by the host, read back by the host once delivered, and pooled, so
// that a request for a frame of a size the pool already holds reuses its
// memory as a real host does (fresh pages would cost more than the picture).
// [any thread]
//
// Every frame's memory sits between guard bytes, and a new frame's memory,
// row padding included, starts as kUntouchedByte, so tests can see what a
// request wrote and that it wrote nothing outside its frame.

#include "ImporterBarsAndTone/PictureSuitesAbi.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace bthost {

inline constexpr std::uint8_t kUntouchedByte = 0xCD;

/// How the pool makes frames; changes apply to frames created afterwards.
struct FrameOptions {
    std::int32_t rowPadding = 0;       ///< bytes added to each row's pitch (0 to any positive count)
    bool withoutMemory = false;        ///< frames carry a null first-row address
    bool refillReused = false;         ///< reused frames start as kUntouchedByte again
    bool exactPitch = false;           ///< keep a pitch of an even number of cache lines as it is
};

/// What frame creation was called with.
struct FrameCreation {
    std::int32_t two = 0;
    std::uint32_t pixelFormat = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint8_t falseFlag = 0;
    std::int32_t zero = 0;
    std::uint32_t parNumerator = 0;
    std::uint32_t parDenominator = 0;
    BT_HostOpaque16 passOn{};
};

/// A delivered frame as the host reads it back.
struct FrameView {
    const std::uint8_t* firstRow = nullptr; ///< bottom row of the picture; null without memory
    std::int32_t rowBytes = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint32_t pixelFormat = 0;
    std::int32_t bytesPerPixel = 0;

    /// Picture row y, counted from the top.
    [[nodiscard]] const std::uint8_t* Row(std::int32_t y) const noexcept
    {
        return firstRow + static_cast<std::ptrdiff_t>(rowBytes) * (height - 1 - y);
    }
    [[nodiscard]] const std::uint8_t* Pixel(std::int32_t x, std::int32_t y) const noexcept
    {
        return Row(y) + static_cast<std::ptrdiff_t>(bytesPerPixel) * x;
    }
};

/// Bytes per pixel of a host pixel-format code; 0 for codes the host cannot make.
[[nodiscard]] std::int32_t BytesPerPixelOfHostFormat(std::uint32_t pixelFormat) noexcept;

class FramePool {
public:
    FramePool();
    ~FramePool();
    FramePool(const FramePool&) = delete;
    FramePool& operator=(const FramePool&) = delete;

    void SetOptions(const FrameOptions& options);
    /// Makes check `slot` (1, 2 or 3 of the picture suite) fail for every frame.
    void FailCheck(int slot, bool fail);

    // What the suites do.
    /// Stores a new frame's handle at *out and returns 0; for a size or format
    /// the host cannot make, stores null and returns -1.
    std::int32_t Create(BT_FrameHandle* out, const FrameCreation& creation);
    /// 0 for a frame of this pool, -1 for anything else or a failing check.
    std::int32_t Check(int slot, BT_FrameHandle frame, void* out);

    // What the host does with delivered frames.
    [[nodiscard]] std::optional<FrameView> View(BT_FrameHandle frame) const;
    [[nodiscard]] std::optional<FrameCreation> Creation(BT_FrameHandle frame) const;
    /// Whether the guard bytes around the frame's memory and the padding at
    /// the end of each row still hold kUntouchedByte.
    [[nodiscard]] bool OutsideUntouched(BT_FrameHandle frame) const;
    /// Hands a delivered frame back to the pool for reuse.
    void Release(BT_FrameHandle frame);

    [[nodiscard]] std::size_t LiveFrames() const;
    [[nodiscard]] std::size_t CreateCalls() const;
    /// The slots of the checks called so far, in order.
    [[nodiscard]] std::vector<int> CheckCalls() const;

private:
    struct Frame;
    Frame* Find(BT_FrameHandle frame) const;

    mutable std::mutex mMutex;
    FrameOptions mOptions;
    bool mFailing[4] = {false, false, false, false};
    std::vector<std::unique_ptr<Frame>> mLive;
    std::vector<std::unique_ptr<Frame>> mFree;
    std::size_t mCreateCalls = 0;
    std::vector<int> mCheckCalls;
};

} // namespace bthost
