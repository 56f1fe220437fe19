#include "MovieCommand.h"

#include "ClipMedia.h"
#include "ClipOutputs.h"
#include "ProgressBar.h"
#include "Session.h"
#include "ImporterBarsAndTone/ColorSpaces.h"
#include "btmedia/MovieWriter.h"
#include "btmedia/StopSignals.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <thread>

namespace btcli {

namespace {

/// What a timecode flag takes beside HH:MM:SS:FF: the time of day at the start.
constexpr const char* kTimeOfDay = "now";

bool ToStandardOutput(const ExportOptions& options) { return options.output == "-"; }

btmedia::MovieFormat StandardOutputFormat(const ExportOptions& options)
{
    return options.realTime ? btmedia::kLiveMovie : btmedia::kStandardOutputMovie;
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
        }
        spec.audioCodec = options.audioCodec;
        if (spec.format != btmedia::MovieFormat::NullSink && (spec.samples || !spec.audioCodec.empty()))
            (void)btmedia::SoundCodingFor(spec.format, spec.samples, spec.audioCodec);
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
    if (options.maxCll)
        spec.maxCll = static_cast<unsigned>(*options.maxCll);
    if (options.maxFall)
        spec.maxFall = static_cast<unsigned>(*options.maxFall);
    if (spec.maxCll && spec.maxFall && *spec.maxFall > *spec.maxCll)
        throw UsageError("the average light of a picture (--max-fall " + std::to_string(*spec.maxFall) +
                         ") cannot pass its brightest pixel (--max-cll " + std::to_string(*spec.maxCll) + ")");
    spec.reuseIdenticalPictures = !options.encodeEveryFrame;
}

/// --timecode as the clip counts it; "now" is the time of day.
btmedia::StartTimecode StartTimecodeFor(const ExportOptions& options, std::int64_t frameDuration, bool dropFrame)
{
    if (options.timecode != kTimeOfDay)
        return btmedia::ParseTimecode(options.timecode, frameDuration, dropFrame);
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const double fraction =
        std::chrono::duration<double>(now - std::chrono::system_clock::from_time_t(seconds)).count();
    return btmedia::TimeOfDayTimecode(local.tm_hour, local.tm_min, std::min(local.tm_sec, 59), fraction, frameDuration,
                                      dropFrame);
}

std::string SoundText(const btmedia::MovieSpec& spec)
{
    return spec.audioRate > 0 ? std::to_string(spec.audioChannels) + " channels at " + std::to_string(spec.audioRate) +
                                    " Hz"
                              : "no sound";
}

/// Tells a real-time run's dropped and repeated frames as they happen, at
/// most once a second, on standard error.
class SlipReporter {
public:
    SlipReporter(const CommonOptions& common, const btmedia::MovieSpec& spec) : mCommon(common), mSpec(spec) {}

    void Add(const btmedia::Slip& slip)
    {
        mDropped += slip.dropped;
        mRepeated += slip.repeated;
        const auto now = std::chrono::steady_clock::now();
        if (mCommon.quiet || (mSaid && now - mLastSaid < std::chrono::seconds(1)))
            return;
        mSaid = true;
        mLastSaid = now;
        const std::string at = btmedia::TimecodeAfter(mSpec.timecode, slip.frame, mSpec.frameDuration).Text();
        std::cerr << "barsandtone: kept time at " << at << ": " << mDropped - mDroppedSaid
                  << " frames dropped (the output held the run back), " << mRepeated - mRepeatedSaid
                  << " repeated (their pictures came late); " << mDropped << " and " << mRepeated << " so far\n";
        mDroppedSaid = mDropped;
        mRepeatedSaid = mRepeated;
    }

private:
    const CommonOptions& mCommon;
    const btmedia::MovieSpec& mSpec;
    std::int64_t mDropped = 0, mRepeated = 0, mDroppedSaid = 0, mRepeatedSaid = 0;
    bool mSaid = false;
    std::chrono::steady_clock::time_point mLastSaid;
};

} // namespace

void AddLengthFlags(Flags& flags, ExportOptions& options, const std::string& byDefault)
{
    Flag duration = flags.Option("-d,--duration", options.durationSeconds, "Length in seconds (" + byDefault + ")");
    Flag frames = flags.Option("--frames", options.frames, "Length in frames");
    duration.Excludes(frames);
    duration.Check(Above0("seconds"));
    frames.Check(Count("frames"));
}

