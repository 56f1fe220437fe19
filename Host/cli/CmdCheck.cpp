// check: what a chain did to the bars and tone in a file, with the module as
// the reference. Its flags tune btcheck's own options, whose defaults they
// show; a new check option is a field there and a flag here.

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

CommandRun DeclareCheck(Flags& flags)
{
    auto options = std::make_shared<CheckOptions>();
    btcheck::CheckOptions& check = options->check;
    btcheck::Tolerances& tolerances = check.tolerances;
    // Not checked for existence here: a file that is not there is unreadable.
    flags.Option("file", options->file, "Movie, sound or picture file").Required().File();
    flags.Option("--clip", options->clip, "Clip file the file should match").ExistingFile();
    flags.Switch("--json", options->json, "Print JSON");
    flags.Option("--frames", check.frames, "Pictures to check, spread from the first to the last")
        .ShowDefault()
        .Check(WholeBetween(1, 1000, "pictures"));
    flags.Option("--picture", options->picture, "PNG of the first picture with each region marked").File();
    flags.Option("--tolerance-codes", tolerances.pictureCodes,
                 "Picture tolerance in codes at 10 bits (scaled to the file's depth)")
        .ShowDefault()
        .Check(Between(0.0, 65535.0, "codes"));
    flags.Option("--tolerance-pixels", tolerances.geometryPixels, "How far edges may move")
        .ShowDefault()
        .Check(Between(0.0, 100000.0, "pixels"));
    flags.Option("--tolerance-db", tolerances.levelDb, "Tone level tolerance")
        .ShowDefault()
        .Check(Between(0.0, 200.0, "dB"));
    flags.Option("--tolerance-hz", tolerances.frequencyHz, "Tone frequency tolerance")
        .ShowDefault()
        .Check(Between(0.0, 100000.0, "Hz"));
    flags.Option("--sound-seconds", check.soundSeconds, "Sound checked from the start")
        .ShowDefault()
        .Check(Between(1.0, 3600.0, "seconds"));
    return [options](const CommonOptions& common) { return RunCheck(common, *options); };
}

} // namespace

// Its exit statuses are in the footer of every help (kCheckExitStatuses).
const Command kCheckCommand{"check", "Say what a chain did to the bars and tone in a file", DeclareCheck};

} // namespace btcli
