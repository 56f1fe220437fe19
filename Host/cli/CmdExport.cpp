// export: a finished movie of the clip, picture and sound.

#include "ClipMedia.h"
#include "ClipOutputs.h"
#include "Commands.h"
#include "ProgressBar.h"
#include "Session.h"
#include "btmedia/MovieWriter.h"
#include "btmedia/StopSignals.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <thread>

namespace btcli {

namespace {

btmedia::MovieFormat FormatFor(const ExportOptions& options)
{
    std::string name = options.format;
    if (name.empty()) {
        const std::string ext = std::filesystem::path(options.output).extension().string();
        if (ext == ".mkv")
            name = "ffv1";
        else if (ext == ".mov")
            name = "prores";
        else
            throw UsageError("cannot tell the format from \"" + options.output +
                             "\": name a .mkv or .mov file, or give --format ffv1|prores");
    }
    if (name == "ffv1")
        return btmedia::MovieFormat::Ffv1Matroska;
    if (name == "prores")
        return btmedia::MovieFormat::ProResQuickTime;
    return btmedia::MovieFormat::NullSink;
}

const char* FormatLabel(btmedia::MovieFormat f)
{
    switch (f) {
    case btmedia::MovieFormat::Ffv1Matroska: return "FFV1 10-bit 4:4:4 and FLAC in Matroska";
    case btmedia::MovieFormat::ProResQuickTime: return "ProRes 422 HQ 10-bit and 24-bit PCM in QuickTime";
    case btmedia::MovieFormat::NullSink: return "null sink";
    }
    return "";
}

} // namespace

int RunExport(const CommonOptions& common, const ExportOptions& options)
{
    (void)FormatFor(options); // a wrong name fails before anything is loaded
    return RunOnClip(common, options, WriteMovieFile);
}

void WriteMovieFile(const CommonOptions& common, Session& session, const OpenClip& clip, const ExportOptions& options,
                    btmedia::OutputFile* output)
{
    const btmedia::MovieFormat format = FormatFor(options);
    const auto& d = clip.Description();
    const double fps = FramesPerSecond(d.frameDuration);
    if (fps <= 0)
        throw std::runtime_error("the clip has no frame rate to export at");

    btmedia::MovieSpec spec;
    spec.format = format;
    spec.path = format == btmedia::MovieFormat::NullSink ? std::string() : options.output;
    spec.output = format == btmedia::MovieFormat::NullSink ? nullptr : output;
    spec.width = d.width;
    spec.height = d.height;
    spec.frameDuration = d.frameDuration;
    spec.parNumerator = d.parNumerator;
    spec.parDenominator = d.parDenominator;
    spec.colour = ClipColour(session, clip);
    if (!options.noSound) {
        spec.audioRate = static_cast<int>(std::lround(static_cast<double>(d.audioRate)));
        spec.audioChannels = static_cast<int>(d.audioChannels);
    }
    spec.frameCount = options.frames ? *options.frames : std::llround((options.durationSeconds ? *options.durationSeconds : 5.0) * fps);
    if (spec.frameCount < 1)
        throw UsageError("the duration asked for is shorter than one frame");
    spec.pictureThreads = options.threads > 0 ? options.threads
                                              : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));

    ProgressBar bar(options.progress.value_or(ProgressBar::IsTerminal()) && !common.quiet, "frames");
    btmedia::MovieSources sources;
    const bool convert = format != btmedia::MovieFormat::NullSink || options.nullConverts;
    sources.picture = [&](std::int64_t, const btmedia::StudioPlanes& out) {
        // Every frame is asked for anew and painted by the module.
        DeliveredPicture picture(session, clip);
        if (!convert)
            return;
        btmedia::ConvertToStudio(picture.Picture(), out);
    };
    sources.sound = [&](std::int64_t position, std::uint32_t count, float* const* channels) {
        RequestSound(session, clip, position, count, channels);
    };
    sources.progress = [&](std::int64_t done, std::int64_t total) {
        btmedia::StopPoint(); // a stop signal ends the export here, and its file with it
        bar.Update(done, total);
    };

    const auto begin = std::chrono::steady_clock::now();
    const btmedia::MovieResult result = btmedia::WriteMovie(spec, sources);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    bar.Finish();

    if (!common.quiet) {
        char text[400];
        std::snprintf(text, sizeof text, "%s%s: %lld frames of %d x %d (%.3f s at %.3f fps), %s%s, in %.3f s: %.1f frames per second",
                      format == btmedia::MovieFormat::NullSink ? "" : "wrote ",
                      format == btmedia::MovieFormat::NullSink ? "null sink" : options.output.c_str(),
                      static_cast<long long>(result.frames), spec.width, spec.height,
                      static_cast<double>(result.frames) / fps, fps,
                      spec.audioRate > 0 ? (std::to_string(spec.audioChannels) + " channels at " +
                                            std::to_string(spec.audioRate) + " Hz, ").c_str()
                                         : "no sound, ",
                      format == btmedia::MovieFormat::NullSink && convert ? "null sink, pictures converted to 10-bit"
                                                                          : FormatLabel(format),
                      seconds, static_cast<double>(result.frames) / seconds);
        std::cout << text << "\n";
    }
}

} // namespace btcli
