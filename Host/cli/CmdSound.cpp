// tone and levels: a stretch of sound, a level overview.

#include "ClipMedia.h"
#include "ClipOutputs.h"
#include "Commands.h"
#include "CommonFlags.h"
#include "ImporterBarsAndTone/HostRecords.h"
#include "ProgressBar.h"
#include "Session.h"
#include "btmedia/ChannelOrder.h"
#include "btmedia/ImageWriter.h"
#include "btmedia/SoundWriter.h"
#include "btmedia/StopSignals.h"
#include "btmedia/Waveform.h"
#include "bthost/SoundRequests.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>

namespace btcli {

namespace {

struct SampleRange {
    std::int64_t start = 0;
    std::int64_t count = 0;
};

/// The host's time is a signed 64-bit count of ticks: this many whole seconds
/// each way from a clip's start.
constexpr double kLongestSeconds = static_cast<double>(INT64_MAX / bt::records::kTicksPerSecond);

std::string Seconds(double s)
{
    char text[64];
    std::snprintf(text, sizeof text, "%g", s);
    return text;
}

/// Refuses a time the host cannot name instead of letting it wrap.
void RequireHostTime(double seconds, const std::string& what)
{
    if (!std::isfinite(seconds) || std::fabs(seconds) > kLongestSeconds)
        throw UsageError(what + " is beyond the host's time, which reaches " +
                         std::to_string(static_cast<long long>(kLongestSeconds)) +
                         " s (about 420 days) either side of the clip's start");
}

/// Start and length at `rate` values per second; the default length is the
/// clip's sound, five seconds.
SampleRange Resolve(const RangeOptions& r, double rate, const bthost::ClipDescription& clip)
{
    const double clipRate = static_cast<double>(clip.audioRate);
    double start = 0;
    if (r.startSample) {
        start = static_cast<double>(*r.startSample) / clipRate;
        RequireHostTime(start, "--start-sample " + std::to_string(*r.startSample));
    } else if (r.startSeconds) {
        start = *r.startSeconds;
        RequireHostTime(start, "--start " + Seconds(start));
    }
    double length = static_cast<double>(clip.audioSamples) / clipRate;
    if (r.sampleCount)
        length = static_cast<double>(*r.sampleCount) / clipRate;
    else if (r.durationSeconds)
        length = *r.durationSeconds;
    RequireHostTime(length, "a length of " + Seconds(length) + " s");
    RequireHostTime(start + length, "the end, " + Seconds(start + length) + " s,");

    SampleRange out;
    out.start = r.startSample ? *r.startSample : std::llround(start * rate);
    out.count = r.sampleCount && rate == clipRate ? *r.sampleCount : std::llround(length * rate);
    if (out.count <= 0)
        throw UsageError("the stretch asked for holds no samples");
    return out;
}

btmedia::SoundFormat ToneFormat(const ToneOptions& options)
{
    btmedia::SoundFormat format;
    format.container =
        ChooseFormat<btmedia::SoundContainer>(btmedia::SoundFormatList(), "tone", options.format, options.output);
    format.samples = btmedia::DefaultSamples(format.container);
    if (!options.bits.empty()) {
        const std::optional<btmedia::SampleFormat> asked = btmedia::SampleFormatNamed(options.bits);
        if (!asked)
            throw UsageError("--bits takes " + btmedia::SampleTokensText() + ", not \"" + options.bits + "\"");
        format.samples = *asked;
    }
    if (!btmedia::Holds(format.container, format.samples))
        throw UsageError("--bits " + options.bits + " cannot go into '" + options.output +
                         "': " + btmedia::SamplesRefused(format.container, format.samples));
    return format;
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

void WriteTone(const CommonOptions& common, Session& session, const OpenClip& clip, const ToneOptions& options,
               btmedia::OutputFile* output)
{
    const auto& d = clip.Description();
    const double rate = static_cast<double>(d.audioRate);
    const std::size_t channels = d.audioChannels;
    if (channels == 0 || rate <= 0)
        throw std::runtime_error("the clip has no sound");
    const SampleRange range = Resolve(options.range, rate, d);
    const btmedia::SoundFormat format = output ? ToneFormat(options) : btmedia::SoundFormat{};

    // Reused buffers, requests of the host's size: what a playing host does.
    // The file (if any) grows a request at a time, so any length fits.
    std::vector<std::vector<float>> buffers(channels, std::vector<float>(options.requestSize));
    std::vector<float*> pointers;
    for (auto& b : buffers)
        pointers.push_back(b.data());
    const std::vector<const float*> filled(pointers.begin(), pointers.end());
    std::optional<btmedia::SoundWriter> file;
    if (output)
        file.emplace(*output, format, static_cast<int>(rate), channels);
    ProgressBar bar(common.progress.value_or(ProgressBar::IsTerminal()) && !common.quiet, "samples");
    const auto begin = std::chrono::steady_clock::now();
    for (std::int64_t done = 0; done < range.count;) {
        btmedia::StopPoint();
        const auto n = static_cast<std::uint32_t>(std::min<std::int64_t>(options.requestSize, range.count - done));
        RequestSound(session, clip, range.start + done, n, pointers.data());
        if (file)
            file->Write(filled, n);
        done += n;
        bar.Update(done, range.count);
    }
    if (file)
        file->Finish();
    bar.Finish();
    char text[400];
    if (!file) {
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        std::snprintf(text, sizeof text,
                      "null sink: %lld samples x %zu channels in %.3f s: %.0f samples per second per channel",
                      static_cast<long long>(range.count), channels, seconds,
                      static_cast<double>(range.count) / seconds);
    } else {
        std::snprintf(text, sizeof text,
                      "wrote %s: %s, %s, %zu channels, %lld samples from sample %lld (%.3f s from %.3f s)",
                      options.output.c_str(), std::string(btmedia::ContainerName(format.container)).c_str(),
                      std::string(btmedia::SampleLabel(format.samples)).c_str(), channels, static_cast<long long>(range.count),
                      static_cast<long long>(range.start), static_cast<double>(range.count) / rate,
                      static_cast<double>(range.start) / rate);
    }
    Say(common, text);
}

void WriteLevels(const CommonOptions& common, Session& session, const OpenClip& clip, const LevelsOptions& options,
                 btmedia::OutputFile* output)
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
    btmedia::StopPoint();
    const btmedia::LevelsLegend legend{btmedia::HostChannelNames(d.audioChannels), options.levelRate,
                                       static_cast<double>(start.start) / rate};
    btmedia::WriteWaveformPng(*output, levels.upper, levels.lower, legend);
    Say(common, "wrote " + options.output + ": " + std::to_string(d.audioChannels) + " lanes of " +
                    std::to_string(values.count) + " level values");
}

namespace {

CommandRun DeclareTone(Flags& flags)
{
    auto options = std::make_shared<ToneOptions>();
    const ClipArgument clip(flags, options->clip);
    Flag output = AddOutput(flags, options->output, btmedia::SoundFormatList().OutputHelp());
    // Offered, not enforced: the chooser also takes an extension ("aif") in any case.
    flags.Option("-f,--format", options->format, btmedia::SoundFormatList().FormatHelp())
        .Offers(btmedia::SoundFormatList().Choices());
    flags.Option("--bits", options->bits, btmedia::SamplesHelp()).OneOf(btmedia::SampleTokens());
    AddRange(flags, options->range);
    flags.Option("--request", options->requestSize, "Samples per request to the module")
        .ShowDefault()
        .Check(WholeBetween(1, 1 << 24, "samples"));
    output.Excludes(flags.Switch("--null", options->nullSink, "Request the sound and drop it (for timing)"));
    return [options, clip](const CommonOptions& common) {
        clip.Check(options->clip);
        if (options->output.empty() && !options->nullSink)
            throw UsageError("tone needs --output FILE (" + btmedia::SoundFormatList().ExtensionsText() + ") or --null");
        if (!options->output.empty())
            (void)ToneFormat(*options); // a wrong name fails before anything is loaded
        return RunOnClip(common, *options, WriteTone);
    };
}

CommandRun DeclareLevels(Flags& flags)
{
    auto options = std::make_shared<LevelsOptions>();
    const ClipArgument clip(flags, options->clip);
    AddOutput(flags, options->output, "PNG file to write").Required();
    AddRange(flags, options->range);
    flags.Option("--rate", options->levelRate, "Level values per second (one pixel column each)")
        .ShowDefault()
        .Check(Between(0.01, 192000.0, "values per second"));
    return [options, clip](const CommonOptions& common) {
        clip.Check(options->clip);
        if (options->output != "-" && btmedia::ImageFormatOfName(options->output) != btmedia::ImageFormat::Png)
            throw UsageError("levels writes a PNG picture, and '" + options->output + "' is not named as a " +
                             std::string(btmedia::ImageFormatName(btmedia::ImageFormat::Png)) + " file");
        return RunOnClip(common, *options, WriteLevels);
    };
}

} // namespace

const Command kToneCommand{"tone", "Write a stretch of the clip's sound as " + btmedia::SoundFormatList().LabelsText(),
                           DeclareTone};
const Command kLevelsCommand{"levels", "Draw the clip's level overview as a waveform PNG", DeclareLevels};

} // namespace btcli
