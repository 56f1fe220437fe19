// export: a finished movie of the clip, picture and sound.

#include "ClipMedia.h"
#include "ClipOutputs.h"
#include "Commands.h"
#include "CommonFlags.h"
#include "ProgressBar.h"
#include "Session.h"
#include "ImporterBarsAndTone/ColorSpaces.h"
#include "btmedia/MovieWriter.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <memory>
#include <span>
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

    ProgressBar bar(common.progress.value_or(ProgressBar::IsTerminal()) && !common.quiet, "frames");
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

namespace {

CommandRun DeclareExport(Flags& flags)
{
    auto options = std::make_shared<ExportOptions>();
    flags.Footer(btmedia::MovieFormatsHelp());
    const ClipArgument clip(flags, options->clip);
    Flag output = AddOutput(flags, options->output, btmedia::MovieFormatList().OutputHelp());
    flags.Option("-f,--format", options->format, btmedia::MovieFormatList().FormatHelp())
        .OneOf(btmedia::MovieFormatList().Choices());
    Flag duration = flags.Option("-d,--duration", options->durationSeconds, "Length in seconds (default 5)");
    Flag frames = flags.Option("--frames", options->frames, "Length in frames");
    duration.Excludes(frames);
    duration.Check(Above0("seconds"));
    frames.Check(Count("frames"));
    flags.Option("-j,--threads", options->threads, "Threads requesting pictures (default: one per core)")
        .Check(WholeBetween(1, 64, "threads"));
    flags.Option("--profile", options->profile, btmedia::ProfileHelp()).Offers(btmedia::ProfileChoices());
    flags.Option("--timecode", options->timecode,
                 "Start timecode HH:MM:SS:FF (HH:MM:SS;FF for drop-frame, which follows the clip's "
                 "drop-frame flag at 29.97 and 59.94 fps)")
        .ShowDefault();
    flags.Option("--field-order", options->fieldOrder,
                 "Interlaced: the same picture in both fields, flagged top or bottom field first")
        .OneOf({"tff", "bff"});
    flags.Option("--pcm", options->pcm, btmedia::PcmHelp()).OneOf(btmedia::SampleTokens());
    flags.Option("--audio-tracks", options->audioTracks,
                 "multichannel: one track of all channels; mono: one track per channel")
        .OneOf({"multichannel", "mono"})
        .ShowDefault();
    flags.Option("--mastering-max", options->masteringMax, "PQ: the mastering display's peak, cd/m2 (default 1000)")
        .Check(Above0("cd/m2"));
    flags.Option("--mastering-min", options->masteringMin, "PQ: the mastering display's black, cd/m2 (default 0.0001)")
        .Check(Above0("cd/m2"));
    flags.Switch("--no-sound", options->noSound, "Picture only");
    flags.Switch("--encode-every-frame", options->encodeEveryFrame,
                 "Encode each frame even where it repeats the one before (default: an intra-only codec's "
                 "packet is written again)");
    Flag null = flags.Switch(
        "--null", [options] { options->format = "null"; },
        "Request every picture and all sound, write nothing (for timing the module)");
    output.Excludes(null);
    flags.Switch("--convert", options->nullConverts,
                 "With --null: also convert each picture to 10-bit Y'CbCr as a file export does")
        .Needs(null);
    return [options, clip](const CommonOptions& common) {
        clip.Check(options->clip);
        if (options->output.empty() && options->format != "null")
            throw UsageError("export needs --output FILE (" + btmedia::MovieFormatList().ExtensionsText() +
                             "), - or --null");
        // A wrong request fails before anything is loaded.
        btmedia::MovieSpec spec;
        spec.format = FormatFor(*options);
        ApplyChoices(*options, spec);
        return RunOnClip(common, *options, WriteMovieFile);
    };
}

} // namespace

const Command kExportCommand{"export", "Write a finished movie of the clip, picture and sound", DeclareExport};

} // namespace btcli
