#pragma once
// The files a clip can be turned into, for a clip already open; the commands
// and the default job share them.

#include "Commands.h"
#include "Reports.h"
#include "Session.h"

#include <string>

namespace btcli {

void WriteFrame(const CommonOptions& common, Session& session, const OpenClip& clip, const FrameOptions& options);
void WriteTone(const CommonOptions& common, Session& session, const OpenClip& clip, const ToneOptions& options);
void WriteLevels(const CommonOptions& common, Session& session, const OpenClip& clip, const LevelsOptions& options);
void WriteMovieFile(const CommonOptions& common, Session& session, const OpenClip& clip, const ExportOptions& options);

/// A command on one clip file: loads the file, starts a session, opens the
/// clip and writes the output. The clip closes before the module unloads.
template <class Options>
int RunOnClip(const CommonOptions& common, const Options& options,
              void (*write)(const CommonOptions&, Session&, const OpenClip&, const Options&))
{
    const ClipFile file = LoadClipFile(options.clip);
    Session session(common);
    OpenClip clip(session, file);
    write(common, session, clip, options);
    return 0;
}

/// Makes a new clip through selector 38 and the dialog. Throws Cancelled
/// when the dialog is dismissed.
[[nodiscard]] ClipFile CreateClip(Session& session, const NewOptions& options);

/// What selectors 37, 27 and 73 say of an open clip.
[[nodiscard]] ClipReport MakeClipReport(Session& session, const OpenClip& clip, const std::string& clipPath);

/// Prints a line unless quiet.
void Say(const CommonOptions& common, const std::string& text);

} // namespace btcli
