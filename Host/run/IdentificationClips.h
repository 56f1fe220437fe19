#pragma once
// The four identification cadences as clips of their own, written as sound
// files so that each timetable can be heard and seen.

#include "bthost/Host.h"

#include <filesystem>
#include <iosfwd>

namespace btrun {

/// Stores a settings record per cadence (the default record with the tone
/// fields changed), describes each clip, writes its sound files and releases
/// its per-file record.
void WriteIdentificationClips(bthost::Host& host, const std::filesystem::path& dir, std::ostream& out);

} // namespace btrun
