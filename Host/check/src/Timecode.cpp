#include "btcheck/Timecode.h"

#include <cmath>
#include <cstdio>

namespace btcheck {

bool ParseTimecode(const std::string& text, Timecode& tc)
{
    char a = 0, b = 0, c = 0;
    int n = 0;
    if (std::sscanf(text.c_str(), "%d%c%d%c%d%c%d%n", &tc.h, &a, &tc.m, &b, &tc.s, &c, &tc.f, &n) != 7 ||
        n != static_cast<int>(text.size()) || a != ':' || b != ':' || (c != ':' && c != ';' && c != '.'))
        return false;
    tc.dropFrame = c == ';' || c == '.';
    return tc.h >= 0 && tc.h < 24 && tc.m >= 0 && tc.m < 60 && tc.s >= 0 && tc.s < 60 && tc.f >= 0;
}

int NominalRate(double fps) noexcept { return fps > 0 ? static_cast<int>(std::lround(fps)) : 0; }

bool HasDropFrame(double fps) noexcept
{
    const int nominal = NominalRate(fps);
    return (nominal == 30 || nominal == 60) && std::abs(fps * 1001.0 / 1000.0 - nominal) < 0.01;
}

namespace {

// Drop-frame counting skips the first frame numbers of each minute but every
// tenth: two a minute at 30, four at 60.
int Dropped(int nominal) noexcept { return nominal / 15; }

} // namespace

std::int64_t FramesSinceMidnight(const Timecode& tc, int nominal) noexcept
{
    const std::int64_t minutes = 60LL * tc.h + tc.m;
    std::int64_t frames = ((minutes * 60) + tc.s) * nominal + tc.f;
    if (tc.dropFrame)
        frames -= Dropped(nominal) * (minutes - minutes / 10);
    return frames;
}

std::int64_t FramesPerDay(int nominal, bool dropFrame) noexcept
{
    return 24LL * 3600 * nominal - (dropFrame ? Dropped(nominal) * (24LL * 60 - 24 * 6) : 0);
}

std::string TimecodeText(std::int64_t frames, int nominal, bool dropFrame)
{
    if (nominal <= 0)
        return {};
    const std::int64_t day = FramesPerDay(nominal, dropFrame);
    frames = ((frames % day) + day) % day;
    if (dropFrame) {
        const std::int64_t drop = Dropped(nominal);
        const std::int64_t perTen = 600LL * nominal - 9 * drop; // frames in ten minutes
        const std::int64_t perMinute = 60LL * nominal - drop;
        const std::int64_t tens = frames / perTen;
        const std::int64_t rest = frames % perTen;
        frames += 9 * drop * tens + (rest > drop ? drop * ((rest - drop) / perMinute) : 0);
    }
    char text[64];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld%c%02lld", static_cast<long long>(frames / (3600LL * nominal)),
                  static_cast<long long>(frames / (60LL * nominal) % 60), static_cast<long long>(frames / nominal % 60),
                  dropFrame ? ';' : ':', static_cast<long long>(frames % nominal));
    return text;
}

} // namespace btcheck
