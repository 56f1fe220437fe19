#include "MediaBridge/PixelFormats.h"

#include <gtest/gtest.h>

using namespace zelmediatypes;

TEST(MediaBridgePixelFormats, UnknownFormatsAndCodesGiveInvalid)
{
    EXPECT_EQ(MB::BEToSDKPixelFormat(PixelFormat()), MB::kCvPixelFormatInvalid);
    EXPECT_FALSE(MB::SDKToBEPixelFormat(0x12345678u).IsValid());
    EXPECT_EQ(MB::SDKToBEPixelFormat(MB::kCvPixelFormatInvalid).GetDescriptor(), 0u);
}
