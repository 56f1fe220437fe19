#pragma once
// The flags several commands share, declared once: the clip a command works
// on (a clip file, or the recipe's flags in its place), the output file and
// a stretch of the clip's sound.

#include "Commands.h"

#include <string>
#include <vector>

namespace btcli {

/// The clip argument of a command that takes one, and the recipe's flags in
/// its place.
class ClipArgument {
public:
    ClipArgument(Flags& flags, ClipSource& source);
    /// Throws UsageError when a clip file and flags that would make a clip
    /// are both given: they cannot both be meant.
    void Check(const ClipSource& source) const;

private:
    std::vector<Flag> mRecipe;
};

/// -o/--output; `what` says what is written.
Flag AddOutput(Flags& flags, std::string& output, const std::string& what);

/// --start, --start-sample, --duration, --samples.
void AddRange(Flags& flags, RangeOptions& range);

} // namespace btcli
