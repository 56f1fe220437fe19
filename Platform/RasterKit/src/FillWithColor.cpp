#include "RasterKit/RasterKit.h"

#include "BlockFill.h"
#include "ColourConversion.h"

#include <cstring>

std::int32_t RK_BytesPerPixel(RK_PixelFormat format) noexcept
{
    switch (format) {
    case RK_PixelFormat_VUYA_4444_8u:
        return 4;
    case RK_PixelFormat_VUYA_4444_32f:
        return 16;
    case RK_PixelFormat_Invalid:
        break;
    }
    return 0;
}

RK_Result RK_ConvertPixel(const void* source, RK_PixelFormat sourceFormat, void* dest, RK_PixelFormat destFormat) noexcept
{
    if (source == nullptr || dest == nullptr)
        return RK_ErrorBadParameter;
    const std::int32_t sourceBytes = RK_BytesPerPixel(sourceFormat);
    if (sourceBytes == 0 || RK_BytesPerPixel(destFormat) == 0)
        return RK_ErrorUnsupportedFormat;
    if (sourceFormat == destFormat) {
        std::memmove(dest, source, static_cast<std::size_t>(sourceBytes));
        return RK_Success;
    }
    // Through local copies: the caller's pixels need no alignment.
    unsigned char bytes[4];
    float floats[4];
    if (sourceFormat == RK_PixelFormat_VUYA_4444_8u) {
        std::memcpy(bytes, source, sizeof bytes);
        rk::Convert8uTo32f(bytes, floats);
        std::memcpy(dest, floats, sizeof floats);
    } else {
        std::memcpy(floats, source, sizeof floats);
        rk::Convert32fTo8u(floats, bytes);
        std::memcpy(dest, bytes, sizeof bytes);
    }
    return RK_Success;
}

RK_Result RK_FillWithColor(void* dest, std::int32_t rowBytes, std::int32_t width, std::int32_t height,
                           RK_PixelFormat destFormat, const void* colour, RK_PixelFormat colourFormat) noexcept
{
    if (dest == nullptr || colour == nullptr)
        return RK_ErrorBadParameter;
    // The colour is converted once; the loop below only stores bytes.
    alignas(16) unsigned char pixel[16];
    const RK_Result converted = RK_ConvertPixel(colour, colourFormat, pixel, destFormat);
    if (converted != RK_Success)
        return converted;
    if (width <= 0 || height <= 0)
        return RK_Success;
    rk::FillBlock(static_cast<unsigned char*>(dest), rowBytes, static_cast<std::size_t>(width),
                  static_cast<std::size_t>(height), pixel, static_cast<std::size_t>(RK_BytesPerPixel(destFormat)));
    return RK_Success;
}
