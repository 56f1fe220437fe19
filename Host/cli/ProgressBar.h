#pragma once
// A one-line progress bar on the terminal's error stream, redrawn at most ten
// times a second so that it costs nothing next to the work it reports.

#include <chrono>
#include <cstdint>
#include <string>

namespace btcli {

class ProgressBar {
public:
    /// `enabled` false: draws nothing.
    ProgressBar(bool enabled, std::string unit);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    /// `total` 0: no end known, so the count, the time and the rate only.
    void Update(std::int64_t done, std::int64_t total);
    /// Ends the line (also done by the destructor).
    void Finish();

    /// Whether the error stream is a terminal.
    [[nodiscard]] static bool IsTerminal() noexcept;

private:
    void Draw(std::int64_t done, std::int64_t total);

    bool mEnabled;
    bool mDrawn = false;
    std::string mUnit;
    std::chrono::steady_clock::time_point mStart;
    std::chrono::steady_clock::time_point mLastDraw;
};

} // namespace btcli
