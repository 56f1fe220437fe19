// Pictures through selector 47, one thread, next to a memset of the same
// number of bytes: the fill should run at memory speed. Frames come from the
// host's pool, as in a real host, so page faults stay out of the loop.

#include "bthost/PictureRequests.h"
#include "host/ToneSettings.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

std::int64_t FrameBytes(std::int64_t colorSpaceType, std::int64_t width, std::int64_t height)
{
    return width * height * (colorSpaceType == 0 ? 4 : 16);
}

void Picture(benchmark::State& state)
{
    const auto space = static_cast<std::uint8_t>(state.range(0));
    const auto width = static_cast<std::int32_t>(state.range(1));
    const auto height = static_cast<std::int32_t>(state.range(2));
    bthost::Host host(BT_MODULE_PATH);
    bt::ToneSettings settings;
    settings.colorSpaceType = space;
    settings.frameWidth = width;
    settings.frameHeight = height;
    bthost::PictureRequest request;
    request.settingsFirst = host.StoreSettings(&settings, sizeof settings);

    // One picture first: the pool then holds the frame's memory, touched.
    host.Frames().Release(bthost::RequestPicture(host, request).frame);
    for (auto _ : state) {
        const auto picture = bthost::RequestPicture(host, request);
        if (picture.result != 0) {
            state.SkipWithError("selector 47 failed");
            break;
        }
        host.Frames().Release(picture.frame);
        host.Suites().ClearEvents();
    }
    state.SetBytesProcessed(state.iterations() * FrameBytes(space, width, height));
}

void MemsetBaseline(benchmark::State& state)
{
    const auto bytes = static_cast<std::size_t>(FrameBytes(state.range(0), state.range(1), state.range(2)));
    std::vector<unsigned char> buffer(bytes + 64, 1);
    unsigned char* aligned = buffer.data() + (64 - reinterpret_cast<std::uintptr_t>(buffer.data()) % 64) % 64;
    int value = 0;
    for (auto _ : state) {
        std::memset(aligned, ++value & 0xFF, bytes);
        benchmark::DoNotOptimize(aligned);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
}

void Sizes(benchmark::internal::Benchmark* b)
{
    for (std::int64_t space = 0; space <= 3; ++space) {
        b->Args({space, 1920, 1080});
        b->Args({space, 3840, 2160});
    }
    b->ArgNames({"colorSpace", "width", "height"});
    b->Unit(benchmark::kMillisecond);
    b->UseRealTime();
}

} // namespace

BENCHMARK(MemsetBaseline)->Apply(Sizes);
BENCHMARK(Picture)->Apply(Sizes);

BENCHMARK_MAIN();
