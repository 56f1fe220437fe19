#include "btcheck/Regions.h"

#include <algorithm>

namespace btcheck {

namespace {

struct Run {
    int x0, x1;
    Codes code;
};

bool SameRow(const btmedia::StudioPlanes& p, int a, int b)
{
    for (int c = 0; c < 3; ++c)
        if (!std::equal(p.plane[c] + a * p.stride[c], p.plane[c] + a * p.stride[c] + p.width,
                        p.plane[c] + b * p.stride[c]))
            return false;
    return true;
}

std::vector<Run> RunsOfRow(const btmedia::StudioPlanes& p, int y)
{
    std::vector<Run> runs;
    for (int x = 0; x < p.width; ++x) {
        const Codes code{p.plane[0][y * p.stride[0] + x], p.plane[1][y * p.stride[1] + x],
                         p.plane[2][y * p.stride[2] + x]};
        if (!runs.empty() && runs.back().code == code)
            runs.back().x1 = x + 1;
        else
            runs.push_back({x, x + 1, code});
    }
    return runs;
}

// A ramp is at least this many narrow runs in a row, each one step of
// rising luma at the same colour difference.
constexpr std::size_t kMinRampSteps = 4;

} // namespace

Layout FindRegions(btmedia::StudioPicture& picture)
{
    const btmedia::StudioPlanes p = picture.Planes();
    Layout layout;
    layout.width = p.width;
    layout.height = p.height;
    for (int y = 0; y < p.height; ++y)
        if (y == 0 || !SameRow(p, y, y - 1))
            layout.bands.push_back({y, y + 1});
        else
            layout.bands.back().y1 = y + 1;

    // Steps of a ramp are a column or two wide at any size the module paints.
    const int narrow = std::max(3, p.width / 256);
    for (std::size_t b = 0; b < layout.bands.size(); ++b) {
        const Band band = layout.bands[b];
        const std::vector<Run> runs = RunsOfRow(p, band.y0);
        for (std::size_t i = 0; i < runs.size();) {
            std::size_t j = i;
            while (j + 1 < runs.size() && runs[j].x1 - runs[j].x0 <= narrow &&
                   runs[j + 1].x1 - runs[j + 1].x0 <= narrow && runs[j + 1].code[0] > runs[j].code[0] &&
                   runs[j + 1].code[1] == runs[j].code[1] && runs[j + 1].code[2] == runs[j].code[2])
                ++j;
            Region r;
            r.band = static_cast<int>(b);
            r.y0 = band.y0;
            r.y1 = band.y1;
            r.x0 = runs[i].x0;
            if (j + 1 - i >= kMinRampSteps) {
                r.ramp = true;
                r.x1 = runs[j].x1;
                for (std::size_t k = i; k <= j; ++k)
                    r.columns.insert(r.columns.end(), static_cast<std::size_t>(runs[k].x1 - runs[k].x0), runs[k].code);
                r.code = runs[i].code;
                i = j + 1;
            } else {
                r.x1 = runs[i].x1;
                r.code = runs[i].code;
                ++i;
            }
            layout.regions.push_back(std::move(r));
        }
    }
    return layout;
}

} // namespace btcheck
