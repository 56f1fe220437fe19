#pragma once
// The files a clip can be turned into, for a clip already open; the commands
// and the default job share them.

#include "Commands.h"
#include "Reports.h"
#include "Session.h"
#include "btmedia/FileFormats.h"
#include "btmedia/OutputFile.h"

#include <optional>
#include <string>
#include <vector>

namespace btcli {

// Each writes into `output`, which is null only for a null sink.
void WriteFrame(const CommonOptions& common, Session& session, const OpenClip& clip, const FrameOptions& options,
                btmedia::OutputFile* output);
void WriteTone(const CommonOptions& common, Session& session, const OpenClip& clip, const ToneOptions& options,
               btmedia::OutputFile* output);
void WriteLevels(const CommonOptions& common, Session& session, const OpenClip& clip, const LevelsOptions& options,
                 btmedia::OutputFile* output);
void WriteMovieFile(const CommonOptions& common, Session& session, const OpenClip& clip, const ExportOptions& options,
                    btmedia::OutputFile* output);

/// The format --format names, else the one the file name says; where both
/// are given they must agree. `command` is the command's name, for messages.
template <class Format>
Format ChooseFormat(const btmedia::FormatList& formats, const char* command, const std::string& flag,
                    const std::string& output)
{
    const btmedia::FormatList::Entry* byName = formats.OfFileName(output);
    if (!flag.empty()) {
        const btmedia::FormatList::Entry* named = formats.Named(flag);
        if (named == nullptr)
            throw UsageError("--format takes " + formats.NamesText() + ", not \"" + flag + "\"");
        if (byName != nullptr && named != byName)
            throw UsageError("--format " + flag + " contradicts the name '" + output + "', a " +
                             std::string(byName->names.label) + " file: change one of them");
        return static_cast<Format>(named->format);
    }
    if (byName != nullptr)
        return static_cast<Format>(byName->format);
    if (output == "-")
        return static_cast<Format>(formats.entries.at(formats.standardOutput).format);
    throw UsageError(std::string(command) + " writes " + formats.KindsText() + ", and '" + output +
                     "' names none of them: name the file so, or give --format");
}

/// The program's options for a run that writes `output`: its reports go to
/// standard error when standard output carries the file.
[[nodiscard]] CommonOptions ReportingBeside(CommonOptions common, const std::string& output);

/// The rules every output of a run follows: the user's overwrite choice, and
/// none of `inputs` (the clip file, the module) may be written.
[[nodiscard]] btmedia::OutputRules OutputRulesFor(const CommonOptions& common, std::vector<std::string> inputs);

/// A command on one clip: reads the clip file (or makes the clip), resolves
/// the output before any work, starts a session, opens the clip and writes.
/// The clip closes before the module unloads.
template <class Options>
int RunOnClip(const CommonOptions& programOptions, const Options& options,
              void (*write)(const CommonOptions&, Session&, const OpenClip&, const Options&, btmedia::OutputFile*))
{
    const CommonOptions common = ReportingBeside(programOptions, options.output);
    std::optional<ClipFile> file;
    if (!options.clip.file.empty())
        file = LoadClipFile(options.clip.file);
    std::optional<btmedia::OutputFile> output;
    if (!options.output.empty())
        output.emplace(options.output, OutputRulesFor(common, {options.clip.file}));
    Session session(common);
    if (!file)
        file = CreateClip(session, options.clip.recipe);
    OpenClip clip(session, *file);
    write(common, session, clip, options, output ? &*output : nullptr);
    return kExitDone;
}

/// What selectors 37, 27 and 73 say of an open clip.
[[nodiscard]] ClipReport MakeClipReport(Session& session, const OpenClip& clip, const std::string& clipPath);

/// Prints a line unless quiet: on standard output, or on standard error when
/// standard output carries a file.
void Say(const CommonOptions& common, const std::string& text);

} // namespace btcli
