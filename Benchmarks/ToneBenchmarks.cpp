// One minute of sound per tone mode through selector 25, in 1024-sample
// requests as a host plays a clip, next to a bare sine loop. The closing table
// gives each mode's cost per computed sine as a multiple of the bare loop's:
// copies into further channels, silence and the slot walk should add almost
// nothing. The bare loop calls the library's sin; the module's own sine
// samples are bit for bit the same and cost about a third of it.

#include "ImporterBarsAndTone/HostRecords.h"
#include "barsandtone/PackedBytes.h"
#include "bthost/Host.h"
#include "bthost/SoundRequests.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr float kRate = 48000.0f;
constexpr std::int64_t kMinute = 60 * 48000;
constexpr std::uint32_t kRequest = 1024;
constexpr double kTwoPiFloat = 6.2831854820251465;

struct Mode {
    const char* name;
    std::uint32_t channels;
    std::uint8_t identifyChannels;
    std::uint8_t identifierFormat;
    /// Sines computed per sample, from the timetables: one per sounding run
    /// of distinct content, every further channel being a copy.
    double sinesPerSample;
};

const Mode kModes[] = {
    {"SteadyStereo", 2, 0, 0, 1.0},
    {"EbuStereo", 2, 1, 0, 1.0 + 11.0 / 12.0},     // channel 1 always, channel 0 in slots 0 to 10 of 12
    {"EbuMultichannel", 6, 1, 2, 1.0 + 17.0 / 24.0}, // channel 5 always, channels 0 to 4 in 17 of 24 slots
    {"Blits", 6, 1, 3, 117.0 / 134.0},               // one tone sounds in 117 of 134 slots
    {"SteadySixChannels", 6, 0, 0, 1.0},
};

bthost::Host& SharedHost()
{
    static bthost::Host host(BT_MODULE_PATH);
    return host;
}

const void* StoreSettings(const Mode& mode)
{
    namespace tsr = bt::records::ToneSettingsRecord;
    auto& host = SharedHost();
    auto clip = host.GetClipInfo(BT_FILETYPE_BARS, nullptr, kRate);
    std::vector<std::uint8_t> bytes(tsr::kSize);
    std::memcpy(bytes.data(), clip.description.perFileRecord, bytes.size());
    host.ReleaseFileRecord(clip.description.perFileRecord);
    bt::packed::StoreU32(bytes.data(), tsr::kAudioChannelCount, mode.channels);
    bt::packed::StoreU8(bytes.data(), tsr::kIdentifyChannels, mode.identifyChannels);
    bt::packed::StoreU8(bytes.data(), tsr::kIdentifierFormat, mode.identifierFormat);
    return host.StoreSettings(bytes.data(), bytes.size());
}

void SetCounters(benchmark::State& state, std::uint32_t channels, double sinesPerSample)
{
    const auto samples = static_cast<double>(state.iterations()) * static_cast<double>(kMinute);
    state.counters["samples/s/channel"] = benchmark::Counter(samples, benchmark::Counter::kIsRate);
    state.counters["sines/s"] = benchmark::Counter(samples * sinesPerSample, benchmark::Counter::kIsRate);
    state.counters["channels"] = channels;
}

/// The bare loop: the start phase of each request from its sample index, then
/// (float)(sin(phase) * level) into one buffer.
void BM_BareSine(benchmark::State& state)
{
    std::vector<float> buffer(kRequest);
    const double cycles = 1000.0 / 48000.0;
    const double level = 0.25;
    for (auto _ : state) {
        for (std::int64_t at = 0; at < kMinute; at += kRequest) {
            const double p = static_cast<double>(at) * cycles;
            double phase = (p - std::trunc(p)) * kTwoPiFloat;
            for (float& v : buffer) {
                v = static_cast<float>(std::sin(phase) * level);
                phase += cycles * kTwoPiFloat;
            }
            benchmark::DoNotOptimize(buffer.data());
            benchmark::ClobberMemory();
        }
    }
    SetCounters(state, 1, 1.0);
}
BENCHMARK(BM_BareSine)->Unit(benchmark::kMillisecond);

void BM_Selector25(benchmark::State& state, const Mode& mode)
{
    auto& host = SharedHost();
    const void* settings = StoreSettings(mode);
    std::vector<std::vector<float>> channels(mode.channels, std::vector<float>(kRequest));
    std::vector<float*> buffers;
    for (auto& c : channels)
        buffers.push_back(c.data());
    for (auto _ : state) {
        for (std::int64_t at = 0; at < kMinute; at += kRequest) {
            const auto record = bthost::MakeAudioRequest({settings, nullptr}, at, kRequest, buffers.data());
            if (host.Call(BT_SEL_GET_AUDIO, nullptr, record.data()) != BT_RESULT_SUCCESS)
                state.SkipWithError("selector 25 failed");
            benchmark::ClobberMemory();
        }
    }
    SetCounters(state, mode.channels, mode.sinesPerSample);
}

/// Collects nanoseconds per computed sine and prints each mode against the
/// bare loop after the usual table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto sines = run.counters.find("sines/s");
            if (run.error_occurred || sines == run.counters.end() || sines->second.value <= 0.0)
                continue;
            mNsPerSine[run.benchmark_name()] = 1e9 / sines->second.value;
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const auto base = mNsPerSine.find("BM_BareSine");
        if (base == mNsPerSine.end())
            return;
        std::printf("\nCost per computed sine against the bare loop (%.2f ns):\n", base->second);
        for (const auto& [name, ns] : mNsPerSine)
            if (name != base->first)
                std::printf("  %-36s %6.2f ns  %5.3f x\n", name.c_str(), ns, ns / base->second);
    }

private:
    std::map<std::string, double> mNsPerSine;
};

} // namespace

int main(int argc, char** argv)
{
    for (const Mode& mode : kModes)
        benchmark::RegisterBenchmark((std::string("BM_Selector25/") + mode.name).c_str(),
                                     [&mode](benchmark::State& state) { BM_Selector25(state, mode); })
            ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
