#pragma once
// The subcommands of barsandtone, each a function of its options. Main.cpp
// turns the command line into these options; nothing here knows the parser.
//
// Failures are exceptions: UsageError for what the user asked wrongly,
// Cancelled when the dialog was dismissed, btmedia::Stopped for a stop
// signal, anything else a failure; the exit codes below say which. A command
// that fails leaves no output file.

#include "btmedia/OutputFile.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace btcli {

/// The exit status contract, the same for every command.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFailure = 1;   ///< failed while working: I/O, a module's answer
inline constexpr int kExitUsage = 2;     ///< a wrong request: every parse and validation error
inline constexpr int kExitCancelled = 3; ///< the dialog dismissed, an overwrite declined
/// Stopped by a signal: 128 + the signal, 129 SIGHUP, 130 SIGINT, 143 SIGTERM.
inline constexpr int kExitSignalBase = 128;

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Cancelled : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct CommonOptions {
    std::string modulePath; ///< empty: the module installed with the program
    bool quiet = false;
    btmedia::Overwrite overwrite = btmedia::Overwrite::Ask;
    std::optional<bool> progress; ///< default: on when standard error is a terminal
    bool reportOnStandardError = false; ///< standard output carries a file ("-o -")
};

/// The host's current sequence, as selector 38 sees it.
struct SequenceOptions {
    std::string size = "1920x1080";
    std::string rate = "30000/1001";   ///< frames per second, "N" or "N/D"
    std::string par = "1/1";
    double audioRate = 48000.0;
    bool dropFrame = false;
    std::string workingSpace = "rec709"; ///< a name or a {GUID}
    std::string locale;                  ///< input locale, e.g. "en_US"; empty: the process's
};

/// What a user does in the settings dialog.
struct DialogOptions {
    std::string preset;
    std::string size;        ///< "WxH"
    std::string videoRate;
    std::string par;
    std::string colourSpace;
    std::string audioRate;
    std::string tone;        ///< "steady" or "identify"
    std::string frequency;   ///< Hz, as the user wrote it
    std::string amplitude;   ///< dB, as the user wrote it
    std::string identifier;
    std::vector<std::string> actions; ///< raw actions, after the ones above
    bool cancel = false;
    bool close = false;
    bool interactive = false;
};

/// How a new clip is made: the host's sequence, then the user's actions in
/// the settings dialog.
struct ClipRecipe {
    SequenceOptions sequence;
    DialogOptions dialog;
    std::string channels; ///< "5.1": six channels stored after the dialog; empty: as the dialog makes it
};

struct NewOptions {
    std::string output;
    ClipRecipe recipe;
};

/// The clip a command works on: a clip file, or with none named a clip made
/// on the way from the recipe, as `new` makes it.
struct ClipSource {
    std::string file;
    ClipRecipe recipe;
};

struct DescribeOptions {
    std::string clip;
    bool json = false;
    bool raw = false; ///< also the settings record as stored: its bytes and every field
};

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

struct ExportOptions {
    ClipSource clip;
    std::string output;  ///< "-": NUT on standard output
    std::string format;  ///< a movie format's name; empty: from the file name
    std::optional<double> durationSeconds;
    std::optional<std::int64_t> frames;
    int threads = 0;     ///< picture threads; 0: one per core
    bool noSound = false;
    bool nullConverts = false;    ///< null sink: also convert each picture to 10-bit as a file export does
    std::optional<bool> progress; ///< default: on a terminal
    std::string profile;          ///< ProRes or DNx profile name; empty: the format's default
    std::string timecode = "00:00:00:00";
    std::string fieldOrder;       ///< "tff", "bff"; empty: progressive
    std::string pcm;              ///< a sample format's token; empty: the kind's own
    std::string audioTracks = "multichannel"; ///< or "mono": one track per channel
    std::optional<double> masteringMax;       ///< cd/m², PQ only
    std::optional<double> masteringMin;       ///< cd/m², PQ only
    bool encodeEveryFrame = false;            ///< no reuse of identical pictures' packets
};

struct CheckOptions {
    std::string file;
    std::string clip;         ///< clip file the movie should match; empty: none
    bool json = false;
    int frames = 3;           ///< pictures checked, spread over the file
    std::string picture;      ///< PNG of the regions measured; empty: none
    double pictureCodes = 4;  ///< tolerance, codes at 10 bits
    double geometryPixels = 1;
    double levelDb = 0.1;
    double frequencyHz = 0.1;
    double soundSeconds = 30; ///< sound checked from the start
};

struct InspectOptions {
    bool json = false;
};

int RunNew(const CommonOptions&, const NewOptions&);
int RunDescribe(const CommonOptions&, const DescribeOptions&);
int RunFrame(const CommonOptions&, const FrameOptions&);
int RunTone(const CommonOptions&, const ToneOptions&);
int RunLevels(const CommonOptions&, const LevelsOptions&);
int RunExport(const CommonOptions&, const ExportOptions&);
int RunInspect(const CommonOptions&, const InspectOptions&);
/// Exit code 0 when the file matches, 1 when it does not, 2 when it cannot be read.
int RunCheck(const CommonOptions&, const CheckOptions&);
/// The default job: a default HD Rec. 709 clip, its picture, sound and a
/// few seconds of movie in a folder.
int RunDemo(const CommonOptions&, const std::string& folder);

} // namespace btcli
