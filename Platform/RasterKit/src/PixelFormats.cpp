#include "RasterKit/RasterKit.h"

zelmediatypes::PixelFormat RK_RKPixelFormatToZELPixelFormat(RK_PixelFormat format) noexcept
{
    using zelmediatypes::PixelFormat;
    using zelmediatypes::PixelFormatId;
    switch (format) {
    case RK_PixelFormat_VUYA_4444_8u:
        return PixelFormat::FromId(PixelFormatId::kVUYA_4444_8u);
    case RK_PixelFormat_VUYA_4444_32f:
        return PixelFormat::FromId(PixelFormatId::kVUYA_4444_32f);
    case RK_PixelFormat_Invalid:
        break;
    }
    return {};
}
