#pragma once
// How a file format is named wherever a user names one: by --format, by the
// extension of a file name (in any case), and in messages. Every row of the
// picture, sound and movie formats holds its names, so that the lookups, the
// help and the refusals are all made from the rows.

#include <array>
#include <cstddef>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace btmedia {

struct FormatNames {
    std::string_view name;                      ///< as --format takes it
    std::string_view label;                     ///< for people: "TIFF", "QuickTime"
    std::array<std::string_view, 2> extensions; ///< lower case, with the dot, the usual one first; unused: empty

    /// Whether `extension` (lower case, with its dot, as ExtensionOf gives it) is one of the format's.
    [[nodiscard]] bool HasExtension(std::string_view extension) const noexcept;
    /// Whether a --format value names the format: its name, or one of its
    /// extensions without the dot ("tif", "aif"), in any case.
    [[nodiscard]] bool NamedBy(std::string_view value) const noexcept;
};

/// The extension of a file name in lower case with its dot (".wav"); empty
/// when the last part of the name has none.
[[nodiscard]] std::string ExtensionOf(std::string_view fileName);

/// The row of `rows` (an array, a span) whose format a file name's
/// extension implies, or null.
template <class Rows>
[[nodiscard]] auto RowOfFileName(const Rows& rows, std::string_view fileName) -> decltype(&*std::begin(rows))
{
    const std::string extension = ExtensionOf(fileName);
    for (const auto& row : rows)
        if (row.names.HasExtension(extension))
            return &row;
    return nullptr;
}

/// The format a file name's extension implies, or none.
template <class Rows>
[[nodiscard]] auto FormatOfFileName(const Rows& rows, std::string_view fileName)
    -> std::optional<decltype(std::begin(rows)->format)>
{
    const auto* row = RowOfFileName(rows, fileName);
    return row != nullptr ? std::optional(row->format) : std::nullopt;
}

/// The row a --format value names, or null.
template <class Rows>
[[nodiscard]] auto RowNamed(const Rows& rows, std::string_view value) -> decltype(&*std::begin(rows))
{
    for (const auto& row : rows)
        if (row.names.NamedBy(value))
            return &row;
    return nullptr;
}

/// The row of a format; every format has one.
template <class Rows, class Format>
[[nodiscard]] auto RowOf(const Rows& rows, Format format) -> decltype(*std::begin(rows))
{
    for (const auto& row : rows)
        if (row.format == format)
            return row;
    throw std::logic_error("a format without a row");
}

/// "a, b or c" with `last` "or"; "a, b, c" with none.
[[nodiscard]] std::string JoinedList(const std::vector<std::string>& items, std::string_view last = "or");

/// A command's file formats as its help and its refusals name them, in the
/// order of the rows. Each kind of writer makes its own from its rows.
struct FormatList {
    struct Entry {
        int format;        ///< the kind's format enumerator
        FormatNames names;
        std::string note;  ///< said after the extensions in the output's help, e.g. "16-bit"; empty: nothing
    };
    std::string noun;              ///< what the output is: "Picture"
    std::vector<Entry> entries;
    std::size_t standardOutput = 0; ///< the entry "-" carries unless --format names one

    /// The entry a --format value names, or the one a file name implies; null for none.
    [[nodiscard]] const Entry* Named(std::string_view value) const;
    [[nodiscard]] const Entry* OfFileName(std::string_view fileName) const;

    /// What --format takes: "png", "tiff", "dpx".
    [[nodiscard]] std::vector<std::string> Choices() const;
    /// "png, tiff or dpx".
    [[nodiscard]] std::string NamesText() const;
    /// "PNG, TIFF or DPX".
    [[nodiscard]] std::string LabelsText() const;
    /// "PNG (.png), TIFF (.tif, .tiff) or DPX (.dpx)": the formats with extensions.
    [[nodiscard]] std::string KindsText() const;
    /// ".png .tif .dpx": each format's usual extension.
    [[nodiscard]] std::string ExtensionsText() const;
    /// The help of -o: "Picture to write: .png, .tif/.tiff (16-bit) or .dpx (10-bit)".
    [[nodiscard]] std::string OutputHelp() const;
    /// The help of --format: "png, tiff or dpx (default: from the file name; PNG for -)".
    [[nodiscard]] std::string FormatHelp() const;
};

} // namespace btmedia
