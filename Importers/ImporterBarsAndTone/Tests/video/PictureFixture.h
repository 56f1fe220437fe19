#pragma once
// A host with the module loaded and helpers to request pictures of clips and
// compare them with the independent expectation.

#include "../host/ModuleFixture.h"
#include "ExpectedPicture.h"

#include "bthost/PictureRequests.h"
#include "host/ToneSettings.h"

#include <cstring>
#include <set>

class PictureTest : public ModuleTest {
protected:
    /// A clip's settings stored as the host stores them.
    void* StoreClip(std::uint8_t colorSpaceType, std::int32_t width, std::int32_t height,
                    std::uint32_t version = bt::kToneSettingsVersion)
    {
        bt::ToneSettings s;
        s.version = version;
        s.colorSpaceType = colorSpaceType;
        s.frameWidth = width;
        s.frameHeight = height;
        s.par = zelmediatypes::PixelAspectRatio(128, 117);
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

    static const bt::ColorSpaceRow& RowOf(bt::ColorSpace space) { return bt::kColorSpaceRows[bt::RecordValue(space)]; }

    bthost::FrameView View(const bthost::Picture& picture)
    {
        auto view = host->Frames().View(picture.frame);
        EXPECT_TRUE(view.has_value());
        return view.value_or(bthost::FrameView{});
    }

    /// Compares picture rows of a frame with the expectation for a picture of
    /// width × height laid out from the frame's first row; rows are taken
    /// every rowStep, plus every row next to a band edge.
    void ExpectPicture(const bthost::FrameView& frame, const bt::ColorSpaceRow& colorSpace, std::int64_t width,
                       std::int64_t height, std::int64_t rowStep = 1)
    {
        const bttest::ExpectedPicture expected(colorSpace, width, height);
        std::set<std::int64_t> rows;
        for (std::int64_t y = 0; y < height; y += rowStep)
            rows.insert(y);
        for (double f : {0.083334, 0.583334, 0.66, 0.5833, 0.6667, 0.66667, 0.75}) {
            const std::int64_t edge = bttest::Edge(height, f);
            for (std::int64_t y = edge - 1; y <= edge; ++y)
                if (y >= 0 && y < height)
                    rows.insert(y);
        }
        rows.insert(height - 1);
        int reported = 0;
        for (std::int64_t y : rows) {
            const std::int64_t memoryRow = height - 1 - y;
            if (memoryRow >= frame.height)
                continue;
            const auto want = expected.Row(y);
            const std::size_t bytes = static_cast<std::size_t>(std::min<std::int64_t>(width, frame.width)) *
                                      expected.BytesPerPixel();
            const std::uint8_t* got = frame.firstRow + static_cast<std::ptrdiff_t>(frame.rowBytes) * memoryRow;
            if (std::memcmp(got, want.data(), bytes) != 0 && reported++ < 3) {
                std::size_t i = 0;
                while (got[i] == want[i])
                    ++i;
                ADD_FAILURE() << colorSpace.Facts().token << " at " << width << "x" << height
                              << ": picture row " << y << " differs first at column " << i / expected.BytesPerPixel();
            }
        }
    }

    /// The V, U, Y, A values of a pixel, as float or byte.
    template <typename T>
    static std::array<T, 4> At(const bthost::FrameView& frame, std::int32_t x, std::int32_t y)
    {
        std::array<T, 4> value;
        std::memcpy(value.data(), frame.Pixel(x, y), sizeof value);
        return value;
    }
    static float Y(const bthost::FrameView& frame, std::int32_t x, std::int32_t y) { return At<float>(frame, x, y)[2]; }
};
