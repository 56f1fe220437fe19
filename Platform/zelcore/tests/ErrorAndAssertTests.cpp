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
