#pragma once
// A host with the module loaded and helpers to request pictures of clips and
// to check that a frame holds the picture the painting gives.

#include "../host/ModuleFixture.h"
#include "PlainPicture.h"

#include "bthost/PictureRequests.h"
#include "host/ToneSettings.h"

#include <cstring>

class PictureTest : public ModuleTest {
protected:
    /// A clip's settings stored as the host stores them.
    void* StoreClip(std::uint8_t colorSpaceType, std::int32_t width, std::int32_t height,
                    std::uint32_t version = bt::kToneSettingsVersion)
    {
        const bt::ToneSettings s{.version = version, .frameWidth = width, .frameHeight = height, .par = {128, 117},
                                 .colorSpaceType = colorSpaceType};
        return host->StoreSettings(&s, sizeof s);
    }
    void* StoreClip(bt::ColorSpace space, std::int32_t width, std::int32_t height,
                    std::uint32_t version = bt::kToneSettingsVersion)
    {
        return StoreClip(bt::RecordValue(space), width, height, version);
    }

    bthost::Picture Paint(std::uint8_t colorSpaceType, std::int32_t width, std::int32_t height)
    {
        bthost::PictureRequest request;
        request.settingsFirst = StoreClip(colorSpaceType, width, height);
        return bthost::RequestPicture(*host, request);
    }
    bthost::Picture Paint(bt::ColorSpace space, std::int32_t width, std::int32_t height)
    {
        return Paint(bt::RecordValue(space), width, height);
    }

    bthost::FrameView View(const bthost::Picture& picture)
    {
        auto view = host->Frames().View(picture.frame);
        EXPECT_TRUE(view.has_value());
        return view.value_or(bthost::FrameView{});
    }

    /// Whether the frame holds the colour space's picture of width × height
    /// laid out from its first row, bottom row first, as far as it reaches.
    static bool HoldsPicture(const bthost::FrameView& frame, const bt::ColorSpaceRow& space, std::int32_t width,
                             std::int32_t height)
    {
        const bttest::PlainPicture picture(space, width, height);
        const auto bytes = static_cast<std::size_t>(std::min(width, frame.width) * frame.bytesPerPixel);
        for (std::int32_t m = 0; m < std::min(height, frame.height); ++m) {
            const std::uint8_t* row = frame.firstRow + static_cast<std::ptrdiff_t>(frame.rowBytes) * m;
            if (std::memcmp(row, picture.Row(height - 1 - m), bytes) != 0)
                return false;
        }
        return true;
    }
};
