#include "CommonFlags.h"

namespace btcli {

ClipArgument::ClipArgument(Flags& flags, ClipSource& source)
{
    flags.Option("clip", source.file,
                 "Clip file (default: a clip made on the way by the dialog flags, as `new` makes it)")
        .ExistingFile();
    mRecipe = AddRecipeFlags(flags, source.recipe);
}

void ClipArgument::Check(const ClipSource& source) const
{
    if (source.file.empty())
        return;
    for (const Flag& flag : mRecipe)
        if (flag.Given())
            throw UsageError(flag.Name() + " makes a new clip, and the clip file " + source.file +
                             " is given: leave out one or the other");
}

Flag AddOutput(Flags& flags, std::string& output, const std::string& what)
{
    return flags.Option("-o,--output", output, what + "; - for standard output").File();
}

void AddRange(Flags& flags, RangeOptions& range)
{
    Flag start = flags.Option("--start", range.startSeconds, "Start, in seconds from the clip's start (default 0)")
                     .Check(AnyNumber("seconds"));
    Flag startSample =
        flags.Option("--start-sample", range.startSample, "Start, as a sample index").Check(AnyNumber("samples"));
    start.Excludes(startSample);
    Flag duration =
        flags.Option("-d,--duration", range.durationSeconds, "Length in seconds (default: the clip's sound, 5 s)")
            .Check(Above0("seconds"));
    Flag count = flags.Option("--samples", range.sampleCount, "Length in samples").Check(Count("samples"));
    duration.Excludes(count);
}

} // namespace btcli
