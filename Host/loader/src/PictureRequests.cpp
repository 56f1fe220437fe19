#include "bthost/PictureRequests.h"

#include "ImporterBarsAndTone/HostRecords.h"
#include "barsandtone/PackedBytes.h"
#include "bthost/FramePool.h"

#include <stdexcept>
#include <string>

namespace bthost {

namespace rec = bt::records;
using namespace bt::packed;

PixelFormatAnswer RequestPixelFormat(Host& host, const void* settings, std::intptr_t index)
{
    std::vector<std::uint8_t> record(rec::PixelFormatRequest::kMinSize, 0);
    StorePtr(record.data(), rec::PixelFormatRequest::kSettingsFirst, settings);
    PixelFormatAnswer answer;
    answer.result = host.Call(BT_SEL_GET_PIXEL_FORMAT, index, reinterpret_cast<std::intptr_t>(record.data()));
    answer.pixelFormat = LoadU32(record.data(), rec::PixelFormatRequest::kPixelFormat);
    return answer;
}

ColourDescription RequestColourDescription(Host& host, const void* settings, std::intptr_t index)
{
    namespace cd = rec::ColorDescription;
    ColourDescription d;
    d.record.assign(cd::kMinSize, kUntouchedByte);
    StorePtr(d.record.data(), cd::kSettings, settings);
    d.result = host.Call(BT_SEL_GET_COLOR_DESCRIPTION, index, reinterpret_cast<std::intptr_t>(d.record.data()));
    d.kind = LoadU32(d.record.data(), cd::kKind);
    d.primaries = LoadU32(d.record.data(), cd::kPrimaries);
    d.transfer = LoadU32(d.record.data(), cd::kTransfer);
    d.matrix = LoadU32(d.record.data(), cd::kMatrix);
    d.encodingDepth = LoadU32(d.record.data(), cd::kEncodingDepth);
    d.flag64 = LoadU32(d.record.data(), cd::kFlag64);
    d.flag68 = LoadU32(d.record.data(), cd::kFlag68);
    return d;
}

Picture RequestPicture(Host& host, const PictureRequest& request)
{
    namespace pr = rec::PictureRequest;
    std::vector<std::uint8_t> record(pr::kMinSize, 0);
    std::int32_t sizePair[2] = {request.sizePair[0], request.sizePair[1]};
    BT_FrameHandle frame = nullptr;
    StorePtr(record.data(), pr::kSettingsFirst, request.settingsFirst);
    StorePtr(record.data(), pr::kSettingsSecond, request.settingsSecond);
    StorePtr(record.data(), pr::kSizePair, request.withSizePair ? sizePair : nullptr);
    StorePtr(record.data(), pr::kFrameOut, &frame);
    Store(record.data(), pr::kPassOn, request.passOn);
    Picture picture;
    picture.result = host.Call(BT_SEL_GET_PICTURE, std::intptr_t{0}, reinterpret_cast<std::intptr_t>(record.data()));
    picture.frame = frame;
    picture.sizePair[0] = sizePair[0];
    picture.sizePair[1] = sizePair[1];
    return picture;
}

DeliveredPicture::DeliveredPicture(Host& host, const PictureRequest& request) : mHost(host)
{
    const Picture picture = RequestPicture(host, request);
    mFrame = picture.frame;
    if (picture.result != 0) {
        if (mFrame != nullptr)
            host.Frames().Release(mFrame);
        throw std::runtime_error("the module delivered no picture (selector 47 answered " +
                                 std::to_string(picture.result) + ")");
    }
    const auto view = host.Frames().View(mFrame);
    if (!view || view->firstRow == nullptr) {
        if (mFrame != nullptr)
            host.Frames().Release(mFrame);
        throw std::runtime_error("the module's picture has no memory");
    }
    mView = *view;
}

DeliveredPicture::~DeliveredPicture()
{
    if (mFrame != nullptr)
        mHost.Frames().Release(mFrame);
}

} // namespace bthost
