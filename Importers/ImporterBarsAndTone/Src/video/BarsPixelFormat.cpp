#include "video/BarsPixelFormat.h"

#include "MediaBridge/PixelFormats.h"
#include "video/ColorSpaceRows.h"

namespace bt {

RK_PixelFormat BarsPixelFormat(std::uint8_t colorSpaceType) noexcept
{
    const ColorSpaceRow* row = FindColorSpaceRow(colorSpaceType);
    return row != nullptr ? row->format : RK_PixelFormat_VUYA_4444_8u;
}

std::uint32_t HostPixelFormatCode(RK_PixelFormat format) noexcept
{
    return MB::BEToSDKPixelFormat(RK_RKPixelFormatToZELPixelFormat(format));
}

} // namespace bt
