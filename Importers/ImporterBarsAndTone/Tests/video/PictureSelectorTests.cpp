#include "PictureFixture.h"

#include "ImporterBarsAndTone/HostRecords.h"
#include "barsandtone/PackedBytes.h"

#include <algorithm>
#include <tuple>

using namespace bt::packed;
namespace pf = bt::records::PixelFormatRequest;

namespace {

constexpr std::uint32_t kFloatCode = 0x37785556;
constexpr std::uint32_t kByteCode = 0x41595556;

bool AllUntouched(const bthost::FrameView& frame)
{
    for (std::int32_t y = 0; y < frame.height; ++y) {
        const std::uint8_t* row = frame.Row(y);
        if (!std::all_of(row, row + frame.width * frame.bytesPerPixel,
                         [](std::uint8_t b) { return b == bthost::kUntouchedByte; }))
            return false;
    }
    return true;
}

/// Selector 47 with the settings as first or second choice and a size pair.
bthost::Picture RequestSized(bthost::Host& host, const void* first, const void* second, std::int32_t width,
                             std::int32_t height)
{
    bthost::PictureRequest request;
    request.settingsFirst = first;
    request.settingsSecond = second;
    request.sizePair[0] = width;
    request.sizePair[1] = height;
    return bthost::RequestPicture(host, request);
}

} // namespace

TEST_F(PictureTest, PixelFormatAndColourDescriptionOfEveryRecordValue)
{
    // Values without a colour space come in bytes and are described as Rec. 709.
    const struct {
        std::uint8_t value;
        std::uint32_t format, primaries, transfer, matrix, depth;
    } rows[] = {{0, kByteCode, 1, 6, 5, 8},         {1, kFloatCode, 1, 1, 1, 0xA0}, {2, kFloatCode, 9, 18, 9, 0xA0},
                {3, kFloatCode, 9, 16, 9, 0xA0},    {4, kByteCode, 1, 1, 1, 8},     {255, kByteCode, 1, 1, 1, 8}};
    for (const auto& row : rows) {
        SCOPED_TRACE(int{row.value});
        const void* settings = StoreClip(row.value, 64, 64);
        const auto format = bthost::RequestPixelFormat(*host, settings);
        EXPECT_EQ((std::pair{format.result, format.pixelFormat}), (std::pair{0, row.format}));
        const auto d = bthost::RequestColourDescription(*host, settings);
        ASSERT_EQ(d.result, 0);
        EXPECT_EQ((std::array{d.kind, d.primaries, d.transfer, d.matrix, d.encodingDepth}),
                  (std::array{3u, row.primaries, row.transfer, row.matrix, row.depth}));
        // Both formats are Y'CbCr with black and white inside the code range.
        EXPECT_EQ((std::array{d.flag64, d.flag68, LoadU32(d.record.data(), 72)}), (std::array{1u, 1u, 0u}));
        ExpectSentinelOutside(d.record, {{0, 12}, {48, 28}}); // the settings pointer, the kind, the description
    }
}

TEST_F(PictureTest, FormatAndDescriptionRefuseOtherIndexesAndMissingSettingsUntouched)
{
    const void* hlg = StoreClip(bt::ColorSpace::Rec2100Hlg, 64, 64);
    for (const void* settings : {hlg, static_cast<const void*>(nullptr)}) {
        const auto d = bthost::RequestColourDescription(*host, settings, settings ? 1 : 0);
        EXPECT_EQ(d.result, 19);
        ExpectSentinelOutside(d.record, {{0, 8}}); // past the settings pointer
    }

    // No settings, or index 1 with settings: refused, the request untouched.
    // The second choice serves when the first is null.
    const void* rec709 = StoreClip(bt::ColorSpace::Rec709, 64, 64);
    for (auto [second, index, result] : {std::tuple{static_cast<const void*>(nullptr), 0, 301},
                                         std::tuple{rec709, 1, 301}, std::tuple{rec709, 0, 0}}) {
        auto request = Sentinel(pf::kMinSize);
        StorePtr(request.data(), pf::kSettingsFirst, nullptr);
        StorePtr(request.data(), pf::kSettingsSecond, second);
        const auto before = request;
        EXPECT_EQ(host->Call(BT_SEL_GET_PIXEL_FORMAT, std::intptr_t{index}, reinterpret_cast<std::intptr_t>(request.data())),
                  result);
        if (result != 0)
            EXPECT_EQ(request, before) << index;
        else
            EXPECT_EQ(LoadU32(request.data(), pf::kPixelFormat), kFloatCode);
    }
}

