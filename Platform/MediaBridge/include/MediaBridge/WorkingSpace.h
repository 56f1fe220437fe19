#pragma once
// The host's working colour spaces: their host ids (what the sequence suite
// answers) and the zelmediatypes colour spaces they stand for.

#include "MediaBridge/CvSDKGuid.h"
#include "zelmediatypes/ColorSpace.h"

namespace MB::WorkingSpace {

inline constexpr CvSDKGuid OR709CvSDKColorSpaceID{0x5D1A6C2E, 0x0B7F, 0x4E21, {0x9A, 0x35, 0x7C, 0x0E, 0x11, 0xD4, 0x07, 0x09}};
inline constexpr CvSDKGuid OR2100HLGCvSDKColorSpaceID{0x5D1A6C2E, 0x0B7F, 0x4E21, {0x9A, 0x35, 0x7C, 0x0E, 0x11, 0xD4, 0x21, 0x00}};
inline constexpr CvSDKGuid OR2100PQCvSDKColorSpaceID{0x5D1A6C2E, 0x0B7F, 0x4E21, {0x9A, 0x35, 0x7C, 0x0E, 0x11, 0xD4, 0x20, 0x84}};
inline constexpr CvSDKGuid OR601CvSDKColorSpaceID{0x5D1A6C2E, 0x0B7F, 0x4E21, {0x9A, 0x35, 0x7C, 0x0E, 0x11, 0xD4, 0x06, 0x01}};
inline constexpr CvSDKGuid ORDCIP3CvSDKColorSpaceID{0x5D1A6C2E, 0x0B7F, 0x4E21, {0x9A, 0x35, 0x7C, 0x0E, 0x11, 0xD4, 0xD0, 0xC1}};

inline constexpr zelmediatypes::color::ColorSpace OR709 = zelmediatypes::color::kColorSpace_Rec709;
inline constexpr zelmediatypes::color::ColorSpace OR2100HLG = zelmediatypes::color::kColorSpace_Rec2100HLG;
inline constexpr zelmediatypes::color::ColorSpace OR2100PQ = zelmediatypes::color::kColorSpace_Rec2100PQ;
inline constexpr zelmediatypes::color::ColorSpace OR601 = zelmediatypes::color::kColorSpace_Rec601;
inline constexpr zelmediatypes::color::ColorSpace ORDCIP3 = zelmediatypes::color::kColorSpace_DCIP3;

} // namespace MB::WorkingSpace
