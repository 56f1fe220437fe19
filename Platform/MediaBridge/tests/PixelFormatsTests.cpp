#include "MediaBridge/PixelFormats.h"

#include <gtest/gtest.h>

using namespace zelmediatypes;

TEST(MediaBridgePixelFormats, HostCodesRoundTripWithTheirDescriptors)
{
    for (PixelFormatId id : {PixelFormatId::kVUYA_4444_8u, PixelFormatId::kVUYA_4444_32f}) {
        const PixelFormat format = PixelFormat::FromId(id);
        const MB::CvPixelFormat code = MB::BEToSDKPixelFormat(format);
        EXPECT_NE(code, MB::kCvPixelFormatInvalid);
        EXPECT_EQ(MB::SDKToBEPixelFormat(code), format);
    }
    // The codes spell the channel order in memory: "VUx7" and "VUYA".
    EXPECT_EQ(MB::BEToSDKPixelFormat(PixelFormat::FromId(PixelFormatId::kVUYA_4444_32f)), 0x37785556u);
    EXPECT_EQ(MB::BEToSDKPixelFormat(PixelFormat::FromId(PixelFormatId::kVUYA_4444_8u)), 0x41595556u);
}

TEST(MediaBridgePixelFormats, UnknownFormatsAndCodesGiveInvalid)
{
    EXPECT_EQ(MB::BEToSDKPixelFormat(PixelFormat()), MB::kCvPixelFormatInvalid);
    EXPECT_FALSE(MB::SDKToBEPixelFormat(0x12345678u).IsValid());
    EXPECT_EQ(MB::SDKToBEPixelFormat(MB::kCvPixelFormatInvalid).GetDescriptor(), 0u);
}

TEST(MediaBridgePixelFormats, ChannelDepthsMapToEncodingDepths)
{
    using MB::ColorTags::EncodingBitDepth;
    EXPECT_EQ(MB::ChannelBitDepthToEncodingBitDepth(ChannelBitDepth::k8u), EncodingBitDepth::k8);
    EXPECT_EQ(MB::ChannelBitDepthToEncodingBitDepth(ChannelBitDepth::k10u), EncodingBitDepth::k10);
    EXPECT_EQ(MB::ChannelBitDepthToEncodingBitDepth(ChannelBitDepth::k32f), EncodingBitDepth::kFloat32);
    EXPECT_EQ(MB::ChannelBitDepthToEncodingBitDepth(ChannelBitDepth::kUnknown), EncodingBitDepth::kUnknown);
    EXPECT_EQ(MB::ChannelBitDepthToEncodingBitDepth(static_cast<ChannelBitDepth>(7)), EncodingBitDepth::kUnknown);
}