TEST_F(PictureTest, EveryColourSpaceReachesAPaddedFrameWholeOrClippedToIt)
{
    // Rows whose pitch is not a multiple of 16 bytes, so fills start at every
    // alignment.
    host->Frames().SetOptions({.rowPadding = 12});
    for (const bt::ColorSpaceRow& space : bt::kColorSpaceRows) {
        SCOPED_TRACE(space.Facts().token);
        const auto whole = Paint(space.space, 720, 486);
        ASSERT_EQ(whole.result, 0);
        EXPECT_EQ(View(whole).rowBytes, 720 * RK_BytesPerPixel(space.format) + 12);
        EXPECT_TRUE(HoldsPicture(View(whole), space, 720, 486));
        // A size pair larger than an older record's frame: the bottom-left
        // corner of the 1920 × 1080 picture, inside the frame only.
        const auto clipped = RequestSized(*host, StoreClip(space.space, 64, 48, 0), nullptr, 1920, 1080);
        ASSERT_EQ(clipped.result, 0);
        EXPECT_TRUE(HoldsPicture(View(clipped), space, 1920, 1080));
        for (const auto& picture : {whole, clipped}) {
            EXPECT_TRUE(host->Frames().OutsideUntouched(picture.frame));
            host->Frames().Release(picture.frame);
        }
    }
}

TEST_F(PictureTest, CurrentRecordCreatesItsFrameAndWritesTheSizePair)
{
    const auto picture = RequestSized(*host, StoreClip(bt::ColorSpace::Rec709, 1920, 1080), nullptr, 11, 22);
    ASSERT_EQ(picture.result, 0);
    EXPECT_EQ((std::array{picture.sizePair[0], picture.sizePair[1]}), (std::array{1920, 1080}));
    const auto c = host->Frames().Creation(picture.frame);
    ASSERT_TRUE(c);
    EXPECT_EQ((std::tuple{c->two, c->pixelFormat, c->width, c->height, c->falseFlag, c->zero, c->parNumerator,
                          c->parDenominator, c->passOn.a, c->passOn.b}),
              (std::tuple{2, kFloatCode, 1920, 1080, std::uint8_t{0}, 0, 128u, 117u, bthost::PictureRequest{}.passOn.a,
                          bthost::PictureRequest{}.passOn.b}));
    EXPECT_EQ(host->Frames().CheckCalls(), (std::vector<int>{2, 3, 1}));

    // The three suites, acquired and released in the same order.
    std::vector<std::string> order;
    for (const auto& e : host->Suites().Events())
        order.push_back((e.kind == bthost::SuiteEvent::Kind::Acquire ? "+" : "-") + e.name);
    EXPECT_EQ(order, (std::vector<std::string>{"+Corvella CPix Creator 2 Suite", "+Corvella CPix Suite",
                                               "+Corvella Pixel Format Suite", "-Corvella CPix Creator 2 Suite",
                                               "-Corvella CPix Suite", "-Corvella Pixel Format Suite"}));
}

