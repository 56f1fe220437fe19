// Geometry and medians on a picture drawn here from a layout, moved and
// scaled as a chain might: the fit must find the move, and the medians the
// patches' codes despite blurred edges.

#include "btcheck/Measure.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace btcheck;

namespace {

// Two bands of four patches, in a 200 × 100 picture.
Layout TwoBands()
{
    Layout l;
    l.width = 200;
    l.height = 100;
    l.bands = {{0, 60}, {60, 100}};
    const std::uint16_t lumas[2][4] = {{700, 200, 900, 400}, {300, 800, 100, 600}};
    for (int b = 0; b < 2; ++b)
        for (int i = 0; i < 4; ++i) {
            Region r;
            r.band = b;
            r.x0 = 50 * i;
            r.x1 = 50 * (i + 1);
            r.y0 = l.bands[static_cast<std::size_t>(b)].y0;
            r.y1 = l.bands[static_cast<std::size_t>(b)].y1;
            r.code = {lumas[b][i], 512, 512};
            l.regions.push_back(r);
        }
    return l;
}

// The layout as a file shows it: bars position p at scale·p + offset, with
// the column and row at each edge mixed half and half.
CodePicture Draw(const Layout& l, double sx, double ox, double sy, double oy)
{
    CodePicture p;
    p.width = l.width;
    p.height = l.height;
    p.depth = 10;
    for (auto& plane : p.plane)
        plane.assign(static_cast<std::size_t>(p.width * p.height), 512);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            double sum = 0;
            for (double d : {0.25, 0.75}) {
                const double bx = (x + d - ox) / sx, by = (y + 0.5 - oy) / sy;
                const Region* hit = &l.regions.front();
                for (const Region& r : l.regions)
                    if (bx >= r.x0 && bx < r.x1 && by >= r.y0 && by < r.y1)
                        hit = &r;
                sum += hit->code[0];
            }
            p.plane[0][static_cast<std::size_t>(y * p.width + x)] = static_cast<std::uint16_t>(std::lround(sum / 2));
        }
    return p;
}

} // namespace

TEST(Measure, UntouchedPictureFitsTheIdentity)
{
    const Layout l = TwoBands();
    const Geometry g = FitGeometry(l, Draw(l, 1, 0, 1, 0));
    EXPECT_NEAR(g.x.scale, 1, 1e-3);
    EXPECT_NEAR(g.x.offset, 0, 0.3);
    EXPECT_NEAR(g.y.offset, 0, 0.3);
    EXPECT_GE(g.x.edges, 6);
    EXPECT_LT(g.LargestShift(l.width, l.height), 0.5);
}

TEST(Measure, MovedAndScaledPictureIsFoundAndMeasuredWhereItIs)
{
    const Layout l = TwoBands();
    const CodePicture file = Draw(l, 0.95, 6, 1, -3);
    const Geometry g = FitGeometry(l, file);
    EXPECT_NEAR(g.x.scale, 0.95, 0.01);
    EXPECT_NEAR(g.x.offset, 6, 0.5);
    EXPECT_NEAR(g.y.offset, -3, 0.5);
    EXPECT_GT(g.LargestShift(l.width, l.height), 3);

    const std::vector<Measurement> m = MeasureRegions(l, g, file);
    ASSERT_EQ(m.size(), l.regions.size());
    for (std::size_t i = 0; i < m.size(); ++i) {
        ASSERT_TRUE(m[i].measured);
        EXPECT_EQ(m[i].median[0], l.regions[i].code[0]) << "region " << i;
    }
    // Measured away from the edges, inside where the region now lies.
    EXPECT_GT(m[1].x0, g.MapX(50));
    EXPECT_LT(m[1].x1, g.MapX(100));
}
