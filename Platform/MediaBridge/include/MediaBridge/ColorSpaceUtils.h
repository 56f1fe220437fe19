#pragma once
// From the host's colour-space id to a zelmediatypes colour space.

#include "MediaBridge/CvSDKGuid.h"
#include "barsandtone/PlatformApi.h"
#include "zelmediatypes/ColorSpace.h"

namespace MB::ColorSpaceUtils {

/// True and the colour space for the five working-space ids the host knows
/// (Rec. 709, Rec. 2100 HLG and PQ, Rec. 601, DCI-P3); false, with `out`
/// untouched, for any other id.
BT_PLATFORM_API bool CvSDKColorSpaceIDtoColorSpace(const CvSDKGuid& id,
                                                   zelmediatypes::color::ColorSpace& out) noexcept;

} // namespace MB::ColorSpaceUtils
