#include "zelcore/config/Localizer.h"
#include "zelcore/text/Utf.h"

#include <gtest/gtest.h>

using zelcore::config::Localizer;

namespace {
class LocalizerTest : public ::testing::Test {
protected:
    void TearDown() override { Localizer::Get().ClearCatalogue(); }
};
} // namespace

TEST_F(LocalizerTest, ShowsTheDefaultAfterTheFirstEqualsSign)
{
    EXPECT_EQ(Localizer::Get().Localize("$$$/Kestrel/Importers/ImporterBarsAndTone/Name=Bars and Tone"),
              u"Bars and Tone");
    EXPECT_EQ(Localizer::Get().Localize("$$$/A/B=x=y"), u"x=y");
    EXPECT_EQ(Localizer::Get().Localize("$$$/A/Empty="), u"");
    EXPECT_EQ(Localizer::Get().Localize("no key at all"), u"no key at all");
}

TEST_F(LocalizerTest, CatalogueTranslationsReplaceTheDefault)
{
    const auto taken = Localizer::Get().LoadCatalogue("# German\r\n"
                                                      "$$$/A/Rate=Abtastrate\r\n"
                                                      "\r\n"
                                                      "garbage line\n"
                                                      "$$$/A/Umlaut=Gr\xC3\xB6\xC3\x9F" "e \xF0\x9F\x8E\xB5\n");
    EXPECT_EQ(taken, 2u);
    EXPECT_EQ(Localizer::Get().Localize("$$$/A/Rate=Sample Rate"), u"Abtastrate");
    EXPECT_EQ(Localizer::Get().Localize("$$$/A/Umlaut=Size"), u"Gr\u00F6\u00DFe \U0001F3B5");
    EXPECT_EQ(Localizer::Get().Localize("$$$/A/Other=Other"), u"Other");
    Localizer::Get().ClearCatalogue();
    EXPECT_EQ(Localizer::Get().Localize("$$$/A/Rate=Sample Rate"), u"Sample Rate");
}

TEST(Utf, MalformedSequencesBecomeReplacementCharacters)
{
    using zelcore::text::Utf8ToUtf16;
    EXPECT_EQ(Utf8ToUtf16("a\xFF" "b"), u"a\uFFFDb");
    EXPECT_EQ(Utf8ToUtf16("\xC3"), u"\uFFFD");             // cut short
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");   // overlong
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD"); // surrogate
    EXPECT_EQ(zelcore::text::Utf16ToUtf8(u"x\U0001F3B5\xD800"), "x\xF0\x9F\x8E\xB5\xEF\xBF\xBD");
}
