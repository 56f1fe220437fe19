#include "video/BarsPixelFormat.h"

#include "MediaBridge/PixelFormats.h"

namespace bt {

RK_PixelFormat BarsPixelFormat(std::uint8_t colorSpaceType) noexcept
{
    return colorSpaceType >= 1 && colorSpaceType <= 3 ? RK_PixelFormat_VUYA_4444_32f : RK_PixelFormat_VUYA_4444_8u;
}

std::uint32_t HostPixelFormatCode(RK_PixelFormat format) noexcept
{
    return MB::BEToSDKPixelFormat(RK_RKPixelFormatToZELPixelFormat(format));
}

} // namespace bt
