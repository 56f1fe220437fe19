#include "btmedia/MovieFormats.h"

#include "btmedia/OutputFile.h"

#include <string>

namespace btmedia {

std::optional<MovieFormat> FormatNamed(std::string_view name) noexcept
{
    for (const MovieFormatRow& row : kMovieFormats)
        if (name == row.name)
            return row.format;
    return std::nullopt;
}

std::optional<MovieFormat> FormatOfFileName(std::string_view fileName)
{
    const std::string extension = ExtensionOf(fileName);
    for (const MovieFormatRow& row : kMovieFormats)
        if (*row.extension != 0 && extension == row.extension)
            return row.format;
    return std::nullopt;
}

const char* FormatName(MovieFormat format) noexcept
{
    for (const MovieFormatRow& row : kMovieFormats)
        if (row.format == format)
            return row.name;
    return "";
}

} // namespace btmedia
