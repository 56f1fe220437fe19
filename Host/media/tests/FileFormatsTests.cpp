// How a user names a format, by --format or by a file's name, and what help
// and refusals say of a list of formats.

#include "btmedia/FileFormats.h"
#include "btmedia/SampleFormat.h"

#include <gtest/gtest.h>

namespace {

using btmedia::FormatList;
using btmedia::FormatNames;

struct Row {
    int format;
    FormatNames names;
};

constexpr Row kRows[] = {
    {0, {"png", "PNG", {".png", ""}}},
    {1, {"tiff", "TIFF", {".tif", ".tiff"}}},
    {2, {"null", "nothing", {"", ""}}},
};

FormatList List()
{
    FormatList list{"Picture", {}, 0};
    for (const Row& row : kRows)
        list.entries.push_back({row.format, row.names, row.format == 1 ? "16-bit" : ""});
    return list;
}

TEST(FileFormats, AFileNameImpliesAFormatByItsLastExtensionInAnyCase)
{
    EXPECT_EQ(btmedia::ExtensionOf("a/b.MKV"), ".mkv");
    EXPECT_EQ(btmedia::ExtensionOf("take.2.Tiff"), ".tiff");
    EXPECT_EQ(btmedia::ExtensionOf("folder.mov/file"), "");
    EXPECT_EQ(btmedia::ExtensionOf("trailing."), "");
    EXPECT_EQ(btmedia::RowOfFileName(kRows, "x/A.TIF"), &kRows[1]);
    EXPECT_EQ(btmedia::RowOfFileName(kRows, "b.tiff"), &kRows[1]); // the second extension as well
    EXPECT_EQ(btmedia::RowOfFileName(kRows, "b.tiffs"), nullptr);
    EXPECT_EQ(btmedia::RowOfFileName(kRows, "png"), nullptr);
    // A row without an extension is implied by no name, not by a name without one.
    EXPECT_EQ(btmedia::RowOfFileName(kRows, "pipe"), nullptr);
    EXPECT_EQ(btmedia::RowOfFileName(kRows, "-"), nullptr);
}

TEST(FileFormats, FormatTakesTheNameOrAnExtensionWithoutItsDotInAnyCase)
{
    EXPECT_EQ(btmedia::RowNamed(kRows, "tiff"), &kRows[1]);
    EXPECT_EQ(btmedia::RowNamed(kRows, "TIF"), &kRows[1]);
    EXPECT_EQ(btmedia::RowNamed(kRows, "Null"), &kRows[2]);
    EXPECT_EQ(btmedia::RowNamed(kRows, ".tif"), nullptr);
    EXPECT_EQ(btmedia::RowNamed(kRows, "tif "), nullptr);
    EXPECT_EQ(btmedia::RowNamed(kRows, ""), nullptr);
    EXPECT_EQ(&btmedia::RowOf(kRows, 2), &kRows[2]);
    EXPECT_THROW((void)btmedia::RowOf(kRows, 3), std::logic_error);
}

TEST(FileFormats, HelpAndRefusalsListTheFormatsInTheirOrder)
{
    const FormatList list = List();
    EXPECT_EQ(list.Choices(), (std::vector<std::string>{"png", "tiff", "null"}));
    EXPECT_EQ(list.NamesText(), "png, tiff or null");
    EXPECT_EQ(list.LabelsText(), "PNG, TIFF or nothing");
    // What a file name can say: the formats without an extension are left out.
    EXPECT_EQ(list.KindsText(), "PNG (.png) or TIFF (.tif, .tiff)");
    EXPECT_EQ(list.ExtensionsText(), ".png .tif");
    EXPECT_EQ(list.OutputHelp(), "Picture to write: .png or .tif/.tiff (16-bit)");
    EXPECT_EQ(list.FormatHelp(), "png, tiff or null (default: from the file name; PNG for -)");
    EXPECT_EQ(list.OfFileName("a.TIFF")->format, 1);
    EXPECT_EQ(list.Named("png")->format, 0);

    EXPECT_EQ(btmedia::JoinedList({}), "");
    EXPECT_EQ(btmedia::JoinedList({"a"}), "a");
    EXPECT_EQ(btmedia::JoinedList({"a", "b"}, "and"), "a and b");
    EXPECT_EQ(btmedia::JoinedList({"a", "b", "c"}, ""), "a, b, c");
}

TEST(SampleFormats, TokensNameEachFormatOnce)
{
    EXPECT_EQ(btmedia::SampleFormatNamed("32f"), btmedia::SampleFormat::Float32);
    EXPECT_FALSE(btmedia::SampleFormatNamed("32"));
    EXPECT_EQ(btmedia::SampleTokensText(btmedia::SampleFormat::Int24), "16, 24 (default) or 32f (float)");
}

} // namespace
