#include "btcheck/Measure.h"

#include <algorithm>
#include <cmath>

namespace btcheck {

namespace {

// Medians of at most this many pixels per region; enough for a flat patch.
constexpr int kSamplesPerAxis = 48;
// Edges between patches that differ by less than this share of the code
// range (the black-level sets) are too faint to place reliably.
constexpr double kMinEdgeContrast = 0.05;

using Triple = std::array<double, 3>;

Triple MedianBox(const CodePicture& f, int x0, int x1, int y0, int y1)
{
    x0 = std::clamp(x0, 0, f.width - 1);
    x1 = std::clamp(x1, x0 + 1, f.width);
    y0 = std::clamp(y0, 0, f.height - 1);
    y1 = std::clamp(y1, y0 + 1, f.height);
    const int sx = std::max(1, (x1 - x0) / kSamplesPerAxis);
    const int sy = std::max(1, (y1 - y0) / kSamplesPerAxis);
    Triple out{};
    std::vector<std::uint16_t> values;
    for (int c = 0; c < f.Components(); ++c) {
        values.clear();
        for (int y = y0; y < y1; y += sy)
            for (int x = x0; x < x1; x += sx)
                values.push_back(f.At(c, x, y));
        auto mid = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
        std::nth_element(values.begin(), mid, values.end());
        out[c] = *mid;
    }
    return out;
}

double Dot(const Triple& a, const Triple& b) noexcept { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

struct EdgeMatch {
    double bars, file, weight;
};

// Where, between two points of the file, the picture crosses from level A to
// level B: `sample(t)` gives the mean codes of line t (a column or a row).
template <typename Sample>
bool Crossing(int from, int to, const Triple& a, const Triple& b, Sample sample, double& at)
{
    Triple d{a[0] - b[0], a[1] - b[1], a[2] - b[2]};
    const double norm = Dot(d, d);
    if (norm <= 0 || to - from < 2)
        return false;
    auto share = [&](int t) {
        const Triple v = sample(t);
        return Dot(Triple{v[0] - b[0], v[1] - b[1], v[2] - b[2]}, d) / norm; // 1 at A, 0 at B
    };
    double previous = share(from);
    for (int t = from + 1; t < to; ++t) {
        const double now = share(t);
        if (previous >= 0.5 && now < 0.5) {
            // Line t-1 is centred at t-0.5; interpolate to the half-way point.
            at = (t - 0.5) + (previous - 0.5) / (previous - now);
            return true;
        }
        previous = now;
    }
    return false;
}

/// A stretch [from, to) of one axis.
struct Span {
    int from, to;
    [[nodiscard]] int Centre() const noexcept { return (from + to) / 2; }
    [[nodiscard]] int Quarter() const noexcept { return std::max(1, (to - from) / 4); }
};

enum class EdgeAxis { X, Y };

/// The edge between patch `a` and patch `b` after it along `axis`, looked for
/// over `across` on the other axis: where the file crosses from a's level to
/// b's, added to `out` when the two differ enough to place it.
void MatchEdge(const CodePicture& file, EdgeAxis axis, Span a, Span b, Span across, double minContrast,
               std::vector<EdgeMatch>& out)
{
    const bool alongX = axis == EdgeAxis::X;
    auto median = [&](Span patch) {
        const int lo = patch.Centre() - patch.Quarter() / 2, hi = patch.Centre() + patch.Quarter() / 2 + 1;
        return alongX ? MedianBox(file, lo, hi, across.from, across.to) : MedianBox(file, across.from, across.to, lo, hi);
    };
    Triple la = median(a);
    Triple lb = median(b);
    // Chroma lies where the chain's subsampling filters put it (a 4:2:0
    // stage anywhere upstream moves and softens its edges), not where the
    // picture's edge is: in Y'CbCr only luma places an edge.
    if (file.family == Family::YCbCr) {
        la[1] = lb[1] = la[2] = lb[2] = 0;
    }
    const double contrast = std::max({std::abs(la[0] - lb[0]), std::abs(la[1] - lb[1]), std::abs(la[2] - lb[2])});
    if (contrast < minContrast)
        return;
    const int step = std::max(1, (across.to - across.from) / 16);
    // The mean codes of line t: a column for edges along x, a row along y.
    auto line = [&](int t) {
        Triple sum{};
        int n = 0;
        for (int u = across.from; u < across.to; u += step, ++n)
            for (int c = 0; c < file.Components(); ++c)
                sum[c] += alongX ? file.At(c, std::clamp(t, 0, file.width - 1), u)
                                 : file.At(c, u, std::clamp(t, 0, file.height - 1));
        return Triple{sum[0] / n, sum[1] / n, sum[2] / n};
    };
    double at = 0;
    if (Crossing(a.Centre(), b.Centre(), la, lb, line, at))
        out.push_back({static_cast<double>(a.to), at, contrast});
}

Axis FitAxis(std::vector<EdgeMatch> edges, int size)
{
    Axis axis;
    for (int pass = 0; pass < 2 && !edges.empty(); ++pass) {
        double sw = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
        for (const auto& e : edges) {
            sw += e.weight;
            sx += e.weight * e.bars;
            sy += e.weight * e.file;
            sxx += e.weight * e.bars * e.bars;
            sxy += e.weight * e.bars * e.file;
        }
        const double det = sw * sxx - sx * sx;
        if (det > 1e-9 * sw * sw * size * size) {
            axis.scale = (sw * sxy - sx * sy) / det;
            axis.offset = (sy - axis.scale * sx) / sw;
        } else {
            axis.scale = 1;
            axis.offset = (sy - sx) / sw;
        }
        axis.edges = static_cast<int>(edges.size());
        // Once more without the edges the first fit does not explain: a patch
        // whose neighbour was taken for it.
        const double limit = std::max(2.0, 0.01 * size);
        std::erase_if(edges, [&](const EdgeMatch& e) {
            return std::abs(axis.scale * e.bars + axis.offset - e.file) > limit;
        });
    }
    return axis;
}

int Margin(int size, int chromaShift)
{
    return std::max(2, static_cast<int>(std::ceil(0.12 * size))) + (1 << chromaShift);
}

/// The span [lo, hi) less a margin at each end (none when it leaves nothing
/// flat to measure): the edges of a patch are softened by filtering and by
/// chroma subsampling.
bool Inset(int& lo, int& hi, int chromaShift)
{
    int margin = Margin(hi - lo, chromaShift);
    if (hi - lo - 2 * margin < 1)
        margin = (hi - lo - 1) / 2;
    if (hi - lo < 3 || margin < 1)
        return false;
    lo += margin;
    hi -= margin;
    return true;
}

} // namespace

double Geometry::LargestShift(int width, int height) const noexcept
{
    return std::max({std::abs(MapX(0)), std::abs(MapX(width) - width), std::abs(MapY(0)),
                     std::abs(MapY(height) - height)});
}

Geometry FitGeometry(const Layout& layout, const CodePicture& file)
{
    const double top = std::ldexp(1.0, file.depth) - 1;
    const double minContrast = kMinEdgeContrast * top;
    std::vector<EdgeMatch> xs, ys;
    const auto& regions = layout.regions;

    // Patches side by side in one band: their edge is found along x, over the
    // middle half of the band's height.
    for (std::size_t i = 0; i + 1 < regions.size(); ++i) {
        const Region& a = regions[i];
        const Region& b = regions[i + 1];
        if (a.band != b.band || a.ramp || b.ramp || a.x1 != b.x0 || a.x1 - a.x0 < 4 || b.x1 - b.x0 < 4)
            continue;
        const int ry0 = a.y0 + (a.y1 - a.y0) / 4, ry1 = a.y1 - (a.y1 - a.y0) / 4;
        if (ry1 <= ry0)
            continue;
        MatchEdge(file, EdgeAxis::X, {a.x0, a.x1}, {b.x0, b.x1}, {ry0, ry1}, minContrast, xs);
    }

    // Patches stacked in successive bands: their edge is found along y, over
    // the middle half of where they overlap.
    for (const Region& a : regions) {
        if (a.ramp)
            continue;
        for (const Region& b : regions) {
            if (b.band != a.band + 1 || b.ramp || b.y0 != a.y1)
                continue;
            const int ox0 = std::max(a.x0, b.x0), ox1 = std::min(a.x1, b.x1);
            if (ox1 - ox0 < 8 || a.y1 - a.y0 < 4 || b.y1 - b.y0 < 4)
                continue;
            const int cx0 = ox0 + (ox1 - ox0) / 4, cx1 = ox1 - (ox1 - ox0) / 4;
            MatchEdge(file, EdgeAxis::Y, {a.y0, a.y1}, {b.y0, b.y1}, {cx0, cx1}, minContrast, ys);
        }
    }
    Geometry g;
    g.x = FitAxis(std::move(xs), layout.width);
    g.y = FitAxis(std::move(ys), layout.height);
    return g;
}

std::vector<Measurement> MeasureRegions(const Layout& layout, const Geometry& geometry, const CodePicture& file)
{
    std::vector<Measurement> out(layout.regions.size());
    for (std::size_t i = 0; i < layout.regions.size(); ++i) {
        const Region& r = layout.regions[i];
        Measurement& m = out[i];
        int x0 = static_cast<int>(std::lround(geometry.MapX(r.x0)));
        int x1 = static_cast<int>(std::lround(geometry.MapX(r.x1)));
        int y0 = static_cast<int>(std::lround(geometry.MapY(r.y0)));
        int y1 = static_cast<int>(std::lround(geometry.MapY(r.y1)));
        x0 = std::max(x0, 0);
        y0 = std::max(y0, 0);
        x1 = std::min(x1, file.width);
        y1 = std::min(y1, file.height);
        if (!Inset(y0, y1, file.chromaShiftY))
            continue;
        m.y0 = y0;
        m.y1 = y1;
        if (!r.ramp) {
            if (!Inset(x0, x1, file.chromaShiftX))
                continue;
            m.x0 = x0;
            m.x1 = x1;
            m.median = MedianBox(file, m.x0, m.x1, m.y0, m.y1);
            m.measured = true;
            continue;
        }
        // A ramp column by column, leaving out the columns next to its ends.
        const int skip = 1 + (1 << file.chromaShiftX);
        for (int c = skip; c < static_cast<int>(r.columns.size()) - skip; ++c) {
            const int fx = static_cast<int>(std::floor(geometry.MapX(r.x0 + c + 0.5)));
            if (fx < 0 || fx >= file.width)
                continue;
            m.columns.push_back(MedianBox(file, fx, fx + 1, m.y0, m.y1));
            m.columnIndex.push_back(c);
        }
        if (m.columns.empty())
            continue;
        m.x0 = static_cast<int>(std::floor(geometry.MapX(r.x0 + m.columnIndex.front())));
        m.x1 = static_cast<int>(std::ceil(geometry.MapX(r.x0 + m.columnIndex.back() + 1)));
        m.measured = true;
    }
    return out;
}

} // namespace btcheck
