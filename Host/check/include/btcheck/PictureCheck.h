#pragma once
// The picture side of a check: which bars the file carries (the module's
// pictures at the file's size are the candidates), how the chain coded them
// (the best-fitting hypothesis of matrix, range and clipping), where their
// edges went, and how the stream's colour tags and size agree.

#include "btcheck/Findings.h"
#include "btcheck/MediaFile.h"
#include "btcheck/Reference.h"

#include <cstdint>
#include <vector>

namespace btcheck {

/// `count` frame numbers spread evenly from the first to the last of
/// `frameCount` frames (first, middle and last for three).
[[nodiscard]] std::vector<std::int64_t> SpreadFrames(std::int64_t frameCount, int count);

[[nodiscard]] PictureFinding CheckPicture(MediaFile& file, Reference& reference, const ClipExpectation* clip,
                                          const Tolerances& tolerances, int frames);

} // namespace btcheck
