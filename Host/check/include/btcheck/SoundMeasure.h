#pragma once
// Measures of sound that the check builds on: levels, the frequency of a
// tone (FFTW), and the on/off envelope of a channel in 10 ms blocks.

#include <cstddef>
#include <vector>

namespace btcheck {

/// dBFS of a linear level; -200 for silence.
[[nodiscard]] double Decibels(double linear) noexcept;

/// The frequency of the strongest tone in `n` samples at `rate` Hz: a Hann
/// window, a zero-padded transform and the peak placed between its bins.
/// 0 for silence or fewer than 64 samples.
[[nodiscard]] double ToneFrequency(const float* samples, std::size_t n, double rate);

/// Frequency in Hz at `rate` of a sine whose course over some samples is
/// (lag, turn) = (Σ x[n−1]², Σ x[n−1]·(x[n] + x[n−2])): their ratio is twice
/// the cosine of its step per sample. 0 when there is none.
[[nodiscard]] double CourseFrequency(double lag, double turn, double rate);

/// RMS level of each block of `block` samples (the last one may be shorter).
[[nodiscard]] std::vector<double> BlockLevels(const std::vector<float>& samples, std::size_t block);

/// Blocks that sound: above a tenth of the channel's loudest block, and above
/// -80 dBFS.
[[nodiscard]] std::vector<bool> Sounding(const std::vector<double>& levels);

/// The longest run of sounding blocks: [first, last) block, or an empty run.
struct Run {
    std::size_t first = 0, last = 0;
    [[nodiscard]] std::size_t Length() const noexcept { return last - first; }
};
[[nodiscard]] Run LongestRun(const std::vector<bool>& on);

} // namespace btcheck