void AddDeliveryFlags(Flags& flags, ExportOptions& options)
{
    flags.Option("-j,--threads", options.threads, "Threads requesting pictures (default: one per core)")
        .Check(WholeBetween(1, 64, "threads"));
    flags.Option("--profile", options.profile, btmedia::ProfileHelp()).Offers(btmedia::ProfileChoices());
    flags.Option("--timecode", options.timecode,
                 "Start timecode HH:MM:SS:FF (HH:MM:SS;FF for drop-frame, which follows the clip's "
                 "drop-frame flag at 29.97 and 59.94 fps), or now: the time of day")
        .ShowDefault();
    flags.Option("--field-order", options.fieldOrder,
                 "Interlaced: the same picture in both fields, flagged top or bottom field first")
        .OneOf({"tff", "bff"});
    flags.Option("--audio-codec", options.audioCodec, btmedia::AudioCodecHelp()).OneOf(btmedia::AudioCodecChoices());
    flags.Option("--pcm", options.pcm, btmedia::PcmHelp()).OneOf(btmedia::SampleTokens());
    flags.Option("--audio-tracks", options.audioTracks,
                 "multichannel: one track of all channels; mono: one track per channel")
        .OneOf({"multichannel", "mono"})
        .ShowDefault();
    flags.Option("--mastering-max", options.masteringMax, "PQ: the mastering display's peak, cd/m2 (default 1000)")
        .Check(Above0("cd/m2"));
    flags.Option("--mastering-min", options.masteringMin, "PQ: the mastering display's black, cd/m2 (default 0.0001)")
        .Check(Above0("cd/m2"));
    flags.Option("--max-cll", options.maxCll,
                 "PQ: the brightest pixel, cd/m2 (default: measured from the first picture)")
        .Check(WholeBetween(1, 65535, "cd/m2"));
    flags.Option("--max-fall", options.maxFall,
                 "PQ: the brightest picture's average, cd/m2 (default: measured from the first picture)")
        .Check(WholeBetween(1, 65535, "cd/m2"));
    flags.Switch("--no-sound", options.noSound, "Picture only");
    flags.Switch("--encode-every-frame", options.encodeEveryFrame,
                 "Encode each frame even where it repeats the one before (default: each distinct picture is "
                 "encoded once, as a GOP of its own, and its packets written again)");
}

btmedia::MovieFormat MovieFormatFor(const ExportOptions& options)
{
    using btmedia::MovieFormat;
    const btmedia::FormatList formats = btmedia::MovieFormatList(StandardOutputFormat(options));
    const btmedia::FormatList::Entry* named = formats.Named(options.format);
    if (!options.format.empty() && named == nullptr)
        throw UsageError("--format takes " + formats.NamesText() + ", not \"" + options.format + "\"");
    // A file named beside the null sink would be expected and never come.
    if (named != nullptr && static_cast<MovieFormat>(named->format) == MovieFormat::NullSink &&
        (!options.output.empty() || !options.address.empty()))
        throw UsageError("--format " + options.format + " writes no file: leave out -o \"" +
                         (options.address.empty() ? options.output : options.address) + "\"");
    if (!options.address.empty()) {
        const std::optional<MovieFormat> claimed = btmedia::FormatOfAddress(options.address);
        if (named != nullptr && claimed && static_cast<MovieFormat>(named->format) != *claimed)
            throw UsageError("--format " + options.format + " cannot go to " + options.address + ", which carries " +
                             std::string(btmedia::RowOf(*claimed).names.label) + " only");
        return named != nullptr ? static_cast<MovieFormat>(named->format)
                                : claimed.value_or(StandardOutputFormat(options));
    }
    const MovieFormat chosen =
        ChooseFormat<MovieFormat>(formats, options.realTime ? "play" : "export", options.format, options.output);
    if (ToStandardOutput(options) && btmedia::RowOf(chosen).seeks) {
        std::vector<std::string> streamed;
        for (const btmedia::MovieFormatRow& row : btmedia::kMovieFormats)
            if (!row.seeks && *row.muxer != 0)
                streamed.emplace_back(row.names.label);
        throw UsageError("--format " + options.format + " cannot go to standard output (-o -): " +
                         std::string(btmedia::RowOf(chosen).names.label) +
                         " is finished by going back to its start; standard output carries " +
                         btmedia::JoinedList(streamed));
    }
    return chosen;
}

