// check: what a chain did to the bars and tone in a file, with the module as
// the reference. Its flags set btcheck's own options, whose defaults they
// show; a new check option is a field there and a flag (or a row) here.

#include "ClipOutputs.h"
#include "Commands.h"
#include "ProgressBar.h"
#include "Session.h"
#include "btcheck/Check.h"
#include "btcheck/PictureMarks.h"
#include "btcheck/Report.h"
#include "btcheck/Timecode.h"
#include "btmedia/StopSignals.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <memory>
#include <optional>

namespace btcli {

namespace {

struct CheckOptions {
    std::vector<std::string> files;
    std::string clip;    ///< clip file the files should match; empty: none
    bool json = false;
    std::string picture; ///< PNG of the regions measured; empty: none
    btcheck::CheckOptions check;
};

btcheck::ClipExpectation Expect(Session& session, const ClipFile& file)
{
    OpenClip clip(session, file);
    const SettingsFields fields = DecodeSettings(file.settings);
    const auto& d = clip.Description();
    btcheck::ClipExpectation e;
    e.colourSpace = fields.colorSpaceType;
    e.width = d.width;
    e.height = d.height;
    e.parNum = d.parNumerator;
    e.parDen = d.parDenominator;
    e.frameDuration = d.frameDuration;
    e.dropFrame = fields.dropFrame != 0;
    e.audioRate = d.audioRate;
    std::copy(file.settings.begin(), file.settings.end(), e.record.begin());
    e.tone = btcheck::ToneOf(e.record);
    e.tone.channels = static_cast<int>(d.audioChannels);
    return e;
}

// A live input (an address, not a file) or a check asked to stop after a
// while: its faults are told as they are found, not only in the report.
bool Live(const std::string& path, const btcheck::CheckOptions& check)
{
    return check.durationSeconds > 0 || path.find("://") != std::string::npos;
}

/// Exit status kCheckPass when the file matches, kCheckFail when it does not,
/// kCheckUnreadable when it cannot be read.
int CheckOne(const CommonOptions& common, const CheckOptions& options, const std::string& path, Session& session,
             const btcheck::ClipExpectation* clip, std::optional<btmedia::OutputFile>& marks)
{
    btcheck::CheckOptions check = options.check;
    check.interrupted = [] { return btmedia::StopSignal() != 0; };
    ProgressBar bar(common.progress.value_or(ProgressBar::IsTerminal()) && !common.quiet, "s");
    check.progress = [&](double read, double total) {
        bar.Update(std::llround(read), std::max(std::llround(total), std::llround(read)));
    };
    if (Live(path, check) && !common.quiet)
        check.found = [&](const btcheck::Fault& f) {
            bar.Finish();
            std::cerr << "barsandtone: " << path << ": " << f.kind << ": " << f.sentence << "\n";
        };
    btcheck::CheckReport report;
    try {
        report = btcheck::CheckFile(path, session.Host(), clip, check);
    } catch (const btcheck::ReadError& e) {
        bar.Finish();
        std::cerr << "barsandtone: cannot check " << path << ": " << e.what() << "\n";
        return kCheckUnreadable;
    }
    bar.Finish();
    if (!common.quiet)
        (options.picture == "-" ? std::cerr : std::cout)
            << (options.json ? btcheck::ReportJson(report) : btcheck::ReportText(report));
    // The marks picture is an extra: without it the verdict still stands.
    if (marks) {
        if (report.picture.present)
            btcheck::WritePictureMarks(path, report, *marks);
        else
            std::cerr << "barsandtone: " << path << " has no picture to mark; " << options.picture
                      << " not written\n";
    }
    return report.Pass() ? kCheckPass : kCheckFail;
}

/// Each file in turn, one report each; the worst verdict is the exit status.
/// A stop signal ends the file being read with its report, and the run.
int RunCheck(const CommonOptions& common, const CheckOptions& options)
{
    btcheck::Timecode start;
    if (!options.check.timecode.empty() && !btcheck::ParseTimecode(options.check.timecode, start))
        throw UsageError("--timecode: \"" + options.check.timecode + "\" is not HH:MM:SS:FF");
    if (!options.picture.empty() && options.files.size() > 1)
        throw UsageError("--picture marks one file's picture; " + std::to_string(options.files.size()) +
                         " files were given");
    // The marks picture is resolved before any work, as every output is.
    std::optional<btmedia::OutputFile> marks;
    if (!options.picture.empty())
        marks.emplace(options.picture, OutputRulesFor(common, {options.files.front(), options.clip}));
    std::optional<ClipFile> clipFile;
    if (!options.clip.empty())
        clipFile = LoadClipFile(options.clip);

    Session session(common);
    std::optional<btcheck::ClipExpectation> clip;
    if (clipFile)
        clip = Expect(session, *clipFile);
    int worst = kCheckPass;
    for (const std::string& path : options.files) {
        const int verdict = CheckOne(common, options, path, session, clip ? &*clip : nullptr, marks);
        worst = std::max(worst, verdict);
        if (const int signal = btmedia::StopSignal(); signal != 0)
            throw btmedia::Stopped(signal);
    }
    return worst;
}

/// check's number flags, one row each: the field of btcheck's options it
/// sets, whose value there is its default, and the values it takes.
struct NumberFlag {
    const char* names;
    double& (*field)(btcheck::CheckOptions&);
    const char* help;
    double lowest;
    double highest;
    const char* unit;
};

// clang-format off
constexpr NumberFlag kNumberFlags[] = {
    {"--tolerance-codes", [](btcheck::CheckOptions& o) -> double& { return o.tolerances.pictureCodes; },
     "Picture tolerance in codes at 10 bits (scaled to the file's depth)", 0.0, 65535.0, "codes"},
    {"--tolerance-pixels", [](btcheck::CheckOptions& o) -> double& { return o.tolerances.geometryPixels; },
     "How far edges may move", 0.0, 100000.0, "pixels"},
    {"--tolerance-db", [](btcheck::CheckOptions& o) -> double& { return o.sound.levelDb; },
     "Tone level tolerance, and how far its level may change", 0.0, 200.0, "dB"},
    {"--tolerance-hz", [](btcheck::CheckOptions& o) -> double& { return o.sound.frequencyHz; },
     "Tone frequency tolerance, and how far it may drift", 0.0, 100000.0, "Hz"},
    {"--tolerance-sync", [](btcheck::CheckOptions& o) -> double& { return o.sound.syncMs; },
     "How far the tone may start from the first picture", 0.0, 1e6, "ms"},
    {"--tolerance-click", [](btcheck::CheckOptions& o) -> double& { return o.sound.clickPercent; },
     "How far a sample may leave the tone's course, in percent of its amplitude", 0.0, 200.0, "percent"},
    {"--duration", [](btcheck::CheckOptions& o) -> double& { return o.durationSeconds; },
     "Stop after this many seconds of the programme (a live input; 0: read to the end)", 0.0, 1e7, "seconds"},
};
// clang-format on

CommandRun DeclareCheck(Flags& flags)
{
    auto options = std::make_shared<CheckOptions>();
    btcheck::CheckOptions& check = options->check;
    // Not checked for existence here: a file that is not there is unreadable.
    flags.Option("file", options->files,
                 "Movie, sound or picture files, or a live input's address (udp://, srt://...)")
        .Required()
        .File();
    flags.Option("--clip", options->clip, "Clip file the files should match").ExistingFile();
    flags.Switch("--json", options->json, "Print JSON, one object a line for each file");
    flags.Option("--frames", check.frames, "Check only N pictures, spread from the first to the last (default: every picture)")
        .Check(WholeBetween(1, 1000000, "pictures"));
    flags.Option("--timecode", check.timecode, "The start timecode the files should carry, HH:MM:SS:FF (;FF drop-frame)");
    flags.Option("--picture", options->picture, "PNG of the first picture with each region marked").File();
    flags.Option("--reference-level", check.sound.referenceLevel,
                 "Line-up level the tone should sit at, dBFS (default: the clip's, an identification's own, else "
                 "EBU -18, SMPTE -20 or the module's -12 recognised)")
        .Check(Between(-200.0, 0.0, "dBFS"));
    for (const NumberFlag& row : kNumberFlags)
        flags.Option(row.names, row.field(check), row.help)
            .ShowDefault()
            .Check(Between(row.lowest, row.highest, row.unit));
    return [options](const CommonOptions& common) { return RunCheck(common, *options); };
}

} // namespace

// Its exit statuses are in the footer of every help (kCheckExitStatuses).
const Command kCheckCommand{"check", "Say what a chain did to the bars and tone in files", DeclareCheck};

} // namespace btcli
