#include "zelmediatypes/PixelFormat.h"

#include <gtest/gtest.h>

using namespace zelmediatypes;

TEST(PixelFormat, DescriptorCarriesTheChannelDepthInBitsOneToThree)
{
    for (ChannelBitDepth depth : {ChannelBitDepth::k8u, ChannelBitDepth::k10u, ChannelBitDepth::k12u,
                                  ChannelBitDepth::k16u, ChannelBitDepth::k16f, ChannelBitDepth::k32f}) {
        const std::uint32_t word = MakePixelFormatDescriptor(depth, true, true);
        EXPECT_EQ((word >> 1) & 7u, static_cast<std::uint32_t>(depth));
        EXPECT_EQ(word & 1u, 1u);
        EXPECT_EQ(word & 0x80u, 0x80u);
        EXPECT_EQ(PixelFormat(PixelFormatId::kVUYA_4444_8u, word).GetChannelBitDepth(), depth);
    }
}

TEST(PixelFormat, KnownFormatsAreStudioYCbCr)
{
    const PixelFormat eight = PixelFormat::FromId(PixelFormatId::kVUYA_4444_8u);
    const PixelFormat flt = PixelFormat::FromId(PixelFormatId::kVUYA_4444_32f);
    EXPECT_EQ(eight.GetChannelBitDepth(), ChannelBitDepth::k8u);
    EXPECT_EQ(flt.GetChannelBitDepth(), ChannelBitDepth::k32f);
    for (PixelFormat f : {eight, flt}) {
        EXPECT_TRUE(f.IsValid());
        EXPECT_EQ(f.GetDescriptor() & (PixelFormat::kDescriptorRgb | PixelFormat::kDescriptorFullRange), 0u);
    }
    EXPECT_FALSE(PixelFormat::FromId(PixelFormatId::kInvalid).IsValid());
    EXPECT_EQ(PixelFormat::FromId(static_cast<PixelFormatId>(77)), PixelFormat());
}
