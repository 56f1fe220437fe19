// Selector 47: has the host create a frame of the clip's size, pixel format
// and pixel aspect ratio, checks it, and paints the bars picture into it.
// Nothing is cached: every request builds its frame anew.

#include "FrameStore/FrameStore.h"
#include "ImporterBarsAndTone/HostRecords.h"
#include "host/HostServices.h"
#include "host/RequestSettings.h"
#include "host/SelectorCall.h"
#include "host/ToneSettings.h"
#include "video/BarsPixelFormat.h"
#include "video/BarsRenderer.h"
#include "video/PictureSuites.h"

#include <array>

namespace bt {

namespace {

namespace req = records::PictureRequest;

constexpr std::int32_t kCreateKind = 2;
constexpr std::int32_t kCheckKind = 2;

// The host's three checks of a new frame, in the host's order.
bool FrameChecksPass(const PictureSuites& suites, BT_FrameHandle frame)
{
    const auto check2 = suites.Check2();
    const auto check3 = suites.Check3();
    const auto check1 = suites.Check1();
    if (check1 == nullptr || check2 == nullptr || check3 == nullptr)
        return false;
    std::array<unsigned char, 16> out16{};
    std::int32_t out32 = 0;
    void* outPointer = nullptr;
    return check2(frame, out16.data()) >= 0 && check3(frame, &out32) >= 0 && check1(frame, kCheckKind, &outPointer) >= 0;
}

// The size to paint. A current record paints its own size and tells the host
// so through the size pair; an older one paints what the size pair holds.
// Rationale: without a size pair, the record's own size is painted.
FrameRect PaintRect(const ToneSettings& settings, void* sizePair)
{
    if (settings.version == kToneSettingsVersion || sizePair == nullptr) {
        if (settings.version == kToneSettingsVersion && sizePair != nullptr) {
            packed::StoreI32(sizePair, 4, settings.frameHeight);
            packed::StoreI32(sizePair, 0, settings.frameWidth);
        }
        return {0, 0, settings.frameWidth, settings.frameHeight};
    }
    return {0, 0, packed::LoadI32(sizePair, 0), packed::LoadI32(sizePair, 4)};
}

// The frame's memory as its record describes it, for the renderer.
// Rationale: a record that names another pixel format than the one asked for
// is described without a raster format, and the renderer leaves it as it is.
PictureBuffer BufferOf(BT_FrameHandle frame, RK_PixelFormat askedFormat, std::uint32_t askedCode) noexcept
{
    return {static_cast<unsigned char*>(cpixGetPixels(frame)), cpixGetRowbytes(frame), cpixGetWidth(frame),
            cpixGetHeight(frame), cpixGetPixelFormat(frame) == askedCode ? askedFormat : RK_PixelFormat_Invalid};
}

} // namespace

Result HandleGetPicture(const SelectorCall& call)
{
    const void* request = call.Record2();
    const void* record = RequestSettings(request, req::kSettingsFirst, req::kSettingsSecond);
    if (record == nullptr)
        return kResultBadIndex;
    const ToneSettings settings = LoadToneSettings(record);

    const void* basicSuite = HostServices(call.stdParms).GetBasicSuite();
    if (basicSuite == nullptr)
        return kResultSuccess;
    const PictureSuites suites(basicSuite);

    // Rationale: the host is expected to offer the suites and a place for the
    // frame handle; a request without them cannot deliver, which the host
    // hears as a failed step, with every acquired suite released.
    const auto createFrame = suites.CreateFrame();
    auto* frameOut = static_cast<BT_FrameHandle*>(packed::LoadPtr(request, req::kFrameOut));
    if (createFrame == nullptr || frameOut == nullptr)
        return kResultStepFailed;

    const RK_PixelFormat format = BarsPixelFormat(settings.colorSpaceType);
    const std::uint32_t hostFormat = HostPixelFormatCode(format);
    const auto passOn = packed::Load<BT_HostOpaque16>(request, req::kPassOn);
    createFrame(frameOut, kCreateKind, hostFormat, settings.frameWidth, settings.frameHeight, 0, 0,
                settings.par.GetNumerator(), settings.par.GetDenominator(), passOn);

    const BT_FrameHandle frame = packed::LoadPtr(frameOut, 0);
    if (frame == nullptr || !FrameChecksPass(suites, frame))
        return kResultStepFailed;

    // Rationale: a colour space without a row has no picture; its frame is
    // delivered as the host created it and the host hears "unsupported".
    const ColorSpaceRow* colorSpace = FindColorSpaceRow(settings.colorSpaceType);
    if (colorSpace == nullptr)
        return kResultUnsupported;
    RenderBarsFrame(BufferOf(frame, format, hostFormat), PaintRect(settings, packed::LoadPtr(request, req::kSizePair)),
                    *colorSpace);
    return kResultSuccess;
}

} // namespace bt
