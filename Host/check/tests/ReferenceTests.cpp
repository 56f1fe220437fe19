// The module as check's reference: its bars painted at any size, read from
// the frames it delivers and handed back to the host's pool; its tone read
// from the settings record.

#include "btcheck/Reference.h"

#include "ImporterBarsAndTone/ColorSpaces.h"

#include <gtest/gtest.h>

using namespace btcheck;

namespace {

bthost::Host& TheHost()
{
    static bthost::Host host(BT_MODULE_PATH);
    return host;
}

} // namespace

TEST(Reference, EveryColourSpacesBarsComeAtTheSizeAskedAndTheirFramesGoBack)
{
    Reference reference(TheHost(), Reference::DefaultRecord(TheHost()));
    for (const bt::ColorSpaceFacts& space : bt::kColorSpaces) {
        const int cs = bt::RecordValue(space.space);
        SCOPED_TRACE(cs);
        btmedia::StudioPicture bars = reference.Picture(cs, 96, 54);
        EXPECT_EQ(bars.Planes().width, 96);
        EXPECT_EQ(bars.Planes().height, 54);
        EXPECT_EQ(TheHost().Frames().LiveFrames(), 0u);
    }
}

TEST(Reference, TheDefaultToneIsASteadyKilohertzAtAQuarterOfFullScale)
{
    const ToneSpec tone = ToneOf(Reference::DefaultRecord(TheHost()));
    EXPECT_FALSE(tone.identify);
    EXPECT_EQ(tone.frequency, 1000.0f);
    EXPECT_EQ(tone.amplitude, 0.25f);
    EXPECT_EQ(tone.channels, 2);
}
