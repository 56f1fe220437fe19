#include "MediaBridge/PixelFormats.h"

#include <gtest/gtest.h>

using namespace zelmediatypes;

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
