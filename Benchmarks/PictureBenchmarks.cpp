// Pictures through selector 47 on one thread against memset of the same
// number of bytes: the fill should run at memory speed, 0.8 of memset's bytes
// per second or more. Frames come from the host's pool, as in a real host, so
// page faults stay out of the loop, and with the pool's row pitch, which is
// never a multiple of 4 KB (on such a pitch the ramps' column fills run
// several times slower). Everything is timed in thread CPU time.
//
// Two baselines: Memset alone (steady state, one memset after the other), and
// inside Picture a memset before every picture (ratio_to_memset), so that
// other work on a shared machine slows both alike. The second flatters memset
// a little where the frame outgrows the caches: the picture's streamed stores
// leave memset's buffer in the cache for its next round.

#include "ImporterBarsAndTone/ColorSpaces.h"
#include "bthost/PictureRequests.h"
#include "host/ToneSettings.h"
#include "video/BarsPixelFormat.h"

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

/// The baseline: memset of a frame's bytes into a cache-line aligned buffer,
/// each round with another value; returns the thread time it took.
class MemsetBaseline {
public:
    explicit MemsetBaseline(std::size_t bytes) : mBuffer(bytes + 64, 1), mBytes(bytes)
    {
        mAligned = mBuffer.data() + (64 - reinterpret_cast<std::uintptr_t>(mBuffer.data()) % 64) % 64;
    }

    double Run()
    {
        const double t0 = ThreadSeconds();
        std::memset(mAligned, ++mValue & 0xFF, mBytes);
        benchmark::DoNotOptimize(mAligned);
        benchmark::ClobberMemory();
        return ThreadSeconds() - t0;
    }

private:
    std::vector<unsigned char> mBuffer;
    std::size_t mBytes;
    unsigned char* mAligned = nullptr;
    int mValue = 0;
};

/// Bytes of the picture of the arguments: colour space, width, height.
std::size_t FrameBytes(const benchmark::State& state)
{
    const auto space = static_cast<std::uint8_t>(state.range(0));
    return static_cast<std::size_t>(state.range(1)) * static_cast<std::size_t>(state.range(2)) *
           static_cast<std::size_t>(RK_BytesPerPixel(bt::BarsPixelFormat(space)));
}

void Picture(benchmark::State& state)
{
    const auto space = static_cast<std::uint8_t>(state.range(0));
    const auto width = static_cast<std::int32_t>(state.range(1));
    const auto height = static_cast<std::int32_t>(state.range(2));
    const std::size_t bytes = FrameBytes(state);

    bthost::Host host(BT_MODULE_PATH);
    bt::ToneSettings settings;
    settings.colorSpaceType = space;
    settings.frameWidth = width;
    settings.frameHeight = height;
    bthost::PictureRequest request;
    request.settingsFirst = host.StoreSettings(&settings, sizeof settings);
    // One picture first: the pool then holds the frame's memory, touched.
    host.Frames().Release(bthost::RequestPicture(host, request).frame);

    MemsetBaseline baseline(bytes);
    double memsetSeconds = 0.0, pictureSeconds = 0.0;
    for (auto _ : state) {
        memsetSeconds += baseline.Run();
        const double t1 = ThreadSeconds();
        const auto picture = bthost::RequestPicture(host, request);
        const double t2 = ThreadSeconds();
        if (picture.result != 0) {
            state.SkipWithError("selector 47 failed");
            break;
        }
        state.SetIterationTime(t2 - t1);
        pictureSeconds += t2 - t1;
        host.Frames().Release(picture.frame);
        host.Suites().ClearEvents();
    }
    const double total = static_cast<double>(state.iterations()) * static_cast<double>(bytes);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
    state.counters["memset_GBps"] = total / memsetSeconds * 1e-9;
    state.counters["ratio_to_memset"] = memsetSeconds / pictureSeconds;
}

// The same bytes with memset alone, one buffer after the other in steady state.
void Memset(benchmark::State& state)
{
    const std::size_t bytes = FrameBytes(state);
    MemsetBaseline baseline(bytes);
    for (auto _ : state)
        state.SetIterationTime(baseline.Run());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
}

/// Every colour space, by its record value.
const std::vector<std::int64_t> kColorSpaceValues = [] {
    std::vector<std::int64_t> values;
    for (const bt::ColorSpaceFacts& facts : bt::kColorSpaces)
        values.push_back(bt::RecordValue(facts.space));
    return values;
}();

} // namespace

BENCHMARK(Memset)
    ->ArgsProduct({kColorSpaceValues, {1920}, {1080}})
    ->ArgsProduct({kColorSpaceValues, {3840}, {2160}})
    ->ArgNames({"colorSpace", "width", "height"})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK(Picture)
    ->ArgsProduct({kColorSpaceValues, {1920}, {1080}})
    ->ArgsProduct({kColorSpaceValues, {3840}, {2160}})
    ->ArgNames({"colorSpace", "width", "height"})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

BENCHMARK_MAIN();
