#include "btmedia/FileFormats.h"

#include <algorithm>
#include <cctype>

namespace btmedia {

namespace {

char Lower(char c) noexcept { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool SameIgnoringCase(std::string_view a, std::string_view b) noexcept
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

/// The entries that a file name can imply, each given as `text(entry)`.
template <class Text>
std::vector<std::string> WithExtensions(const std::vector<FormatList::Entry>& entries, Text text)
{
    std::vector<std::string> items;
    for (const FormatList::Entry& entry : entries)
        if (!entry.names.extensions[0].empty())
            items.push_back(text(entry));
    return items;
}

/// ".tif/.tiff", or ".tif, .tiff" with `between` ", ".
std::string Extensions(const FormatNames& names, std::string_view between)
{
    std::string text;
    for (std::string_view extension : names.extensions)
        if (!extension.empty())
            text += (text.empty() ? "" : std::string(between)) + std::string(extension);
    return text;
}

} // namespace

bool FormatNames::HasExtension(std::string_view extension) const noexcept
{
    return !extension.empty() && std::find(extensions.begin(), extensions.end(), extension) != extensions.end();
}

bool FormatNames::NamedBy(std::string_view value) const noexcept
{
    if (SameIgnoringCase(value, name))
        return true;
    for (std::string_view extension : extensions)
        if (!extension.empty() && SameIgnoringCase(value, extension.substr(1)))
            return true;
    return false;
}

std::string ExtensionOf(std::string_view fileName)
{
    const std::size_t dot = fileName.rfind('.');
    const std::size_t slash = fileName.rfind('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash) || dot + 1 == fileName.size())
        return {};
    std::string extension(fileName.substr(dot));
    std::transform(extension.begin(), extension.end(), extension.begin(), Lower);
    return extension;
}

std::string JoinedList(const std::vector<std::string>& items, std::string_view last)
{
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            text += i + 1 == items.size() && !last.empty() ? " " + std::string(last) + " " : ", ";
        text += items[i];
    }
    return text;
}

const FormatList::Entry* FormatList::Named(std::string_view value) const
{
    return RowNamed(entries, value);
}

const FormatList::Entry* FormatList::OfFileName(std::string_view fileName) const
{
    return RowOfFileName(entries, fileName);
}

std::vector<std::string> FormatList::Choices() const
{
    std::vector<std::string> names;
    for (const Entry& entry : entries)
        names.emplace_back(entry.names.name);
    return names;
}

std::string FormatList::NamesText() const { return JoinedList(Choices()); }

std::string FormatList::LabelsText() const
{
    std::vector<std::string> labels;
    for (const Entry& entry : entries)
        labels.emplace_back(entry.names.label);
    return JoinedList(labels);
}

std::string FormatList::KindsText() const
{
    return JoinedList(WithExtensions(entries, [](const Entry& e) {
        return std::string(e.names.label) + " (" + Extensions(e.names, ", ") + ")";
    }));
}

std::string FormatList::ExtensionsText() const
{
    std::string text;
    for (const std::string& extension : WithExtensions(entries, [](const Entry& e) { return std::string(e.names.extensions[0]); }))
        text += (text.empty() ? "" : " ") + extension;
    return text;
}

std::string FormatList::OutputHelp() const
{
    return noun + " to write: " + JoinedList(WithExtensions(entries, [](const Entry& e) {
               return Extensions(e.names, "/") + (e.note.empty() ? "" : " (" + e.note + ")");
           }));
}

std::string FormatList::FormatHelp() const
{
    return NamesText() + " (default: from the file name; " + std::string(entries.at(standardOutput).names.label) +
           " for -)";
}

} // namespace btmedia
