#include "ProgressBar.h"

#include <unistd.h>

#include <cstdio>

namespace btcli {

ProgressBar::ProgressBar(bool enabled, std::string unit)
    : mEnabled(enabled), mUnit(std::move(unit)), mStart(std::chrono::steady_clock::now()), mLastDraw(mStart)
{
}

ProgressBar::~ProgressBar() { Finish(); }

bool ProgressBar::IsTerminal() noexcept { return isatty(STDERR_FILENO) == 1; }

void ProgressBar::Update(std::int64_t done, std::int64_t total)
{
    if (!mEnabled)
        return;
    const auto now = std::chrono::steady_clock::now();
    if ((total <= 0 || done < total) && mDrawn && now - mLastDraw < std::chrono::milliseconds(100))
        return;
    mLastDraw = now;
    Draw(done, total);
}

void ProgressBar::Draw(std::int64_t done, std::int64_t total)
{
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - mStart).count();
    const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0.0;
    if (total <= 0) {
        std::fprintf(stderr, "\r%lld %s  %.1f s  %.2f/s   ", static_cast<long long>(done), mUnit.c_str(), seconds, rate);
        std::fflush(stderr);
        mDrawn = true;
        return;
    }
    constexpr int kWidth = 30;
    const double fraction = total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 1.0;
    const int filled = static_cast<int>(fraction * kWidth);
    char bar[kWidth + 1];
    for (int i = 0; i < kWidth; ++i)
        bar[i] = i < filled ? '#' : '.';
    bar[kWidth] = 0;
    const double left = rate > 0 ? static_cast<double>(total - done) / rate : 0.0;
    std::fprintf(stderr, "\r[%s] %3.0f%%  %lld/%lld %s  %.1f/s  %.0f s left   ", bar, fraction * 100.0,
                 static_cast<long long>(done), static_cast<long long>(total), mUnit.c_str(), rate, left);
    std::fflush(stderr);
    mDrawn = true;
}

void ProgressBar::Finish()
{
    if (mEnabled && mDrawn) {
        std::fputs("\n", stderr);
        mDrawn = false;
    }
}

} // namespace btcli
