#include "video/PictureSuites.h"

#include "ImporterBarsAndTone/HostRecords.h"
#include "host/HostServices.h"

namespace bt {

namespace {

struct SuiteName {
    const char* name;
    std::int32_t version;
};

// In the order of acquisition and release.
constexpr std::array<SuiteName, 3> kSuites{{
    {records::CPixCreatorSuite::kName, records::CPixCreatorSuite::kVersion},
    {records::CPixSuite::kName, records::CPixSuite::kVersion},
    {records::PixelFormatSuite::kName, records::PixelFormatSuite::kVersion},
}};

constexpr std::size_t kCreator = 0;
constexpr std::size_t kPicture = 1;

} // namespace

PictureSuites::PictureSuites(const void* basicSuite) noexcept : mBasicSuite(basicSuite)
{
    for (std::size_t i = 0; i < kSuites.size(); ++i) {
        const std::int32_t result = AcquireSuite(mBasicSuite, kSuites[i].name, kSuites[i].version, &mHeld[i].table);
        mHeld[i].acquired = result == 0;
    }
}

// Rationale: a suite the host refused is not released; releasing it would
// hand back something the host never gave.
PictureSuites::~PictureSuites()
{
    for (std::size_t i = 0; i < kSuites.size(); ++i)
        if (mHeld[i].acquired)
            ReleaseSuite(mBasicSuite, kSuites[i].name, kSuites[i].version);
}

BT_CreateFrameFn PictureSuites::CreateFrame() const noexcept
{
    return SuiteFunction<BT_CreateFrameFn>(mHeld[kCreator].table, records::CPixCreatorSuite::kCreateFrame);
}

BT_FrameCheck1Fn PictureSuites::Check1() const noexcept
{
    return SuiteFunction<BT_FrameCheck1Fn>(mHeld[kPicture].table, records::CPixSuite::kCheck1);
}

BT_FrameCheck2Fn PictureSuites::Check2() const noexcept
{
    return SuiteFunction<BT_FrameCheck2Fn>(mHeld[kPicture].table, records::CPixSuite::kCheck2);
}

BT_FrameCheck3Fn PictureSuites::Check3() const noexcept
{
    return SuiteFunction<BT_FrameCheck3Fn>(mHeld[kPicture].table, records::CPixSuite::kCheck3);
}

} // namespace bt
