#include "btmedia/SampleFormat.h"

#include "btmedia/FileFormats.h"

namespace btmedia {

namespace {

const SampleFormatRow& RowOf(SampleFormat format) { return btmedia::RowOf(kSampleFormats, format); }

} // namespace

std::optional<SampleFormat> SampleFormatNamed(std::string_view token) noexcept
{
    for (const SampleFormatRow& row : kSampleFormats)
        if (row.token == token)
            return row.format;
    return std::nullopt;
}

std::string_view SampleToken(SampleFormat format) noexcept { return RowOf(format).token; }

std::string_view SampleLabel(SampleFormat format) noexcept { return RowOf(format).label; }

std::vector<std::string> SampleTokens()
{
    std::vector<std::string> tokens;
    for (const SampleFormatRow& row : kSampleFormats)
        tokens.emplace_back(row.token);
    return tokens;
}

std::string SampleTokensText(std::optional<SampleFormat> marked)
{
    std::vector<std::string> items;
    for (const SampleFormatRow& row : kSampleFormats)
        items.push_back(std::string(row.token) + (row.format == SampleFormat::Float32 ? " (float)" : "") +
                        (row.format == marked ? " (default)" : ""));
    return JoinedList(items);
}

} // namespace btmedia
