#pragma once
// The run's sound step: the default clip's five seconds and each
// identification cadence as WAV files and level pictures.

#include "bthost/ClipDescription.h"
#include "bthost/Host.h"

#include <filesystem>
#include <iosfwd>

namespace btrun {

/// defaultClip is the description of the clip without stored settings; its
/// per-file record is still the module's to read.
void WriteSoundFilesStep(bthost::Host& host, const bthost::ClipDescription& defaultClip,
                         const std::filesystem::path& dir, std::ostream& out);

} // namespace btrun
