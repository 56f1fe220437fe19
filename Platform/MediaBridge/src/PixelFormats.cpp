#include "MediaBridge/PixelFormats.h"

#include <array>

namespace MB {

namespace {

using zelmediatypes::ChannelBitDepth;
using zelmediatypes::PixelFormatId;

struct CodeRow {
    PixelFormatId id;
    CvPixelFormat code;
};

constexpr std::array kCodes{
    CodeRow{PixelFormatId::kVUYA_4444_8u, kCvPixelFormat_VUYA_4444_8u},
    CodeRow{PixelFormatId::kVUYA_4444_32f, kCvPixelFormat_VUYA_4444_32f},
};

struct DepthRow {
    ChannelBitDepth channel;
    ColorTags::EncodingBitDepth encoding;
};

constexpr std::array kDepths{
    DepthRow{ChannelBitDepth::k8u, ColorTags::EncodingBitDepth::k8},
    DepthRow{ChannelBitDepth::k10u, ColorTags::EncodingBitDepth::k10},
    DepthRow{ChannelBitDepth::k12u, ColorTags::EncodingBitDepth::k12},
    DepthRow{ChannelBitDepth::k16u, ColorTags::EncodingBitDepth::k16},
    DepthRow{ChannelBitDepth::k16f, ColorTags::EncodingBitDepth::kFloat16},
    DepthRow{ChannelBitDepth::k32f, ColorTags::EncodingBitDepth::kFloat32},
};

} // namespace

CvPixelFormat BEToSDKPixelFormat(zelmediatypes::PixelFormat format) noexcept
{
    for (const CodeRow& row : kCodes)
        if (row.id == format.GetId())
            return row.code;
    return kCvPixelFormatInvalid;
}

zelmediatypes::PixelFormat SDKToBEPixelFormat(CvPixelFormat code) noexcept
{
    for (const CodeRow& row : kCodes)
        if (row.code == code)
            return zelmediatypes::PixelFormat::FromId(row.id);
    return {};
}

ColorTags::EncodingBitDepth ChannelBitDepthToEncodingBitDepth(zelmediatypes::ChannelBitDepth depth) noexcept
{
    for (const DepthRow& row : kDepths)
        if (row.channel == depth)
            return row.encoding;
    return ColorTags::EncodingBitDepth::kUnknown;
}

} // namespace MB
