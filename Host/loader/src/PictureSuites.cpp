#include "bthost/PictureSuites.h"

#include "ImporterBarsAndTone/HostRecords.h"
#include "ImporterBarsAndTone/PictureSuitesAbi.h"
#include "barsandtone/PackedBytes.h"
#include "bthost/Host.h"

#include <array>

namespace bthost {

namespace rec = bt::records;
using bt::packed::StorePtr;

namespace {

FramePool* CurrentFrames()
{
    Host* host = Host::Current();
    return host == nullptr ? nullptr : &host->Frames();
}

std::int32_t CreateFrame(BT_FrameHandle* out, std::int32_t two, std::uint32_t pixelFormat, std::int32_t width,
                         std::int32_t height, std::uint8_t falseFlag, std::int32_t zero, std::uint32_t parNumerator,
                         std::uint32_t parDenominator, BT_HostOpaque16 passOn)
{
    FramePool* frames = CurrentFrames();
    if (frames == nullptr)
        return -1;
    return frames->Create(out, {two, pixelFormat, width, height, falseFlag, zero, parNumerator, parDenominator, passOn});
}

std::int32_t Check1(BT_FrameHandle frame, std::int32_t two, void** out)
{
    FramePool* frames = CurrentFrames();
    return frames == nullptr || two != 2 ? -1 : frames->Check(1, frame, out);
}

std::int32_t Check2(BT_FrameHandle frame, void* out16)
{
    FramePool* frames = CurrentFrames();
    return frames == nullptr ? -1 : frames->Check(2, frame, out16);
}

std::int32_t Check3(BT_FrameHandle frame, std::int32_t* out)
{
    FramePool* frames = CurrentFrames();
    return frames == nullptr ? -1 : frames->Check(3, frame, out);
}

template <typename Fn>
const void* Address(Fn fn)
{
    return reinterpret_cast<const void*>(fn);
}

// Function tables as the module reads them: pointers at byte offsets; the
// slots this host does not implement are null.
struct Tables {
    std::array<std::uint8_t, 48> creator{};
    std::array<std::uint8_t, 32> picture{};
    std::array<std::uint8_t, 8> pixelFormat{};

    Tables()
    {
        StorePtr(creator.data(), rec::CPixCreatorSuite::kCreateFrame, Address(&CreateFrame));
        StorePtr(picture.data(), rec::CPixSuite::kCheck1, Address(&Check1));
        StorePtr(picture.data(), rec::CPixSuite::kCheck2, Address(&Check2));
        StorePtr(picture.data(), rec::CPixSuite::kCheck3, Address(&Check3));
    }
};

} // namespace

void RegisterPictureSuites(SuiteRegistry& suites)
{
    static const Tables tables;
    suites.Register(rec::CPixCreatorSuite::kName, rec::CPixCreatorSuite::kVersion, tables.creator.data());
    suites.Register(rec::CPixSuite::kName, rec::CPixSuite::kVersion, tables.picture.data());
    suites.Register(rec::PixelFormatSuite::kName, rec::PixelFormatSuite::kVersion, tables.pixelFormat.data());
}

} // namespace bthost
