#include "btmedia/Timecode.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <tuple>

using btmedia::ParseTimecode;

namespace {

constexpr std::int64_t k25 = 10160640000;
constexpr std::int64_t k2997 = 8475667200;
constexpr std::int64_t k5994 = 4237833600;

std::string Written(const std::string& text, std::int64_t duration, bool clipDrops)
{
    return ParseTimecode(text, duration, clipDrops).Text();
}

} // namespace

TEST(Timecode, DropFrameFollowsTheClipAtRatesThatHaveIt)
{
    EXPECT_EQ(Written("10:00:00:00", k25, false), "10:00:00:00");
    EXPECT_EQ(Written("10:00:00:00", k25, true), "10:00:00:00"); // 25 fps counts no drop-frame
    EXPECT_EQ(Written("01:00:00:00", k2997, true), "01:00:00;00");
    EXPECT_EQ(Written("01:00:00;00", k2997, true), "01:00:00;00");
    EXPECT_EQ(Written("01:00:00:00", k2997, false), "01:00:00:00");
    EXPECT_EQ(Written("00:09:59;29", k2997, true), "00:09:59;29");
    EXPECT_EQ(Written("00:01:00;02", k2997, true), "00:01:00;02");
    EXPECT_EQ(Written("00:10:00;00", k2997, true), "00:10:00;00");
    EXPECT_EQ(Written("00:01:00;04", k5994, true), "00:01:00;04");
    EXPECT_EQ(Written("23:59:59:24", k25, false), "23:59:59:24");
}

TEST(Timecode, RefusesWhatTheClipCannotCount)
{
    for (const auto& [text, duration, drops] : {
             std::tuple{"00:00:00;00", k25, false},   // no drop-frame at 25 fps
             std::tuple{"00:00:00;00", k2997, false}, // the clip counts non-drop-frame
             std::tuple{"00:01:00;00", k2997, true},  // skipped numbers
             std::tuple{"00:01:00;01", k2997, true},
             std::tuple{"00:01:00;03", k5994, true},
             std::tuple{"00:00:00:25", k25, false},   // frames past the rate
             std::tuple{"24:00:00:00", k25, false},
             std::tuple{"00:60:00:00", k25, false},
             std::tuple{"1:00:00:00", k25, false},     // not two digits each
             std::tuple{"01:00:00:00x", k25, false},
             std::tuple{"01:00:00.00", k25, false},
             std::tuple{"", k25, false},
         })
        EXPECT_THROW((void)ParseTimecode(text, duration, drops), std::invalid_argument) << text;
}
