// Every picture format, as the preview and as the signal, read back by
// check's reader: the depth it says, black and white where they belong, and
// each component where the file keeps it.

#include "MovieProbe.h"
#include "MovieTestSources.h"
#include "TestFolder.h"
#include "btmedia/ImageWriter.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using namespace btmedia;
using namespace btmedia::test;

using ImageWriter = FolderTest;

TEST_F(ImageWriter, EachFormatHoldsThePreviewAndTheSignalAtItsDepth)
{
    const std::map<std::string, std::string, std::less<>> kCodec = {{"png", "png"}, {"tiff", "tiff"}, {"dpx", "dpx"}};
    constexpr int kWidth = 64, kHeight = 36;
    // Left black, right white, a blue patch at the top right (TestFloats).
    const std::vector<float> floats = TestFloats(64, kWidth, kHeight);
    const VuyaPicture picture = FloatPicture(floats, kWidth, kHeight);
    const ColourCodes rec709{1, 1, 1};
    for (const FormatList::Entry& entry : ImageFormatList().entries) {
        ASSERT_TRUE(kCodec.count(entry.names.name)) << "no expectation for " << entry.names.name;
        const auto format = static_cast<ImageFormat>(entry.format);
        for (const RgbRange range : {RgbRange::Full, RgbRange::Narrow}) {
            const std::string name = std::string(range == RgbRange::Full ? "preview" : "signal") +
                                     std::string(entry.names.extensions[0]);
            SCOPED_TRACE(name);
            ASSERT_EQ(ImageFormatOfName(name), format);
            OutputFile output(Path(name), {});
            WriteImage(output, format, picture, rec709, range);

            const probe::Movie back = probe::ReadMovie(Path(name));
            EXPECT_EQ(back.videoCodec, kCodec.find(entry.names.name)->second);
            ASSERT_EQ(back.frames.size(), 1u);
            const btcheck::CodePicture& p = back.frames[0];
            const int bits = ImageBits(format, range);
            ASSERT_EQ(p.depth, bits);
            // Full range: 0 to the top code; narrow: 16 to 235 scaled from 8 bits.
            const int black = range == RgbRange::Full ? 0 : 16 << (bits - 8);
            const int white = range == RgbRange::Full ? (1 << bits) - 1 : 235 << (bits - 8);
            for (int c = 0; c < 3; ++c) {
                EXPECT_EQ(p.At(c, kWidth / 4, kHeight / 2), black) << "component " << c;
                EXPECT_EQ(p.At(c, kWidth * 3 / 4, kHeight / 2), white) << "component " << c;
            }
            // Blue above white in B, below it in R: R and B are where the file says.
            EXPECT_GT(p.At(2, kWidth * 3 / 4, 1), p.At(0, kWidth * 3 / 4, 1));
        }
    }
    EXPECT_FALSE(ImageFormatOfName("x.jpg"));
}

} // namespace
