#include "MediaBridge/Locale.h"
#include "MediaBridge/WorkingSpace.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

using namespace MB;

#if defined(_WIN32)
// The C runtime's names for the two calls; an empty value removes a variable.
static int setenv(const char* name, const char* value, int) { return _putenv_s(name, value); }
static int unsetenv(const char* name) { return _putenv_s(name, ""); }
#endif

TEST(ColorSpaceUtils, Rec709IdHasTheDocumentedBytes)
{
    // {5D1A6C2E-0B7F-4E21-9A35-7C0E11D40709}
    const unsigned char expected[16] = {0x2E, 0x6C, 0x1A, 0x5D, 0x7F, 0x0B, 0x21, 0x4E,
                                        0x9A, 0x35, 0x7C, 0x0E, 0x11, 0xD4, 0x07, 0x09};
    EXPECT_EQ(std::memcmp(&WorkingSpace::OR709CvSDKColorSpaceID, expected, 16), 0);
}

TEST(Locale, TerritoryIsBetweenUnderscoreAndCodeset)
{
    EXPECT_EQ(Locale::TerritoryOf("en_US.UTF-8"), "US");
    EXPECT_EQ(Locale::TerritoryOf("de_DE@euro"), "DE");
    EXPECT_EQ(Locale::TerritoryOf("ja_JP"), "JP");
    EXPECT_EQ(Locale::TerritoryOf("C.UTF-8"), "");
    EXPECT_EQ(Locale::TerritoryOf(""), "");
}

TEST(Locale, NtscTerritories)
{
    for (const char* t : {"US", "CA", "MX", "JP", "KR", "TW", "PH", "BR"})
        EXPECT_TRUE(Locale::IsNTSCTerritory(t)) << t;
    for (const char* t : {"GB", "DE", "FR", "AU", "CN", "IN", "AR", "", "us"})
        EXPECT_FALSE(Locale::IsNTSCTerritory(t)) << t;
}

TEST(Locale, ProcessLocaleAndHostOverride)
{
    ::setenv("LC_ALL", "en_US.UTF-8", 1);
    EXPECT_TRUE(Locale::IsCurrentInputLocaleNTSC());
    ::setenv("LC_ALL", "en_GB.UTF-8", 1);
    EXPECT_FALSE(Locale::IsCurrentInputLocaleNTSC());
    ::unsetenv("LC_ALL");
    ::unsetenv("LC_MESSAGES");
    ::setenv("LANG", "ja_JP.UTF-8", 1);
    EXPECT_TRUE(Locale::IsCurrentInputLocaleNTSC());
    ::unsetenv("LANG");
    EXPECT_FALSE(Locale::IsCurrentInputLocaleNTSC()); // no locale: PAL

    Locale::HostControl::SetInputLocaleOverride(Locale::HostControl::InputLocale::NTSC);
    EXPECT_TRUE(Locale::IsCurrentInputLocaleNTSC());
    ::setenv("LC_ALL", "ja_JP.UTF-8", 1);
    Locale::HostControl::SetInputLocaleOverride(Locale::HostControl::InputLocale::PAL);
    EXPECT_FALSE(Locale::IsCurrentInputLocaleNTSC());
    Locale::HostControl::SetInputLocaleOverride(Locale::HostControl::InputLocale::FromProcess);
    EXPECT_TRUE(Locale::IsCurrentInputLocaleNTSC());
    ::unsetenv("LC_ALL");
}
