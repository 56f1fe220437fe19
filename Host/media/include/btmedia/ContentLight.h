#pragma once
// How bright an HDR picture is, as CTA-861.3 content light levels describe
// it to a display: MaxCLL, the brightest pixel, and MaxFALL, the frame's
// average light level, both in cd/m².

#include "btmedia/StudioPicture.h"

namespace btmedia {

struct ContentLight {
    unsigned maxCll = 0;  ///< cd/m², rounded to nearest
    unsigned maxFall = 0; ///< cd/m², rounded to nearest
};

/// Levels of a PQ picture in BT.2020 narrow-range Y'CbCr codes: each pixel's
/// R'G'B' (held to 0..1, the PQ signal's range) through the PQ curve, its
/// light the largest of its three components.
[[nodiscard]] ContentLight MeasurePqContentLight(const StudioPlanes& picture);

/// The light in cd/m² of a PQ signal value 0..1 (SMPTE ST 2084).
[[nodiscard]] double PqToCandelas(double signal) noexcept;

} // namespace btmedia