void CheckDeliveryRequest(const ExportOptions& options)
{
    btmedia::MovieSpec spec;
    spec.format = MovieFormatFor(options);
    ApplyChoices(options, spec);
}

void WriteMovieFile(const CommonOptions& common, Session& session, const OpenClip& clip, const ExportOptions& options,
                    btmedia::OutputFile* output)
{
    const auto& d = clip.Description();
    const double fps = FramesPerSecond(d.frameDuration);
    if (fps <= 0)
        throw std::runtime_error("the clip has no frame rate to export at");

    btmedia::MovieSpec spec;
    spec.format = MovieFormatFor(options);
    ApplyChoices(options, spec);
    const bool nullSink = spec.format == btmedia::MovieFormat::NullSink;
    spec.path = nullSink ? std::string() : options.output;
    spec.output = nullSink ? nullptr : output;
    spec.address = options.address;
    spec.realTime = options.realTime;
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
    const bool endless = options.realTime && !options.frames && !options.durationSeconds;
    spec.frameCount = options.frames ? *options.frames
                      : endless      ? btmedia::kEndless
                                     : std::llround((options.durationSeconds ? *options.durationSeconds : 5.0) * fps);
    if (spec.frameCount < 1)
        throw UsageError("the duration asked for is shorter than one frame");
    spec.pictureThreads = options.threads > 0 ? options.threads
                                              : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    try {
        spec.timecode = StartTimecodeFor(options, d.frameDuration, DecodeSettings(clip.File().settings).dropFrame != 0);
        const bool pq = spec.colour.transfer == bt::FactsOf(bt::ColorSpace::Rec2100Pq).codePoints.transfer;
        if ((options.masteringMax || options.masteringMin || options.maxCll || options.maxFall) && !pq)
            throw std::invalid_argument("--mastering-max, --mastering-min, --max-cll and --max-fall describe PQ "
                                        "clips only");
        btmedia::CheckMovieSpec(spec);
    } catch (const std::invalid_argument& e) {
        throw UsageError(e.what());
    }

    const std::string where = !options.address.empty()   ? options.address
                              : ToStandardOutput(options) ? std::string("standard output")
                                                          : options.output;
    if (options.realTime)
        Say(common, "sending " + where + (endless ? " until stopped (Ctrl-C)" : "") + ", timecode from " +
                        spec.timecode.Text());
    ProgressBar bar(common.progress.value_or(ProgressBar::IsTerminal()) && !common.quiet, "frames");
    SlipReporter slips(common, spec);
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
    sources.progress = [&](std::int64_t done, std::int64_t total) { bar.Update(done, endless ? 0 : total); };
    sources.slip = [&](const btmedia::Slip& slip) { slips.Add(slip); };

    const auto begin = std::chrono::steady_clock::now();
    const btmedia::MovieResult result = btmedia::WriteMovie(spec, sources);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    bar.Finish();

    const std::string what = nullSink ? (convert ? "null sink, pictures converted to 10-bit" : "null sink")
                                      : result.description;
    char text[800];
    std::snprintf(text, sizeof text,
                  "%s%s: %lld frames of %d x %d (%.3f s at %.3f fps, %lld encoded), %s, %s, timecode %s, in %.3f s: "
                  "%.1f frames per second",
                  nullSink ? "" : options.realTime ? "sent " : "wrote ", nullSink ? "null sink" : where.c_str(),
                  static_cast<long long>(result.frames), spec.width, spec.height,
                  static_cast<double>(result.frames) / fps, fps, static_cast<long long>(result.encodedFrames),
                  SoundText(spec).c_str(), what.c_str(), spec.timecode.Text().c_str(), seconds,
                  static_cast<double>(result.frames) / seconds);
    std::string report = text;
    if (options.realTime)
        report += "; " + std::to_string(result.droppedFrames) + " frames dropped, " +
                  std::to_string(result.repeatedFrames) + " repeated";
    // Beside the movie, on standard error, when standard output carries it.
    Say(common, report);
    if (result.stoppedBy != 0)
        throw btmedia::Stopped(result.stoppedBy); // the stream was ended cleanly; the status says why it ended
}

} // namespace btcli
