#include "btmedia/ContentLight.h"

#include <algorithm>
#include <cmath>

namespace btmedia {

double PqToCandelas(double signal) noexcept
{
    constexpr double m1 = 2610.0 / 16384.0;
    constexpr double m2 = 2523.0 / 4096.0 * 128.0;
    constexpr double c1 = 3424.0 / 4096.0;
    constexpr double c2 = 2413.0 / 4096.0 * 32.0;
    constexpr double c3 = 2392.0 / 4096.0 * 32.0;
    const double p = std::pow(std::clamp(signal, 0.0, 1.0), 1.0 / m2);
    return 10000.0 * std::pow(std::max(p - c1, 0.0) / (c2 - c3 * p), 1.0 / m1);
}

ContentLight MeasurePqContentLight(const StudioPlanes& picture)
{
    // BT.2020 non-constant luminance.
    constexpr double kr = 0.2627;
    constexpr double kb = 0.0593;
    double brightest = 0.0;
    double sum = 0.0;
    for (int y = 0; y < picture.height; ++y) {
        const std::uint16_t* luma = picture.plane[0] + y * picture.stride[0];
        const std::ptrdiff_t cy = y >> picture.chromaShiftY;
        const std::uint16_t* cb = picture.plane[1] + cy * picture.stride[1];
        const std::uint16_t* cr = picture.plane[2] + cy * picture.stride[2];
        for (int x = 0; x < picture.width; ++x) {
            const int cx = x >> picture.chromaShiftX;
            const double yy = (luma[x] - 64) / 876.0;
            const double u = (cb[cx] - 512) / 896.0;
            const double v = (cr[cx] - 512) / 896.0;
            const double r = yy + 2.0 * (1.0 - kr) * v;
            const double b = yy + 2.0 * (1.0 - kb) * u;
            const double g = (yy - kr * r - kb * b) / (1.0 - kr - kb);
            const double light = PqToCandelas(std::max({r, g, b}));
            brightest = std::max(brightest, light);
            sum += light;
        }
    }
    const double pixels = static_cast<double>(picture.width) * static_cast<double>(picture.height);
    ContentLight levels;
    levels.maxCll = static_cast<unsigned>(std::lround(brightest));
    levels.maxFall = pixels > 0 ? static_cast<unsigned>(std::lround(sum / pixels)) : 0;
    return levels;
}

} // namespace btmedia
