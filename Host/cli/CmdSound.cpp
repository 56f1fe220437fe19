// tone and levels: a stretch of sound, a level overview.

#include "ClipMedia.h"
#include "ClipOutputs.h"
#include "Commands.h"
#include "Session.h"
#include "btmedia/WavWriter.h"
#include "btmedia/Waveform.h"
#include "bthost/SoundRequests.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <optional>

namespace btcli {

namespace {

struct SampleRange {
    std::int64_t start = 0;
    std::int64_t count = 0;
};

/// Start and length at `rate` values per second; the default length is the
/// clip's sound, five seconds.
SampleRange Resolve(const RangeOptions& r, double rate, const bthost::ClipDescription& clip)
{
    const double clipRate = static_cast<double>(clip.audioRate);
    SampleRange out;
    if (r.startSample)
        out.start = *r.startSample;
    else if (r.startSeconds)
        out.start = std::llround(*r.startSeconds * rate);
    if (r.sampleCount)
        out.count = *r.sampleCount;
    else if (r.durationSeconds)
        out.count = std::llround(*r.durationSeconds * rate);
    else
        out.count = std::llround(static_cast<double>(clip.audioSamples) / clipRate * rate);
    if (out.count <= 0)
        throw UsageError("the stretch asked for holds no samples");
    return out;
}

} // namespace

void RequestSound(Session& session, const OpenClip& clip, std::int64_t position, std::uint32_t count,
                  float* const* channels)
{
    auto record = bthost::MakeAudioRequest({clip.PerFile(), clip.Stored()}, position, count, channels);
    const std::int32_t result = session.Host().Call(BT_SEL_GET_AUDIO, std::intptr_t{0},
                                                    reinterpret_cast<std::intptr_t>(record.data()));
    if (result != 0)
        throw std::runtime_error("the module delivered no sound at sample " + std::to_string(position) +
                                 " (selector 25 answered " + std::to_string(result) + ")");
}

void WriteTone(const CommonOptions& common, Session& session, const OpenClip& clip, const ToneOptions& options)
{
    const auto& d = clip.Description();
    const double rate = static_cast<double>(d.audioRate);
    const SampleRange range = Resolve(options.range, rate, d);
    const std::size_t channels = d.audioChannels;
    if (channels == 0 || rate <= 0)
        throw std::runtime_error("the clip has no sound");

    // Reused buffers, requests of the host's size: what a playing host does.
    // The file (if any) grows a request at a time, so any length fits.
    std::vector<std::vector<float>> buffers(channels, std::vector<float>(options.requestSize));
    std::vector<float*> pointers;
    for (auto& b : buffers)
        pointers.push_back(b.data());
    const std::vector<const float*> filled(pointers.begin(), pointers.end());
    std::optional<btmedia::WavStream> file;
    if (!options.nullSink)
        file.emplace(options.output, static_cast<int>(rate), channels);
    const auto begin = std::chrono::steady_clock::now();
    for (std::int64_t done = 0; done < range.count;) {
        const auto n = static_cast<std::uint32_t>(std::min<std::int64_t>(options.requestSize, range.count - done));
        RequestSound(session, clip, range.start + done, n, pointers.data());
        if (file)
            file->Write(filled, n);
        done += n;
    }
    if (!file) {
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        char text[200];
        std::snprintf(text, sizeof text,
                      "null sink: %lld samples x %zu channels in %.3f s: %.0f samples per second per channel",
                      static_cast<long long>(range.count), channels, seconds,
                      static_cast<double>(range.count) / seconds);
        Say(common, text);
        return;
    }
    file->Finish();
    char text[200];
    std::snprintf(text, sizeof text, "wrote %s: %zu channels, %lld samples from sample %lld (%.3f s from %.3f s)",
                  options.output.c_str(), channels, static_cast<long long>(range.count),
                  static_cast<long long>(range.start), static_cast<double>(range.count) / rate,
                  static_cast<double>(range.start) / rate);
    Say(common, text);
}

void WriteLevels(const CommonOptions& common, Session& session, const OpenClip& clip, const LevelsOptions& options)
{
    const auto& d = clip.Description();
    const double rate = static_cast<double>(d.audioRate);
    // The start is a sample position at the clip's rate; the length counts
    // level values.
    const SampleRange start = Resolve(options.range, rate, d);
    const SampleRange values = Resolve(options.range, options.levelRate, d);
    if (values.count > 1 << 20)
        throw UsageError("a waveform of " + std::to_string(values.count) +
                         " columns is too wide; lower --rate or --duration");
    const auto levels = bthost::RequestLevels(session.Host(), {clip.PerFile(), clip.Stored()}, start.start,
                                              static_cast<float>(options.levelRate),
                                              static_cast<std::int32_t>(values.count), d.audioChannels);
    if (levels.result != 0)
        throw std::runtime_error("the module gave no levels (selector 49 answered " + std::to_string(levels.result) +
                                 ")");
    btmedia::WriteWaveformPng(options.output, levels.upper, levels.lower);
    Say(common, "wrote " + options.output + ": " + std::to_string(d.audioChannels) + " lanes of " +
                    std::to_string(values.count) + " level values");
}

int RunTone(const CommonOptions& common, const ToneOptions& options)
{
    return RunOnClip(common, options, WriteTone);
}

int RunLevels(const CommonOptions& common, const LevelsOptions& options)
{
    return RunOnClip(common, options, WriteLevels);
}

} // namespace btcli