TEST_F(PictureTest, OlderRecordPaintsTheSizePairAndLeavesIt)
{
    // Frame of the record's size (200 × 100); the size pair asks for 100 × 50:
    // the picture at 100 × 50 over the first 50 rows, the rest as created.
    const auto picture = RequestSized(*host, nullptr, StoreClip(bt::ColorSpace::Rec601, 200, 100, 1), 100, 50);
    ASSERT_EQ(picture.result, 0);
    EXPECT_EQ((std::array{picture.sizePair[0], picture.sizePair[1]}), (std::array{100, 50}));
    const auto frame = View(picture);
    EXPECT_EQ((std::array{frame.width, frame.height}), (std::array{200, 100}));
    EXPECT_TRUE(HoldsPicture(frame, bt::kColorSpaceRows[0], 100, 50));
    for (std::int32_t m = 0; m < 100; ++m) {
        const std::uint8_t* row = frame.firstRow + static_cast<std::ptrdiff_t>(frame.rowBytes) * m;
        const std::int32_t paintedBytes = m < 50 ? 400 : 0;
        ASSERT_TRUE(std::all_of(row + paintedBytes, row + 800, [](std::uint8_t b) { return b == 0xCD; })) << m;
    }
    // Sizes that name no picture paint nothing.
    for (std::int32_t bad : {0, -5, INT32_MIN}) {
        const auto unpainted = RequestSized(*host, StoreClip(bt::ColorSpace::Rec709, 32, 32, 1), nullptr, bad, 32);
        EXPECT_EQ(unpainted.result, 0);
        EXPECT_TRUE(AllUntouched(View(unpainted))) << bad;
    }
}

TEST_F(PictureTest, FailedStepsEndWithFiveUnpaintedAndOnlyAcquiredSuitesReleased)
{
    for (int slot = 1; slot <= 3; ++slot) {
        host->Frames().FailCheck(slot, true);
        const auto picture = Paint(bt::ColorSpace::Rec709, 64, 48);
        EXPECT_EQ(picture.result, 5) << slot;
        EXPECT_TRUE(AllUntouched(View(picture))) << slot;
        EXPECT_TRUE(host->Suites().Outstanding().empty()) << slot;
        host->Frames().FailCheck(slot, false);
    }
    for (const char* name : {"Corvella CPix Creator 2 Suite", "Corvella CPix Suite"}) {
        host->Suites().RefuseSuite(name, true);
        EXPECT_EQ(Paint(bt::ColorSpace::Rec709, 64, 48).result, 5) << name;
        EXPECT_TRUE(host->Suites().Outstanding().empty()) << name;
        host->Suites().RefuseSuite(name, false);
    }
    // The pixel format suite is never called: the picture comes without it.
    host->Suites().RefuseSuite("Corvella Pixel Format Suite", true);
    EXPECT_EQ(Paint(bt::ColorSpace::Rec709, 64, 48).result, 0);
}

TEST_F(PictureTest, WithoutSettingsOrABasicSuiteNoFrameIsMade)
{
    EXPECT_EQ(bthost::RequestPicture(*host, bthost::PictureRequest{}).result, 301);
    host->Suites().OfferBasicSuite(false);
    const auto picture = Paint(bt::ColorSpace::Rec709, 64, 48);
    EXPECT_EQ(picture.result, 0);
    EXPECT_EQ(picture.frame, nullptr);
    EXPECT_EQ(host->Frames().CreateCalls(), 0u);
    EXPECT_TRUE(host->Suites().Events().empty());
}

TEST_F(PictureTest, UnknownColourSpaceCreatesAByteFrameAndLeavesItUnpainted)
{
    const auto picture = Paint(std::uint8_t{4}, 64, 48);
    EXPECT_EQ(picture.result, 3);
    const auto frame = View(picture);
    EXPECT_EQ(frame.pixelFormat, kByteCode);
    EXPECT_TRUE(AllUntouched(frame));
    EXPECT_TRUE(host->Suites().Outstanding().empty());
}

TEST_F(PictureTest, FrameWithoutMemoryPaintsNothingAndSucceeds)
{
    host->Frames().SetOptions({.withoutMemory = true});
    for (const bt::ColorSpaceRow& space : bt::kColorSpaceRows) {
        const auto picture = Paint(space.space, 64, 48);
        EXPECT_EQ(picture.result, 0);
        EXPECT_EQ(View(picture).firstRow, nullptr);
    }
}
