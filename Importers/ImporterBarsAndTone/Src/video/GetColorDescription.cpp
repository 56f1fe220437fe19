// Selector 73: describes the colour of the clip's pictures.

#include "ImporterBarsAndTone/ColorSpaces.h"
#include "ImporterBarsAndTone/HostRecords.h"
#include "MediaBridge/PixelFormats.h"
#include "barsandtone/PackedBytes.h"
#include "host/SelectorCall.h"
#include "host/ToneSettings.h"
#include "video/BarsPixelFormat.h"

namespace bt {

namespace {

constexpr std::uint32_t kDescriptionKind = 3;
constexpr std::uint32_t kDescriptorBit0 = 1u << 0;
constexpr std::uint32_t kDescriptorBit7 = 1u << 7;

std::uint32_t FlagWhenClear(std::uint32_t word, std::uint32_t bit) { return (word & bit) == 0 ? 1u : 0u; }

/// Colour spaces without a row are described as Rec. 709.
H273CodePoints CodePointsOf(std::uint8_t colorSpaceType) noexcept
{
    const ColorSpaceFacts* facts = FindColorSpace(colorSpaceType);
    return (facts != nullptr ? *facts : FactsOf(ColorSpace::Rec709)).codePoints;
}

} // namespace

Result HandleGetColorDescription(const SelectorCall& call)
{
    namespace req = records::ColorDescription;
    void* request = call.Record2();
    if (call.param1 != 0 || request == nullptr)
        return kResultNoColorDescription;
    // Rationale: a request without a settings record has no clip to describe;
    // it is answered like an index past the last, with nothing written.
    const void* settings = packed::LoadPtr(request, req::kSettings);
    if (settings == nullptr)
        return kResultNoColorDescription;

    const std::uint8_t colorSpaceType = LoadToneSettings(settings).colorSpaceType;
    const std::uint32_t code = HostPixelFormatCode(BarsPixelFormat(colorSpaceType));
    const zelmediatypes::PixelFormat format = MB::SDKToBEPixelFormat(code);
    const std::uint32_t descriptor = format.GetDescriptor();
    const auto encodingDepth = MB::ChannelBitDepthToEncodingBitDepth(format.GetChannelBitDepth());
    const H273CodePoints points = CodePointsOf(colorSpaceType);

    packed::StoreU32(request, req::kKind, kDescriptionKind);
    packed::StoreU32(request, req::kEncodingDepth, static_cast<std::uint8_t>(encodingDepth));
    packed::StoreU32(request, req::kFlag64, FlagWhenClear(descriptor, kDescriptorBit7));
    packed::StoreU32(request, req::kFlag68, FlagWhenClear(descriptor, kDescriptorBit0));
    packed::StoreU32(request, req::kZero72, 0);
    packed::StoreU32(request, req::kPrimaries, points.primaries);
    packed::StoreU32(request, req::kTransfer, points.transfer);
    packed::StoreU32(request, req::kMatrix, points.matrix);
    return kResultSuccess;
}

} // namespace bt
