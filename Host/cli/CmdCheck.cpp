// check: what a chain did to the bars and tone in a file, with the module as
// the reference. Its flags set btcheck's own options, whose defaults they
// show; a new check option is a field there and a flag (or a row) here.

#include "ClipOutputs.h"
#include "Commands.h"
#include "Session.h"
#include "btcheck/Check.h"
#include "btcheck/PictureMarks.h"
#include "btcheck/Report.h"

#include <iostream>
#include <memory>
#include <optional>

namespace btcli {

namespace {

struct CheckOptions {
    std::string file;
    std::string clip;    ///< clip file the file should match; empty: none
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

/// Exit status kCheckPass when the file matches, kCheckFail when it does not,
/// kCheckUnreadable when it cannot be read.
int RunCheck(const CommonOptions& common, const CheckOptions& options)
{
    // The marks picture is resolved before any work, as every output is.
    std::optional<btmedia::OutputFile> marks;
    if (!options.picture.empty())
        marks.emplace(options.picture, OutputRulesFor(common, {options.file, options.clip}));
    std::optional<ClipFile> clipFile;
    if (!options.clip.empty())
        clipFile = LoadClipFile(options.clip);

    Session session(common);
    std::optional<btcheck::ClipExpectation> clip;
    if (clipFile)
        clip = Expect(session, *clipFile);
    btcheck::CheckReport report;
    try {
        report = btcheck::CheckFile(options.file, session.Host(), clip ? &*clip : nullptr, options.check);
    } catch (const btcheck::ReadError& e) {
        std::cerr << "barsandtone: cannot check " << options.file << ": " << e.what() << "\n";
        return kCheckUnreadable;
    }
    if (!common.quiet)
        (options.picture == "-" ? std::cerr : std::cout)
            << (options.json ? btcheck::ReportJson(report) : btcheck::ReportText(report));
    // The marks picture is an extra: without it the verdict still stands.
    if (marks) {
        if (report.picture.present)
            btcheck::WritePictureMarks(options.file, report, *marks);
        else
            std::cerr << "barsandtone: " << options.file << " has no picture to mark; " << options.picture
                      << " not written\n";
    }
    return report.Pass() ? kCheckPass : kCheckFail;
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
    {"--tolerance-db", [](btcheck::CheckOptions& o) -> double& { return o.tolerances.levelDb; },
     "Tone level tolerance", 0.0, 200.0, "dB"},
    {"--tolerance-hz", [](btcheck::CheckOptions& o) -> double& { return o.tolerances.frequencyHz; },
     "Tone frequency tolerance", 0.0, 100000.0, "Hz"},
    {"--sound-seconds", [](btcheck::CheckOptions& o) -> double& { return o.soundSeconds; },
     "Sound checked from the start", 1.0, 3600.0, "seconds"},
};
// clang-format on

CommandRun DeclareCheck(Flags& flags)
{
    auto options = std::make_shared<CheckOptions>();
    btcheck::CheckOptions& check = options->check;
    // Not checked for existence here: a file that is not there is unreadable.
    flags.Option("file", options->file, "Movie, sound or picture file").Required().File();
    flags.Option("--clip", options->clip, "Clip file the file should match").ExistingFile();
    flags.Switch("--json", options->json, "Print JSON");
    flags.Option("--frames", check.frames, "Pictures to check, spread from the first to the last")
        .ShowDefault()
        .Check(WholeBetween(1, 1000, "pictures"));
    flags.Option("--picture", options->picture, "PNG of the first picture with each region marked").File();
    for (const NumberFlag& row : kNumberFlags)
        flags.Option(row.names, row.field(check), row.help)
            .ShowDefault()
            .Check(Between(row.lowest, row.highest, row.unit));
    return [options](const CommonOptions& common) { return RunCheck(common, *options); };
}

} // namespace

// Its exit statuses are in the footer of every help (kCheckExitStatuses).
const Command kCheckCommand{"check", "Say what a chain did to the bars and tone in a file", DeclareCheck};

} // namespace btcli
