// check: what a chain did to the bars and tone, with the module as the
// reference.

#include "ClipOutputs.h"
#include "Commands.h"
#include "Session.h"
#include "btcheck/Check.h"
#include "btcheck/PictureMarks.h"
#include "btcheck/Report.h"

#include <iostream>
#include <optional>

namespace btcli {

namespace {

// check's own answers: the file's verdict, or that it cannot be read. A
// wrong request is kExitUsage (2) as for every command.
constexpr int kExitPass = kExitDone;
constexpr int kExitFail = 1;
constexpr int kExitUnreadable = 2;

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

} // namespace

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
    btcheck::CheckOptions check;
    check.tolerances.pictureCodes = options.pictureCodes;
    check.tolerances.geometryPixels = options.geometryPixels;
    check.tolerances.levelDb = options.levelDb;
    check.tolerances.frequencyHz = options.frequencyHz;
    check.frames = options.frames;
    check.soundSeconds = options.soundSeconds;
    btcheck::CheckReport report;
    try {
        report = btcheck::CheckFile(options.file, session.Host(), clip ? &*clip : nullptr, check);
    } catch (const btcheck::ReadError& e) {
        std::cerr << "barsandtone: cannot check " << options.file << ": " << e.what() << "\n";
        return kExitUnreadable;
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
    return report.Pass() ? kExitPass : kExitFail;
}

} // namespace btcli
