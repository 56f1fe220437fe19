#pragma once
// A clip's pictures and sound as the host asks the module for them:
// selector 47 into the host's frame pool, selectors 25 and 49 into host
// buffers, selector 73 for the colour. [any thread] for pictures and sound.

#include "Session.h"
#include "btmedia/FramePreview.h"
#include "btmedia/MovieWriter.h"
#include "bthost/PictureRequests.h"

#include <cstdint>
#include <vector>

namespace btcli {

/// The clip's picture as the module delivers it, handed back to the frame
/// pool when it goes.
class DeliveredPicture {
public:
    /// Throws std::runtime_error when the module does not deliver.
    DeliveredPicture(Session& session, const OpenClip& clip);

    [[nodiscard]] const btmedia::VuyaPicture& Picture() const noexcept { return mPicture; }

private:
    bthost::DeliveredPicture mDelivered;
    btmedia::VuyaPicture mPicture;
};

/// Selector 73's code points; throws when the module gives none.
[[nodiscard]] btmedia::ColourCodes ClipColour(Session& session, const OpenClip& clip);

/// Fills `count` samples from `position` into one buffer per channel of the
/// clip (selector 25). Throws when the module refuses.
void RequestSound(Session& session, const OpenClip& clip, std::int64_t position, std::uint32_t count,
                  float* const* channels);

} // namespace btcli
