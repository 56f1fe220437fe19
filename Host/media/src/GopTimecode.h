#pragma once
// MPEG-2 pictures say their own time: each GOP header carries the timecode
// of its first frame. A GOP whose packets are written again at a later frame
// gets that frame's timecode there.

#include "btmedia/AvSupport.h"
#include "btmedia/Timecode.h"

#include <cstddef>
#include <cstdint>

namespace btmedia {

/// Writes `tc` into the first GOP header of an MPEG-2 video packet, if it
/// has one (the packet is made writable then). Returns whether it had one.
bool StampGopTimecode(AVPacket& packet, const StartTimecode& tc);

} // namespace btmedia
