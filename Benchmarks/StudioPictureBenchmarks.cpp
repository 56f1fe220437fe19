// The float picture to 10-bit Y'CbCr conversion against a plain copy of the
// same input bytes: the conversion should run at memory speed. The picture
// is the size of a frame and varied (a ramp in every channel), converted to
// 4:2:2 as for ProRes and DNx (and 4:4:4 as for FFV1), with the vector code
// the processor picks and with the portable one. Thread CPU time, so other
// work on a shared machine slows the copy and the conversion alike.
//
// Each round takes the next of four pictures, which together outgrow the
// processor's caches: a picture the module has just painted (with streaming
// stores) is in memory, not in a cache, and so is this one.

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

constexpr std::size_t kPictures = 4;

struct FloatFrames {
    FloatFrames(int width, int height)
        : w(width), h(height), size(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4),
          floats(size * kPictures)
    {
        for (std::size_t i = 0; i < floats.size(); ++i)
            floats[i] = static_cast<float>(i % 4099) / 4099.0f - 0.25f;
    }
    const float* Floats(std::size_t n) const { return floats.data() + size * (n % kPictures); }
    btmedia::VuyaPicture Picture(std::size_t n) const
    {
        return {w, h, static_cast<std::ptrdiff_t>(w) * 16, reinterpret_cast<const std::uint8_t*>(Floats(n)),
                btmedia::VuyaLayout::kFloats};
    }
    int w, h;
    std::size_t size; ///< floats per picture
    std::vector<float> floats;
};

template <void (*Convert)(const btmedia::VuyaPicture&, const btmedia::StudioPlanes&)>
void Conversion(benchmark::State& state)
{
    const FloatFrames frames(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    btmedia::StudioPicture out(frames.w, frames.h, static_cast<int>(state.range(2)), 0);
    std::vector<float> copy(frames.size);
    double copySeconds = 0.0, convertSeconds = 0.0;
    std::size_t round = 0;
    for (auto _ : state) {
        const double t0 = ThreadSeconds();
        std::memcpy(copy.data(), frames.Floats(round++), copy.size() * sizeof(float));
        benchmark::ClobberMemory();
        const double t1 = ThreadSeconds();
        Convert(frames.Picture(round++), out.Planes());
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

/// The sizes and chroma layouts an export converts, each with the same settings.
void Sizes(benchmark::internal::Benchmark* b)
{
    b->Args({1920, 1080, 1})->Args({1920, 1080, 0})->Args({3840, 2160, 1});
    b->ArgNames({"width", "height", "chromaHalved"})->Unit(benchmark::kMillisecond)->UseManualTime();
}

BENCHMARK(Conversion<btmedia::ConvertToStudio>)->Apply(Sizes);
BENCHMARK(Conversion<btmedia::ConvertToStudioPortable>)->Apply(Sizes);

BENCHMARK_MAIN();
