#pragma once
// A whole check of one file: its container, picture and sound against the
// module's bars and tone (and against a clip, when one is given).

#include "btcheck/Findings.h"
#include "btcheck/MediaFile.h"
#include "bthost/Host.h"

#include <string>

namespace btcheck {

struct CheckOptions {
    Tolerances tolerances;
    int frames = 3;             ///< pictures decoded, spread over the file
    double soundSeconds = 30;   ///< sound read from the start, at most
};

/// The file's container facts against its own streams and the clip.
[[nodiscard]] FileFinding CheckFileFacts(const FileFacts& facts, const ClipExpectation* clip);

/// Checks the file; throws ReadError when it cannot be read.
[[nodiscard]] CheckReport CheckFile(const std::string& path, bthost::Host& host, const ClipExpectation* clip,
                                    const CheckOptions& options);

} // namespace btcheck
