#pragma once
// The host's picture requests to the module: selectors 27, 73 and 47 with
// records laid out as the host lays them out.

#include "ImporterBarsAndTone/PictureSuitesAbi.h"
#include "bthost/FramePool.h"
#include "bthost/Host.h"

#include <cstdint>
#include <vector>

namespace bthost {

struct PixelFormatAnswer {
    std::int32_t result = 0;
    std::uint32_t pixelFormat = 0;
};
/// Selector 27 with the settings as first choice.
[[nodiscard]] PixelFormatAnswer RequestPixelFormat(Host& host, const void* settings, std::intptr_t index = 0);

struct ColourDescription {
    std::int32_t result = 0;
    std::uint32_t kind = 0;
    std::uint32_t primaries = 0;      ///< ITU-T H.273 code points
    std::uint32_t transfer = 0;
    std::uint32_t matrix = 0;
    std::uint32_t encodingDepth = 0;
    std::uint32_t flag64 = 0;
    std::uint32_t flag68 = 0;
    std::vector<std::uint8_t> record; ///< the record as the module left it
};
/// Selector 73; the record starts as kUntouchedByte.
[[nodiscard]] ColourDescription RequestColourDescription(Host& host, const void* settings, std::intptr_t index = 0);

struct PictureRequest {
    const void* settingsFirst = nullptr;
    const void* settingsSecond = nullptr;
    std::int32_t sizePair[2] = {0, 0}; ///< width, height as the host proposes them
    bool withSizePair = true;
    BT_HostOpaque16 passOn{0x0123456789ABCDEF, 0x7EDCBA9876543210};
};
struct Picture {
    std::int32_t result = 0;
    BT_FrameHandle frame = nullptr; ///< the host's; hand back with Host::Frames().Release
    std::int32_t sizePair[2] = {0, 0}; ///< after the call
};
/// Selector 47.
[[nodiscard]] Picture RequestPicture(Host& host, const PictureRequest& request);

/// A picture the module delivered (selector 47), read where the host's pool
/// holds it and handed back to the pool when it goes.
class DeliveredPicture {
public:
    /// Throws std::runtime_error when the module delivers no picture, or a
    /// frame without memory.
    DeliveredPicture(Host& host, const PictureRequest& request);
    ~DeliveredPicture();
    DeliveredPicture(const DeliveredPicture&) = delete;
    DeliveredPicture& operator=(const DeliveredPicture&) = delete;

    [[nodiscard]] const FrameView& View() const noexcept { return mView; }
    /// Four floats a pixel (V, U, Y, A); otherwise four 8-bit codes.
    [[nodiscard]] bool FloatPixels() const noexcept { return mView.bytesPerPixel == 16; }

private:
    Host& mHost;
    BT_FrameHandle mFrame = nullptr;
    FrameView mView;
};

} // namespace bthost
