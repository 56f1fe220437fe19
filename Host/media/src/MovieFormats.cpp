#include "btmedia/MovieFormats.h"

#include <algorithm>
#include <cctype>
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
    const std::size_t dot = fileName.rfind('.');
    const std::size_t slash = fileName.find_last_of("/\\");
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return std::nullopt;
    std::string extension(fileName.substr(dot));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
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
