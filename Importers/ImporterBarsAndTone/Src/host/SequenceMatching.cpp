#include "host/SequenceMatching.h"

#include "ImporterBarsAndTone/HostRecords.h"
#include "MediaBridge/ColorSpaceUtils.h"
#include "MediaBridge/WorkingSpace.h"
#include "barsandtone/PackedBytes.h"
#include "video/ColorSpaceRows.h"
#include "zelmediatypes/TickTime.h"

namespace bt {

namespace {
namespace req = records::SettingsRequest;
namespace seq = records::SequenceInfoSuite;

using GetDropFrameFn = std::int32_t (*)(std::uint32_t, std::int32_t*);
using GetWorkingColorSpaceFn = std::int32_t (*)(std::uint32_t, CvSDKGuid*);
} // namespace

ToneSettings SettingsFromSequence(const void* request) noexcept
{
    ToneSettings s;
    s.audioFrameRate = packed::LoadF32(request, req::kAudioRate);
    s.audioChannelType = RecordValue(ChannelType::Stereo);
    s.audioChannelCount = 2;
    s.frameHeight = packed::LoadI32(request, req::kHeight);
    s.frameWidth = packed::LoadI32(request, req::kWidth);
    s.par = zelmediatypes::PixelAspectRatio(packed::LoadU32(request, req::kParNum), packed::LoadU32(request, req::kParDen));
    s.videoFrameRate = zelmediatypes::FrameRate::FromRatio(packed::LoadI32(request, req::kRateNum),
                                                           packed::LoadI32(request, req::kRateDen))
                           .GetTicks();
    s.version = kToneSettingsVersion;
    return s;
}

std::uint8_t ColorSpaceTypeOf(const zelmediatypes::color::ColorSpace& space) noexcept
{
    for (const ColorSpaceRow& row : kColorSpaceRows)
        if (row.workingSpace == space)
            return RecordValue(row.space);
    return RecordValue(ColorSpace::Rec601);
}

void MatchSequence(const HostServices& host, std::uint32_t sequenceId, ToneSettings& settings) noexcept
{
    const void* basic = host.GetBasicSuite();
    if (basic == nullptr)
        return;
    const void* suite = nullptr;
    if (AcquireSuite(basic, seq::kName, seq::kVersion, &suite) != 0 || suite == nullptr)
        return;

    std::int32_t dropFrame = 0;
    if (const auto get = SuiteFunction<GetDropFrameFn>(suite, seq::kGetDropFrame))
        get(sequenceId, &dropFrame);
    settings.dropFrame = dropFrame == 1 ? 1 : 0;

    CvSDKGuid id = MB::WorkingSpace::OR709CvSDKColorSpaceID;
    if (const auto get = SuiteFunction<GetWorkingColorSpaceFn>(suite, seq::kGetWorkingColorSpace))
        get(sequenceId, &id);
    zelmediatypes::color::ColorSpace space;
    if (MB::ColorSpaceUtils::CvSDKColorSpaceIDtoColorSpace(id, space))
        settings.colorSpaceType = ColorSpaceTypeOf(space);

    ReleaseSuite(basic, seq::kName, seq::kVersion);
}

} // namespace bt
