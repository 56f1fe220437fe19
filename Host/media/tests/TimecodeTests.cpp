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

TEST(Timecode, CountingOnSkipsDropFrameLabelsAndWrapsAtMidnight)
{
    using btmedia::TimecodeAfter;
    const auto after = [](const std::string& start, std::int64_t frames, std::int64_t duration, bool drops) {
        return TimecodeAfter(ParseTimecode(start, duration, drops), frames, duration).Text();
    };
    EXPECT_EQ(after("10:00:00:00", 12, k25, false), "10:00:00:12");
    EXPECT_EQ(after("10:00:00:24", 1, k25, false), "10:00:01:00");
    EXPECT_EQ(after("23:59:59:24", 1, k25, false), "00:00:00:00");
    EXPECT_EQ(after("00:00:00:00", -1, k25, false), "23:59:59:24");
    // Drop-frame: the first two labels of a minute are skipped, but not of a tenth minute.
    EXPECT_EQ(after("00:00:59;28", 1, k2997, true), "00:00:59;29");
    EXPECT_EQ(after("00:00:59;29", 1, k2997, true), "00:01:00;02");
    EXPECT_EQ(after("00:09:59;29", 1, k2997, true), "00:10:00;00");
    EXPECT_EQ(after("00:01:59;59", 1, k5994, true), "00:02:00;04");
    // An hour of 29.97 drop-frame is 107892 frames and reads an hour.
    EXPECT_EQ(after("00:00:00;00", 107892, k2997, true), "01:00:00;00");
    EXPECT_EQ(after("00:00:00;00", 107891, k2997, true), "00:59:59;29");
    // Non-drop at 29.97 counts 30 labels a second.
    EXPECT_EQ(after("00:00:00:00", 108000, k2997, false), "01:00:00:00");
}

TEST(Timecode, TimeOfDayTakesTheClockAndTheFrameOfItsSecond)
{
    using btmedia::TimeOfDayTimecode;
    EXPECT_EQ(TimeOfDayTimecode(15, 4, 7, 0.5, k25, false).Text(), "15:04:07:12");
    EXPECT_EQ(TimeOfDayTimecode(15, 4, 7, 0.999, k25, false).Text(), "15:04:07:24");
    EXPECT_EQ(TimeOfDayTimecode(15, 4, 7, 0.0, k2997, true).Text(), "15:04:07;00");
    // A label drop-frame skips becomes the next one; a tenth minute keeps its own.
    EXPECT_EQ(TimeOfDayTimecode(15, 4, 0, 0.0, k2997, true).Text(), "15:04:00;02");
    EXPECT_EQ(TimeOfDayTimecode(15, 10, 0, 0.0, k2997, true).Text(), "15:10:00;00");
    EXPECT_EQ(TimeOfDayTimecode(15, 4, 0, 0.0, k2997, false).Text(), "15:04:00:00");
    EXPECT_EQ(TimeOfDayTimecode(15, 4, 0, 0.0, k25, true).Text(), "15:04:00:00"); // 25 fps has none
}
