#pragma once
// Asks the module for a clip's picture and colour description and saves the
// picture as PNGs a person can look at.

#include "bthost/Host.h"

#include <iosfwd>
#include <string>

namespace btrun {

/// Writes <folder>/<stem>-preview.png (8-bit) and <folder>/<stem>-signal16.png
/// (16-bit with cICP) for the clip with these settings, then the same for the
/// clip in each other colour space; says on `out` where they went.
void WriteBarsPictures(bthost::Host& host, const void* settings, const std::string& folder, std::ostream& out);

} // namespace btrun
