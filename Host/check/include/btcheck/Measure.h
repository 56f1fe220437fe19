#pragma once
// Measuring the bars' regions in a file's picture: where the edges are
// (geometry), and each region's median codes away from its edges.

#include "btcheck/Findings.h"
#include "btcheck/MediaFile.h"
#include "btcheck/Regions.h"

#include <array>
#include <vector>

namespace btcheck {

/// Where the bars' edges lie in the file: one affine map per axis, fitted to
/// the edges between patches that differ clearly.
struct Geometry {
    Axis x, y;
    [[nodiscard]] double MapX(double v) const noexcept { return x.scale * v + x.offset; }
    [[nodiscard]] double MapY(double v) const noexcept { return y.scale * v + y.offset; }
    /// The largest displacement of the bars' edges over the picture, pixels.
    [[nodiscard]] double LargestShift(int width, int height) const noexcept;
};

[[nodiscard]] Geometry FitGeometry(const Layout& layout, const CodePicture& file);

/// One region measured: a patch's medians, or a ramp's per-column medians.
struct Measurement {
    bool measured = false;
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0; ///< area in the file
    std::array<double, 3> median{};
    std::vector<std::array<double, 3>> columns; ///< ramp: one per bars column
    std::vector<int> columnIndex;               ///< ramp: which bars column each is
};

[[nodiscard]] std::vector<Measurement> MeasureRegions(const Layout& layout, const Geometry& geometry,
                                                      const CodePicture& file);

} // namespace btcheck
