#include "zelmediatypes/PixelFormat.h"

namespace zelmediatypes {

PixelFormat PixelFormat::FromId(PixelFormatId id) noexcept
{
    switch (id) {
    case PixelFormatId::kVUYA_4444_8u:
        return {id, MakePixelFormatDescriptor(ChannelBitDepth::k8u, false, false)};
    case PixelFormatId::kVUYA_4444_32f:
        // Float Y'CbCr carries below-black and above-white unclamped, so it
        // is not a full-range code like 8-bit R'G'B' 0 to 255.
        return {id, MakePixelFormatDescriptor(ChannelBitDepth::k32f, false, false)};
    case PixelFormatId::kInvalid:
        break;
    }
    return {};
}

} // namespace zelmediatypes
