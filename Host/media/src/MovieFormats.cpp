#include "btmedia/MovieFormats.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <stdexcept>

namespace btmedia {

namespace {

bool HasProfiles(const PictureCodings& codings) noexcept
{
    return std::any_of(codings.codings.begin(), codings.codings.end(),
                       [](const PictureCoding& c) { return *c.profile != 0; });
}

/// The picture tables --profile chooses in, each once, in the order of the rows.
std::vector<const PictureCodings*> ProfileTables()
{
    std::vector<const PictureCodings*> tables;
    for (const MovieFormatRow& row : kMovieFormats)
        if (HasProfiles(row.picture) && std::find(tables.begin(), tables.end(), &row.picture) == tables.end())
            tables.push_back(&row.picture);
    return tables;
}

/// "ProRes (.mov, .nut) and DNx (.mxf)".
std::string ProfileKindsText()
{
    std::vector<std::string> kinds;
    for (const PictureCodings* table : ProfileTables()) {
        std::vector<std::string> extensions;
        for (const MovieFormatRow& row : kMovieFormats)
            if (&row.picture == table)
                extensions.emplace_back(row.names.extensions[0]);
        kinds.push_back(std::string(table->family) + " (" + JoinedList(extensions, "") + ")");
    }
    return JoinedList(kinds, "and");
}

std::string LowerCase(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return lower;
}

/// A kind's sound codecs as --audio-codec names them, each once, its default first.
std::vector<std::string> CodecsOf(const MovieFormatRow& row)
{
    std::vector<std::string> codecs;
    for (const SoundCoding& coding : row.sound)
        if (std::find(codecs.begin(), codecs.end(), LowerCase(coding.codec)) == codecs.end())
            codecs.push_back(LowerCase(coding.codec));
    return codecs;
}

std::string Padded(std::string_view text, std::size_t width)
{
    return std::string(text) + std::string(width > text.size() ? width - text.size() : 0, ' ');
}

} // namespace

const MovieFormatRow& RowOf(MovieFormat format) { return RowOf(kMovieFormats, format); }

bool IsNetworkAddress(std::string_view output) noexcept
{
    const std::size_t colon = output.find("://");
    if (colon == std::string_view::npos || colon == 0)
        return false;
    return std::all_of(output.begin(), output.begin() + static_cast<std::ptrdiff_t>(colon), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '+' || c == '-' || c == '.';
    });
}

FormatList MovieFormatList(MovieFormat standardOutput)
{
    FormatList list{"Movie file", {}, 0};
    for (const MovieFormatRow& row : kMovieFormats) {
        if (row.format == standardOutput)
            list.standardOutput = list.entries.size();
        list.entries.push_back({static_cast<int>(row.format), row.names, ""});
    }
    return list;
}

const PictureCoding& ProfileNamed(MovieFormat format, std::string_view profile)
{
    const PictureCodings& table = RowOf(format).picture;
    if (!HasProfiles(table))
        throw std::invalid_argument("--profile applies to " + ProfileKindsText() + " only");
    std::vector<std::string> names;
    for (const PictureCoding& coding : table.codings) {
        if (profile == coding.profile)
            return coding;
        names.emplace_back(coding.profile);
    }
    throw std::invalid_argument(std::string("--profile for ") + table.family + " takes " + JoinedList(names, "") +
                                ", not \"" + std::string(profile) + "\"");
}

const SoundCoding& SoundCodingFor(MovieFormat format, std::optional<SampleFormat> samples, std::string_view codec)
{
    const MovieFormatRow& row = RowOf(format);
    const std::string label(row.names.label);
    if (row.sound.empty())
        throw std::invalid_argument(label + " carries no sound");
    std::vector<std::string> carried;
    for (const SoundCoding& coding : row.sound)
        carried.push_back(SoundLabel(coding));
    const auto refuse = [&](const std::string& asked) {
        return std::invalid_argument(label + " carries " + JoinedList(carried) + ", not " + asked);
    };
    // Samples alone choose among every coding of the kind.
    if (samples && codec.empty()) {
        for (const SoundCoding& coding : row.sound)
            if (coding.samples == samples)
                return coding;
        throw refuse(std::string(SampleLabel(*samples)) + " samples (--pcm " + std::string(SampleToken(*samples)) + ")");
    }
    const std::string wanted = codec.empty() ? LowerCase(row.sound.front().codec) : std::string(codec);
    const SoundCoding* first = nullptr;
    for (const SoundCoding& coding : row.sound) {
        if (LowerCase(coding.codec) != wanted)
            continue;
        if (first == nullptr)
            first = &coding;
        if (samples ? coding.samples == samples : coding.samples == kDefaultMovieSamples)
            return coding;
    }
    if (first == nullptr)
        throw refuse(wanted + " (--audio-codec " + wanted + ")");
    if (samples)
        throw refuse(SoundLabel({samples, first->codec, "", ""}));
    return *first;
}

