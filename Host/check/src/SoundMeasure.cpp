#include "btcheck/SoundMeasure.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

namespace btcheck {

namespace {

constexpr double kSilentDb = -80.0;
constexpr double kSoundingShare = 0.1;

struct FftwFree {
    void operator()(void* p) const noexcept { fftw_free(p); }
};
struct PlanFree {
    void operator()(fftw_plan_s* p) const noexcept { fftw_destroy_plan(p); }
};

} // namespace

double Decibels(double linear) noexcept { return linear > 1e-10 ? 20.0 * std::log10(linear) : -200.0; }

double ToneFrequency(const float* samples, std::size_t n, double rate)
{
    if (n < 64 || rate <= 0)
        return 0;
    std::size_t size = 1;
    while (size < 4 * n)
        size <<= 1;
    std::unique_ptr<double, FftwFree> in(static_cast<double*>(fftw_malloc(sizeof(double) * size)));
    std::unique_ptr<fftw_complex, FftwFree> out(
        static_cast<fftw_complex*>(fftw_malloc(sizeof(fftw_complex) * (size / 2 + 1))));
    if (!in || !out)
        throw std::bad_alloc();
    std::unique_ptr<fftw_plan_s, PlanFree> plan(
        fftw_plan_dft_r2c_1d(static_cast<int>(size), in.get(), out.get(), FFTW_ESTIMATE));
    double* x = in.get();
    for (std::size_t i = 0; i < n; ++i) {
        const double w = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(n - 1));
        x[i] = w * static_cast<double>(samples[i]);
    }
    std::fill(x + n, x + size, 0.0);
    fftw_execute(plan.get());
    const fftw_complex* X = out.get();
    auto power = [&](std::size_t k) { return X[k][0] * X[k][0] + X[k][1] * X[k][1]; };
    std::size_t peak = 1;
    for (std::size_t k = 2; k < size / 2; ++k)
        if (power(k) > power(peak))
            peak = k;
    if (power(peak) <= 0)
        return 0;
    // A Hann window's peak is close to a Gaussian: fit one through three bins.
    const double a = std::log(std::max(power(peak - 1), 1e-300));
    const double b = std::log(power(peak));
    const double c = std::log(std::max(power(peak + 1), 1e-300));
    const double denominator = a - 2 * b + c;
    const double delta = denominator < 0 ? 0.5 * (a - c) / denominator : 0.0;
    return (static_cast<double>(peak) + delta) * rate / static_cast<double>(size);
}

double CourseFrequency(double lag, double turn, double rate)
{
    if (lag <= 0)
        return 0;
    return std::acos(std::clamp(turn / (2 * lag), -1.0, 1.0)) * rate / (2 * std::numbers::pi);
}

std::vector<double> BlockLevels(const std::vector<float>& samples, std::size_t block)
{
    std::vector<double> levels;
    for (std::size_t i = 0; i < samples.size(); i += block) {
        const std::size_t end = std::min(samples.size(), i + block);
        double sum = 0;
        for (std::size_t k = i; k < end; ++k)
            sum += static_cast<double>(samples[k]) * static_cast<double>(samples[k]);
        levels.push_back(std::sqrt(sum / static_cast<double>(end - i)));
    }
    return levels;
}

std::vector<bool> Sounding(const std::vector<double>& levels)
{
    const double loudest = levels.empty() ? 0.0 : *std::max_element(levels.begin(), levels.end());
    const double threshold = std::max(kSoundingShare * loudest, std::pow(10.0, kSilentDb / 20));
    std::vector<bool> on(levels.size());
    for (std::size_t i = 0; i < levels.size(); ++i)
        on[i] = levels[i] > threshold;
    return on;
}

Run LongestRun(const std::vector<bool>& on)
{
    Run best, current;
    for (std::size_t i = 0; i <= on.size(); ++i) {
        if (i < on.size() && on[i]) {
            if (current.Length() == 0)
                current.first = i;
            current.last = i + 1;
            if (current.Length() > best.Length())
                best = current;
        } else {
            current = Run{};
        }
    }
    return best;
}

} // namespace btcheck
