// The default job (no command): what the module is, then a default HD
// Rec. 709 clip with its 1000 Hz tone turned into files a person can open.

#include "ClipOutputs.h"
#include "Commands.h"
#include "Reports.h"
#include "Session.h"
#include "barsandtone/FourCC.h"

#include <filesystem>
#include <iostream>
#include <list>

namespace btcli {

int RunDemo(const CommonOptions& common, const std::string& folder)
{
    std::filesystem::create_directories(folder);
    const auto in = [&](const std::string& name) { return (std::filesystem::path(folder) / name).string(); };
    // Every output is resolved (and any question asked) before the work.
    const btmedia::OutputRules rules = OutputRulesFor(common, {});
    std::list<btmedia::OutputFile> outputs;
    const auto output = [&](const std::string& name) { return &outputs.emplace_back(in(name), rules); };
    const std::string clipPath = in("bars-and-tone.json");
    btmedia::OutputFile* clipFile = output("bars-and-tone.json");
    btmedia::OutputFile* preview = output("bars-and-tone.png");
    btmedia::OutputFile* signal = output("bars-and-tone-signal.png");
    btmedia::OutputFile* sound = output("bars-and-tone.wav");
    btmedia::OutputFile* levelsPicture = output("bars-and-tone-levels.png");
    btmedia::OutputFile* movieFile = output("bars-and-tone.mov");

    Session session(common);
    if (!common.quiet) {
        const auto& d = session.Description();
        std::cout << "Module     " << session.Host().ModulePath() << "\n"
                  << "Plug-in    " << d.matchName << " ('" << bt::FourCCText(d.kind) << "', " << d.category
                  << "), start-up answered " << session.StartupResult() << ", file types";
        for (std::uint32_t type : session.FileTypes())
            std::cout << " '" << bt::FourCCText(type) << "'";
        std::cout << "\n\n";
    }

    // The host's default sequence, HD Rec. 709 at 29.97 fps, and the dialog
    // accepted as it opens.
    const ClipFile file = CreateClip(session, ClipRecipe{});
    SaveClipFile(*clipFile, file);

    OpenClip clip(session, file);
    if (!common.quiet) {
        PrintClipReport(std::cout, MakeClipReport(session, clip, clipPath));
        std::cout << "\n";
    }
    Say(common, "wrote " + clipPath + ": the clip file");

    FrameOptions picture;
    picture.clip.file = clipPath;
    picture.output = in("bars-and-tone.png");
    WriteFrame(common, session, clip, picture, preview);
    picture.output = in("bars-and-tone-signal.png");
    picture.signal16 = true;
    WriteFrame(common, session, clip, picture, signal);
    ToneOptions tone;
    tone.clip.file = clipPath;
    tone.output = in("bars-and-tone.wav");
    WriteTone(common, session, clip, tone, sound);
    LevelsOptions levels;
    levels.clip.file = clipPath;
    levels.output = in("bars-and-tone-levels.png");
    WriteLevels(common, session, clip, levels, levelsPicture);
    ExportOptions movie;
    movie.clip.file = clipPath;
    movie.output = in("bars-and-tone.mov");
    movie.durationSeconds = 3.0;
    WriteMovieFile(common, session, clip, movie, movieFile);
    return kExitDone;
}

} // namespace btcli
