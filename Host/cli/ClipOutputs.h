#pragma once
// The files a clip can be turned into, for a clip already open; the commands
// and the default job share them.

#include "Commands.h"
#include "Reports.h"
#include "Session.h"
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

/// What a command knows of its file formats, to choose one from --format and
/// the output's name.
template <class Format>
struct FormatNaming {
    const char* command;    ///< "frame"
    const char* flagValues; ///< what --format takes, for messages
    const char* fileKinds;  ///< the kinds and their extensions, for messages
    std::optional<Format> (*ofFileName)(std::string_view);
    std::optional<Format> (*named)(std::string_view);
    std::string_view (*nameOf)(Format);
    Format forStandardOutput; ///< what `-o -` writes without --format
};

/// The format --format names, else the one the file name says; where both
/// are given they must agree.
template <class Format>
Format ChooseFormat(const FormatNaming<Format>& naming, const std::string& flag, const std::string& output)
{
    const std::optional<Format> byName = naming.ofFileName(output);
    if (!flag.empty()) {
        const std::optional<Format> named = naming.named(flag);
        if (!named)
            throw UsageError(std::string("--format takes ") + naming.flagValues + ", not \"" + flag + "\"");
        if (byName && *named != *byName)
            throw UsageError("--format " + flag + " contradicts the name '" + output + "', a " +
                             std::string(naming.nameOf(*byName)) + " file: change one of them");
        return *named;
    }
    if (byName)
        return *byName;
    if (output == "-")
        return naming.forStandardOutput;
    throw UsageError(std::string(naming.command) + " writes " + naming.fileKinds + ", and '" + output +
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
