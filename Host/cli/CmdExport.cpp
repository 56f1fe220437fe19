// export: a finished movie of the clip, picture and sound.

#include "ClipMedia.h"
#include "ClipOutputs.h"
#include "Commands.h"
#include "ProgressBar.h"
#include "Session.h"
#include "ImporterBarsAndTone/ColorSpaces.h"
#include "btmedia/MovieWriter.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

namespace btcli {

namespace {

bool ToStandardOutput(const ExportOptions& options) { return options.output == "-"; }

/// The format from --format and the file name, which must agree; standard
/// output carries the kind made for pipes.
btmedia::MovieFormat FormatFor(const ExportOptions& options)
{
    using btmedia::MovieFormat;
    const btmedia::FormatList formats = btmedia::MovieFormatList();
    const btmedia::FormatList::Entry* named = formats.Named(options.format);
    // A file named beside the null sink would be expected and never come.
    if (named != nullptr && static_cast<MovieFormat>(named->format) == MovieFormat::NullSink && !options.output.empty())
        throw UsageError("--format " + options.format + " writes no file: leave out -o \"" + options.output + "\"");
    const MovieFormat chosen = ChooseFormat<MovieFormat>(formats, "export", options.format, options.output);
    if (ToStandardOutput(options) && chosen != btmedia::kStandardOutputMovie)
        throw UsageError("--format " + options.format + " cannot go to standard output (-o -), which carries " +
                         std::string(btmedia::RowOf(btmedia::kStandardOutputMovie).names.label));
    return chosen;
}

/// The delivery's choices that need no clip; throws UsageError for a choice
/// the format does not have.
void ApplyChoices(const ExportOptions& options, btmedia::MovieSpec& spec)
{
    try {
        spec.profile = options.profile;
        if (!spec.profile.empty())
            (void)btmedia::ProfileNamed(spec.format, spec.profile);
        if (!options.pcm.empty()) {
            spec.samples = btmedia::SampleFormatNamed(options.pcm);
            if (!spec.samples)
                throw std::invalid_argument("--pcm takes " + btmedia::SampleTokensText() + ", not \"" + options.pcm +
                                            "\"");
            if (spec.format != btmedia::MovieFormat::NullSink)
                (void)btmedia::SoundCodingFor(spec.format, spec.samples);
        }
    } catch (const std::invalid_argument& e) {
        throw UsageError(e.what());
    }
    if (options.fieldOrder == "tff")
        spec.fieldOrder = btmedia::FieldOrder::TopFirst;
    else if (options.fieldOrder == "bff")
        spec.fieldOrder = btmedia::FieldOrder::BottomFirst;
    spec.audioTracks = options.audioTracks == "mono" ? btmedia::AudioTracks::Mono : btmedia::AudioTracks::Multichannel;
    if (options.masteringMax)
        spec.masteringMaxCandelas = *options.masteringMax;
    if (options.masteringMin)
        spec.masteringMinCandelas = *options.masteringMin;
    if (spec.masteringMinCandelas >= spec.masteringMaxCandelas)
        throw UsageError("the mastering display's black (--mastering-min) must be below its peak (--mastering-max)");
    spec.reuseIdenticalPictures = !options.encodeEveryFrame;
}

std::string SoundText(const btmedia::MovieSpec& spec)
{
    return spec.audioRate > 0 ? std::to_string(spec.audioChannels) + " channels at " + std::to_string(spec.audioRate) +
                                    " Hz"
                              : "no sound";
}

} // namespace

int RunExport(const CommonOptions& common, const ExportOptions& options)
{
    // A wrong request fails before anything is loaded.
    btmedia::MovieSpec spec;
    spec.format = FormatFor(options);
    ApplyChoices(options, spec);
    return RunOnClip(common, options, WriteMovieFile);
}

void WriteMovieFile(const CommonOptions& common, Session& session, const OpenClip& clip, const ExportOptions& options,
                    btmedia::OutputFile* output)
{
    const auto& d = clip.Description();
    const double fps = FramesPerSecond(d.frameDuration);
    if (fps <= 0)
        throw std::runtime_error("the clip has no frame rate to export at");

    btmedia::MovieSpec spec;
    spec.format = FormatFor(options);
    ApplyChoices(options, spec);
    const bool nullSink = spec.format == btmedia::MovieFormat::NullSink;
    spec.path = nullSink ? std::string() : options.output;
    spec.output = nullSink ? nullptr : output;
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
    try {
        spec.timecode = btmedia::ParseTimecode(options.timecode, d.frameDuration,
                                               DecodeSettings(clip.File().settings).dropFrame != 0);
        if ((options.masteringMax || options.masteringMin) &&
            spec.colour.transfer != bt::FactsOf(bt::ColorSpace::Rec2100Pq).codePoints.transfer)
            throw std::invalid_argument("--mastering-max and --mastering-min describe PQ clips only");
        btmedia::CheckMovieSpec(spec);
    } catch (const std::invalid_argument& e) {
        throw UsageError(e.what());
    }

    ProgressBar bar(options.progress.value_or(ProgressBar::IsTerminal()) && !common.quiet, "frames");
    btmedia::MovieSources sources;
    const bool convert = !nullSink || options.nullConverts;
    sources.picture = [&](std::int64_t, const btmedia::StudioPlanes& out, const btmedia::StudioPlanes* same) {
        // Every frame is asked for anew and painted by the module.
        DeliveredPicture picture(session, clip);
        if (!convert)
            return false;
        if (same != nullptr)
            return btmedia::ConvertToStudioUnlessSame(picture.Picture(), out, *same);
        btmedia::ConvertToStudio(picture.Picture(), out);
        return false;
    };
    sources.sound = [&](std::int64_t position, std::uint32_t count, float* const* channels) {
        RequestSound(session, clip, position, count, channels);
    };
    sources.progress = [&](std::int64_t done, std::int64_t total) { bar.Update(done, total); };

    const auto begin = std::chrono::steady_clock::now();
    const btmedia::MovieResult result = btmedia::WriteMovie(spec, sources);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    bar.Finish();

    const std::string what = nullSink ? (convert ? "null sink, pictures converted to 10-bit" : "null sink")
                                      : result.description;
    char text[600];
    std::snprintf(text, sizeof text,
                  "%s%s: %lld frames of %d x %d (%.3f s at %.3f fps, %lld encoded), %s, %s, timecode %s, in %.3f s: "
                  "%.1f frames per second",
                  nullSink ? "" : "wrote ", nullSink ? "null sink" : ToStandardOutput(options) ? "standard output" : options.output.c_str(),
                  static_cast<long long>(result.frames), spec.width, spec.height,
                  static_cast<double>(result.frames) / fps, fps, static_cast<long long>(result.encodedFrames),
                  SoundText(spec).c_str(), what.c_str(), spec.timecode.Text().c_str(), seconds,
                  static_cast<double>(result.frames) / seconds);
    // Beside the movie, on standard error, when standard output carries it.
    Say(common, text);
}

} // namespace btcli
