#pragma once
// The commands of barsandtone, one row each (CommandLine.h): every Cmd*.cpp
// holds its command's flags, checks and work side by side and gives its row
// here; Main.cpp walks the table.
//
// Failures are exceptions: UsageError for what the user asked wrongly,
// ClipFileError for a clip file that cannot be read or used, Cancelled when
// the dialog was dismissed, btmedia::Stopped for a stop signal, anything else
// a failure; main turns them into the exit statuses of ExitStatus.h. A
// command that fails leaves no output file.

#include "ClipRecipe.h"
#include "CommandLine.h"
#include "ExitStatus.h"
#include "btmedia/OutputFile.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace btcli {

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Cancelled : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The program's own flags, which every command takes.
struct CommonOptions {
    std::string modulePath; ///< empty: the module installed with the program
    bool quiet = false;
    btmedia::Overwrite overwrite = btmedia::Overwrite::Ask;
    std::optional<bool> progress; ///< default: on when standard error is a terminal
    bool reportOnStandardError = false; ///< standard output carries a file ("-o -")
};

/// The clip a command works on: a clip file, or with none named a clip made
/// on the way from the recipe, as `new` makes it.
struct ClipSource {
    std::string file;
    ClipRecipe recipe;
};

// The options of the commands the default job runs too.

struct FrameOptions {
    ClipSource clip;
    std::string output;
    std::string format;    ///< a picture format's --format name; empty: from the file name
    bool signal16 = false; ///< the narrow-range signal instead of the preview
};

/// A stretch of the clip's sound: start and length in seconds or samples.
struct RangeOptions {
    std::optional<double> startSeconds;
    std::optional<std::int64_t> startSample;
    std::optional<double> durationSeconds;
    std::optional<std::int64_t> sampleCount;
};

struct ToneOptions {
    ClipSource clip;
    std::string output;
    std::string format; ///< a sound format's --format name; empty: from the file name
    std::string bits;   ///< a sample format's token; empty: the format's own
    RangeOptions range;
    std::uint32_t requestSize = 1024;
    bool nullSink = false;
};

struct LevelsOptions {
    ClipSource clip;
    std::string output;
    RangeOptions range;
    double levelRate = 100.0; ///< values per second
};

/// A movie of the clip: export's file, or play's stream.
struct ExportOptions {
    ClipSource clip;
    std::string output;  ///< "-": standard output (NUT from export, MPEG-TS from play)
    std::string format;  ///< a movie format's name; empty: from the file name
    std::optional<double> durationSeconds;
    std::optional<std::int64_t> frames;
    int threads = 0;     ///< picture threads; 0: one per core
    bool noSound = false;
    bool nullConverts = false;    ///< null sink: also convert each picture to 10-bit as a file export does
    std::string profile;          ///< ProRes or DNx profile name; empty: the format's default
    std::string timecode = "00:00:00:00";
    std::string fieldOrder;       ///< "tff", "bff"; empty: progressive
    std::string pcm;              ///< a sample format's token; empty: the kind's own
    std::string audioTracks = "multichannel"; ///< or "mono": one track per channel
    std::optional<double> masteringMax;       ///< cd/m², PQ only
    std::optional<double> masteringMin;       ///< cd/m², PQ only
    std::optional<std::int64_t> maxCll;       ///< cd/m², PQ only; none: measured from the picture
    std::optional<std::int64_t> maxFall;      ///< cd/m², PQ only; none: measured from the picture
    std::string audioCodec;                   ///< as --audio-codec names it; empty: the kind's own
    bool encodeEveryFrame = false;            ///< no reuse of identical pictures' packets
    bool realTime = false;                    ///< play: paced against the clock, without end unless a length is given
    std::string address;                      ///< play: the network address -o named, instead of a file
};

extern const Command kNewCommand;      // CmdNew.cpp
extern const Command kDescribeCommand; // CmdDescribe.cpp
extern const Command kFrameCommand;    // CmdFrame.cpp
extern const Command kToneCommand;     // CmdSound.cpp
extern const Command kLevelsCommand;   // CmdSound.cpp
extern const Command kExportCommand;   // CmdExport.cpp
extern const Command kPlayCommand;     // CmdPlay.cpp
extern const Command kCheckCommand;    // CmdCheck.cpp
extern const Command kInspectCommand;  // CmdInspect.cpp

/// The default job (no command): a default HD Rec. 709 clip, its picture,
/// sound and a few seconds of movie in a folder.
int RunDemo(const CommonOptions& common, const std::string& folder);

} // namespace btcli