std::optional<MovieFormat> FormatOfAddress(std::string_view address)
{
    const std::size_t colon = address.find("://");
    if (colon == std::string_view::npos)
        return std::nullopt;
    const std::string scheme = LowerCase(address.substr(0, colon));
    for (const MovieFormatRow& row : kMovieFormats) {
        std::istringstream schemes(row.schemes);
        for (std::string s; schemes >> s;)
            if (s == scheme)
                return row.format;
    }
    return std::nullopt;
}

std::string SoundLabel(const SoundCoding& coding)
{
    return (coding.samples ? std::string(SampleLabel(*coding.samples)) + " " : std::string()) + coding.codec;
}

std::string ProfileHelp()
{
    std::string text;
    for (const PictureCodings* table : ProfileTables()) {
        std::vector<std::string> names;
        for (const PictureCoding& coding : table->codings)
            names.push_back(std::string(coding.profile) +
                            (std::string_view(coding.profile) == table->defaultProfile ? " (default)" : ""));
        text += (text.empty() ? "" : "; ") + std::string(table->family) + ": " + JoinedList(names, "") +
                (*table->defaultProfile == 0 ? " (default by the clip's range)" : "");
    }
    return text;
}

std::vector<std::string> ProfileChoices()
{
    std::vector<std::string> names;
    for (const PictureCodings* table : ProfileTables())
        for (const PictureCoding& coding : table->codings)
            if (std::find(names.begin(), names.end(), coding.profile) == names.end())
                names.emplace_back(coding.profile);
    return names;
}

std::string AudioCodecHelp()
{
    std::string text;
    for (const MovieFormatRow& row : kMovieFormats) {
        const std::vector<std::string> codecs = CodecsOf(row);
        if (codecs.size() > 1)
            text += (text.empty() ? "Sound codec: " : "; ") + std::string(row.names.extensions[0]) + " " +
                    JoinedList(codecs, "or") + " (default " + codecs.front() + ")";
    }
    return text;
}

std::vector<std::string> AudioCodecChoices()
{
    std::vector<std::string> names;
    for (const MovieFormatRow& row : kMovieFormats)
        for (const std::string& codec : CodecsOf(row))
            if (std::find(names.begin(), names.end(), codec) == names.end())
                names.push_back(codec);
    return names;
}

std::string PcmHelp() { return "Sound samples: " + SampleTokensText(kDefaultMovieSamples); }

std::string MovieFormatsHelp()
{
    std::size_t extensionWidth = 0, nameWidth = 0;
    for (const MovieFormatRow& row : kMovieFormats) {
        extensionWidth = std::max(extensionWidth, row.names.extensions[0].size() + 2);
        nameWidth = std::max(nameWidth, row.names.name.size() + 2);
    }
    const std::string indent(2 + extensionWidth + nameWidth, ' ');
    std::string text = "Formats, chosen by the file name or --format (the two must agree):\n";
    for (const MovieFormatRow& row : kMovieFormats) {
        if (*row.help == 0)
            continue;
        std::string line = "  " + Padded(row.names.extensions[0], extensionWidth) + Padded(row.names.name, nameWidth);
        for (const char* c = row.help; *c != 0; ++c)
            line += *c == '\n' ? "\n" + indent : std::string(1, *c);
        text += line + "\n";
    }
    return text + "Each carries the clip's colour description, narrow range, channel layout and start timecode.";
}

} // namespace btmedia
