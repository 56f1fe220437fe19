// The float picture to 10-bit Y'CbCr conversion against a plain copy of the
// same input bytes: the conversion should run at memory speed. The picture
// is the size of a frame and varied (a ramp in every channel), converted to
// 4:2:2 as for ProRes and DNx, with the vector code the processor picks and
// with the portable one. Thread CPU time, so other work on a shared machine
// slows the copy and the conversion alike.

#include "btmedia/StudioPicture.h"

#include <benchmark/benchmark.h>

#include <time.h>

#include <cstring>
#include <vector>

namespace {

double ThreadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct FloatFrame {
    FloatFrame(int width, int height) : w(width), h(height), floats(static_cast<std::size_t>(width) * height * 4)
    {
        for (std::size_t i = 0; i < floats.size(); ++i)
            floats[i] = static_cast<float>(i % 4099) / 4099.0f - 0.25f;
    }
    btmedia::VuyaPicture Picture() const
    {
        return {w, h, static_cast<std::ptrdiff_t>(w) * 16, reinterpret_cast<const std::uint8_t*>(floats.data()),
                btmedia::VuyaLayout::kFloats};
    }
    int w, h;
    std::vector<float> floats;
};

template <void (*Convert)(const btmedia::VuyaPicture&, const btmedia::StudioPlanes&)>
void Conversion(benchmark::State& state)
{
    const FloatFrame frame(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    btmedia::StudioPicture out(frame.w, frame.h, static_cast<int>(state.range(2)), 0);
    std::vector<float> copy(frame.floats.size());
    double copySeconds = 0.0, convertSeconds = 0.0;
    for (auto _ : state) {
        const double t0 = ThreadSeconds();
        std::memcpy(copy.data(), frame.floats.data(), copy.size() * sizeof(float));
        benchmark::ClobberMemory();
        const double t1 = ThreadSeconds();
        Convert(frame.Picture(), out.Planes());
        benchmark::ClobberMemory();
        const double t2 = ThreadSeconds();
        copySeconds += t1 - t0;
        convertSeconds += t2 - t1;
        state.SetIterationTime(t2 - t1);
    }
    state.counters["frames_per_s"] = static_cast<double>(state.iterations()) / convertSeconds;
    state.counters["ratio_to_copy"] = copySeconds / convertSeconds;
}

} // namespace

BENCHMARK(Conversion<btmedia::ConvertToStudio>)
    ->Args({1920, 1080, 1})
    ->Args({1920, 1080, 0})
    ->Args({3840, 2160, 1})
    ->ArgNames({"width", "height", "chromaHalved"})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK(Conversion<btmedia::ConvertToStudioPortable>)
    ->Args({1920, 1080, 1})
    ->Args({1920, 1080, 0})
    ->Args({3840, 2160, 1})
    ->ArgNames({"width", "height", "chromaHalved"})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

BENCHMARK_MAIN();
