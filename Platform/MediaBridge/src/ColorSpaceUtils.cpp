#include "MediaBridge/ColorSpaceUtils.h"

#include "MediaBridge/WorkingSpace.h"

namespace MB::ColorSpaceUtils {

namespace {
struct Pair {
    CvSDKGuid id;
    zelmediatypes::color::ColorSpace space;
};
constexpr Pair kKnown[] = {
    {WorkingSpace::OR709CvSDKColorSpaceID, WorkingSpace::OR709},
    {WorkingSpace::OR2100HLGCvSDKColorSpaceID, WorkingSpace::OR2100HLG},
    {WorkingSpace::OR2100PQCvSDKColorSpaceID, WorkingSpace::OR2100PQ},
    {WorkingSpace::OR601CvSDKColorSpaceID, WorkingSpace::OR601},
    {WorkingSpace::ORDCIP3CvSDKColorSpaceID, WorkingSpace::ORDCIP3},
};
} // namespace

bool CvSDKColorSpaceIDtoColorSpace(const CvSDKGuid& id, zelmediatypes::color::ColorSpace& out) noexcept
{
    for (const Pair& known : kKnown)
        if (known.id == id) {
            out = known.space;
            return true;
        }
    return false;
}

} // namespace MB::ColorSpaceUtils
