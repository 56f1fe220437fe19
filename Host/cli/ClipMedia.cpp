#include "ClipMedia.h"

#include <stdexcept>
#include <string>

namespace btcli {

DeliveredPicture::DeliveredPicture(Session& session, const OpenClip& clip) : mSession(session)
{
    bthost::PictureRequest request;
    request.settingsFirst = clip.PerFile();
    request.settingsSecond = clip.Stored();
    request.sizePair[0] = clip.Description().width;
    request.sizePair[1] = clip.Description().height;
    const bthost::Picture picture = bthost::RequestPicture(session.Host(), request);
    mFrame = picture.frame;
    if (picture.result != 0)
        throw std::runtime_error("the module delivered no picture (selector 47 answered " +
                                 std::to_string(picture.result) + ")");
    const auto view = session.Host().Frames().View(mFrame);
    if (!view || view->firstRow == nullptr)
        throw std::runtime_error("the module's picture has no memory");
    mPicture.width = view->width;
    mPicture.height = view->height;
    mPicture.rowBytes = view->rowBytes;
    mPicture.firstRow = view->firstRow;
    mPicture.layout = view->bytesPerPixel == 16 ? btmedia::VuyaLayout::kFloats : btmedia::VuyaLayout::kBytes;
}

DeliveredPicture::~DeliveredPicture()
{
    if (mFrame != nullptr)
        mSession.Host().Frames().Release(mFrame);
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
