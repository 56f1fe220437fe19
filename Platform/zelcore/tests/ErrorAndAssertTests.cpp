#include "zelcore/config/Error.h"
#include "zelcore/debug/Debug.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace zelcore;

TEST(Error, ThrowErrorCarriesEverythingItWasGiven)
{
    try {
        config::ThrowError(1, "$$$/zelcore/utility/Error/InvalidTypeConversion=Invalid type conversion.", 105, 21,
                           true, u"a", u"", u"", u"d");
        FAIL() << "no error raised";
    } catch (const config::Error& e) {
        EXPECT_EQ(e.Level(), 1);
        EXPECT_EQ(e.Key(), "$$$/zelcore/utility/Error/InvalidTypeConversion=Invalid type conversion.");
        EXPECT_EQ(e.Major(), 105);
        EXPECT_EQ(e.Minor(), 21);
        EXPECT_TRUE(e.IsUserVisible());
        EXPECT_EQ(e.Replacements()[0], u"a");
        EXPECT_EQ(e.Replacements()[3], u"d");
        EXPECT_STREQ(e.what(), "Invalid type conversion. (105, 21)");
    }
}

TEST(Error, NullPtrExceptionNamesTheType)
{
    struct Missing {};
    try {
        config::DoThrowNullPtrException(debug::GetTypeName<Missing>());
        FAIL() << "no error raised";
    } catch (const config::NullPtrException& e) {
        EXPECT_NE(e.TypeName().find("Missing"), std::string::npos);
    }
}

TEST(Assert, ReportsToTheHostObserver)
{
    std::vector<debug::AssertReport> reports;
    debug::hostcontrol::SetAssertObserver([&](const debug::AssertReport& r) { reports.push_back(r); });
    EXPECT_TRUE(debug::DoSimpleAssert("ToneSettingsDialog", 42, "Fn", "x != 0", ""));
    debug::hostcontrol::SetAssertObserver(nullptr);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].file, "ToneSettingsDialog");
    EXPECT_EQ(reports[0].line, 42);
    EXPECT_EQ(reports[0].function, "Fn");
    EXPECT_EQ(reports[0].condition, "x != 0");
    EXPECT_FALSE(debug::IsDebuggerAttached()); // ctest runs us untraced
}

TEST(TypeName, IsReadable)
{
    EXPECT_EQ(debug::GetTypeName<int>(), "int");
    EXPECT_EQ(debug::GetTypeName<config::Error>(), "zelcore::config::Error");
}
