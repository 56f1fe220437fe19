// The default job (no command): what the module is, then a default HD
// Rec. 709 clip with its 1000 Hz tone turned into files a person can open.

#include "ClipOutputs.h"
#include "Commands.h"
#include "Reports.h"
#include "Session.h"
#include "barsandtone/FourCC.h"

#include <filesystem>
#include <iostream>

namespace btcli {

int RunDemo(const CommonOptions& common, const std::string& folder)
{
    std::filesystem::create_directories(folder);
    const auto in = [&](const std::string& name) { return (std::filesystem::path(folder) / name).string(); };

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
    NewOptions create;
    const ClipFile file = CreateClip(session, create);
    const std::string clipPath = in("bars-and-tone.json");
    SaveClipFile(clipPath, file);

    OpenClip clip(session, file);
    if (!common.quiet) {
        PrintClipReport(std::cout, MakeClipReport(session, clip, clipPath));
        std::cout << "\n";
    }
    Say(common, "wrote " + clipPath + ": the clip file");

    WriteFrame(common, session, clip, {clipPath, in("bars-and-tone.png"), false});
    WriteFrame(common, session, clip, {clipPath, in("bars-and-tone-signal.png"), true});
    WriteTone(common, session, clip, {clipPath, in("bars-and-tone.wav"), {}, 1024, false});
    WriteLevels(common, session, clip, {clipPath, in("bars-and-tone-levels.png"), {}, 100.0});
    ExportOptions movie;
    movie.clip = clipPath;
    movie.output = in("bars-and-tone.mov");
    movie.durationSeconds = 3.0;
    WriteMovieFile(common, session, clip, movie);
    return 0;
}

} // namespace btcli
