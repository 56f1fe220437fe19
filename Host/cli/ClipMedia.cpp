#include "ClipMedia.h"

#include <stdexcept>
#include <string>

namespace btcli {

namespace {

bthost::PictureRequest ClipPictureRequest(const OpenClip& clip)
{
    bthost::PictureRequest request;
    request.settingsFirst = clip.PerFile();
    request.settingsSecond = clip.Stored();
    request.sizePair[0] = clip.Description().width;
    request.sizePair[1] = clip.Description().height;
    return request;
}

} // namespace

DeliveredPicture::DeliveredPicture(Session& session, const OpenClip& clip)
    : mDelivered(session.Host(), ClipPictureRequest(clip))
{
    const bthost::FrameView& view = mDelivered.View();
    mPicture = {view.width, view.height, view.rowBytes, view.firstRow,
                mDelivered.FloatPixels() ? btmedia::VuyaLayout::kFloats : btmedia::VuyaLayout::kBytes};
}

btmedia::ColourCodes ClipColour(Session& session, const OpenClip& clip)
{
    const auto colour = bthost::RequestColourDescription(session.Host(), clip.PerFile());
    if (colour.result != 0)
        throw std::runtime_error("the module gave no colour description (selector 73 answered " +
                                 std::to_string(colour.result) + ")");
    return {static_cast<std::uint8_t>(colour.primaries), static_cast<std::uint8_t>(colour.transfer),
            static_cast<std::uint8_t>(colour.matrix)};
}

} // namespace btcli
