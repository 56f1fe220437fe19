#include "Reports.h"

#include "ImporterBarsAndTone/ImporterAbi.h"
#include "MediaBridge/ColorTags.h"
#include "barsandtone/FourCC.h"

#include <cstdio>
#include <ostream>
#include <span>

namespace btcli {

namespace {

std::string Fixed(double v, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    return text;
}

struct CodeName {
    std::uint32_t code;
    const char* name;
};

// ITU-T H.273 code points the module answers with; others print as bare numbers.
constexpr CodeName kPrimaries[] = {{1, "BT.709"}, {9, "BT.2020"}, {5, "BT.601 625"}, {6, "BT.601 525"}};
constexpr CodeName kTransfers[] = {
    {1, "BT.709"}, {6, "BT.601"}, {16, "PQ, SMPTE ST 2084"}, {18, "HLG, ARIB STD-B67"}};
constexpr CodeName kMatrices[] = {
    {1, "BT.709"}, {5, "BT.601 625-line"}, {6, "BT.601 525-line"}, {9, "BT.2020 non-constant luminance"}};
constexpr CodeName kHostPixelFormats[] = {{0x37785556u, "32-bit float V, U, Y, A"},
                                          {0x41595556u, "8-bit V, U, Y, A, studio range"}};
constexpr CodeName kResults[] = {
    {BT_RESULT_SUCCESS, "success"},
    {BT_RESULT_UNSUPPORTED, "unsupported"},
    {BT_RESULT_MEMORY_ERROR, "out of memory"},
    {BT_RESULT_NO_SETTINGS, "no settings, or a failed step"},
    {BT_RESULT_NO_COLOR_DESCRIPTION, "no colour description"},
    {BT_RESULT_QUERY_ANSWER, "query answer"},
    {BT_RESULT_CANCELLED, "cancelled"},
    {BT_RESULT_BAD_INDEX, "bad index"},
    {BT_RESULT_STARTUP_ANSWER, "start-up answer"},
};
// Numbered resource types of the Windows resource format.
constexpr CodeName kResourceTypes[] = {{16, "version"}, {24, "manifest"}};

/// The name the table gives the code; "code N" when it has none.
std::string Named(std::uint32_t code, std::span<const CodeName> names)
{
    for (const CodeName& row : names)
        if (row.code == code)
            return row.name;
    return "code " + std::to_string(code);
}

/// How the module says its pictures are coded (selector 73's depth and flags,
/// read with the platform's meanings).
std::string CodingText(const bthost::ColourDescription& c)
{
    const std::uint32_t depth = c.encodingDepth & 0xFF;
    const bool floating = (depth & 0x80) != 0; // the platform's mark of floating point
    std::string text = depth == static_cast<std::uint32_t>(MB::ColorTags::EncodingBitDepth::kUnknown)
                           ? std::string("unknown depth")
                           : std::to_string(depth & 0x7F) + (floating ? "-bit float" : "-bit");
    // The flags are the inverted descriptor bits: 1 when it is clear.
    text += c.flag68 == 1 ? ", Y'CbCr" : ", R'G'B'";
    text += c.flag64 == 1 ? ", narrow range" : ", full range";
    return text;
}

/// A float as stored, in as few digits as give it back exactly.
std::string Number(float v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(v));
    return text;
}

void PrintSettingsRecord(std::ostream& out, const SettingsBytes& bytes)
{
    constexpr std::size_t kRow = 24;
    out << "Settings record " << bytes.size() << " bytes, as the host stores them\n";
    for (std::size_t first = 0; first < bytes.size(); first += kRow)
        out << (first < 10 ? "   " : "  ") << first << "  " << HexBytes(bytes, first, kRow) << "\n";
    const SettingsFields f = DecodeSettings(bytes);
    out << "  version " << f.version << ", audio rate " << Number(f.audioFrameRate) << " Hz, channel type "
        << f.audioChannelType << ", channel count " << f.audioChannelCount << "\n"
        << "  identify channels " << int{f.identifyChannels} << ", frequency " << Number(f.frequency)
        << " Hz, amplitude " << Number(f.amplitude) << ", identifier format " << int{f.identifierFormat} << "\n"
        << "  frame " << f.frameWidth << " x " << f.frameHeight << ", pixel aspect " << f.parNumerator << "/"
        << f.parDenominator << ", frame duration " << f.videoFrameRate << " ticks, drop frame " << int{f.dropFrame}
        << "\n"
        << "  colour space type " << int{f.colorSpaceType} << ", preset " << int{f.preset} << "\n";
}

} // namespace

std::string PrimariesName(std::uint32_t code) { return Named(code, kPrimaries); }
std::string TransferName(std::uint32_t code) { return Named(code, kTransfers); }
std::string MatrixName(std::uint32_t code) { return Named(code, kMatrices); }

std::string HostPixelFormatName(std::uint32_t code)
{
    for (const CodeName& row : kHostPixelFormats)
        if (row.code == code)
            return row.name;
    char hex[32];
    std::snprintf(hex, sizeof hex, "code 0x%08X", code);
    return hex;
}

std::string ResultName(std::int32_t code) { return Named(static_cast<std::uint32_t>(code), kResults); }

void PrintClipReport(std::ostream& out, const ClipReport& r, bool raw)
{
    const SettingsFields f = DecodeSettings(r.clip.settings);
    const bthost::ClipDescription& d = r.description;
    const double par = d.parDenominator != 0 ? static_cast<double>(d.parNumerator) / d.parDenominator : 0.0;
    const double rate = static_cast<double>(d.audioRate);
    out << "Clip            " << r.clip.name << "  (" << r.clipPath << ", file type '"
        << bt::FourCCText(r.clip.fileType) << "')\n"
        << "Settings        " << SettingsSummary(f) << "\n"
        << "Picture         " << d.width << " x " << d.height << ", pixel aspect " << d.parNumerator << "/"
        << d.parDenominator << " (" << Fixed(par, 4) << ")\n"
        << "Frame rate      " << FrameRateText(d.frameDuration) << "\n";
    if (r.pixelFormat.result == 0)
        out << "Pixel format    " << HostPixelFormatName(r.pixelFormat.pixelFormat) << "\n";
    else
        out << "Pixel format    none (the module answered: " << ResultName(r.pixelFormat.result) << ")\n";
    if (r.colour.result == 0)
        out << "Colour          " << PrimariesName(r.colour.primaries) << " primaries, "
            << TransferName(r.colour.transfer) << " transfer, " << MatrixName(r.colour.matrix) << " matrix\n"
            << "Coding          " << CodingText(r.colour) << "\n";
    else
        out << "Colour          none (the module answered: " << ResultName(r.colour.result) << ")\n";
    out << "Sound           " << d.audioChannels << " channels at " << Fixed(rate, 0) << " Hz, "
        << Fixed(rate > 0 ? static_cast<double>(d.audioSamples) / rate : 0.0, 2) << " s\n"
        << "Colour managed  " << (d.colorManaged ? "yes" : "no") << "\n";
    if (raw) {
        char pixelFormat[16];
        std::snprintf(pixelFormat, sizeof pixelFormat, "0x%08X", r.pixelFormat.pixelFormat);
        out << "Answers as given\n"
            << "  frame duration " << d.frameDuration << " ticks, " << d.audioSamples << " samples\n"
            << "  selector 27 answered " << r.pixelFormat.result << ", pixel format " << pixelFormat << "\n"
            << "  selector 73 answered " << r.colour.result << ", primaries " << r.colour.primaries << ", transfer "
            << r.colour.transfer << ", matrix " << r.colour.matrix << ", encoding depth " << r.colour.encodingDepth
            << ", flags " << r.colour.flag64 << " " << r.colour.flag68 << "\n";
        PrintSettingsRecord(out, r.clip.settings);
    }
}

void PrintModuleReport(std::ostream& out, const ModuleReport& r)
{
    const bthost::PluginDescription& d = r.description;
    out << "Module          " << r.modulePath << "\n"
        << "Describe call   answered " << d.result << " (" << ResultName(d.result) << ")\n"
        << "  display name  " << d.displayName << "\n"
        << "  match name    " << d.matchName << "\n"
        << "  category      " << d.category << "\n"
        << "  kind          '" << bt::FourCCText(d.kind) << "'\n"
        << "  numbers       " << d.a << ", " << d.b << ", " << d.c << "\n"
        << "Start-up        answered " << r.startupResult << " (" << ResultName(r.startupResult) << "), file type '"
        << bt::FourCCText(r.startupFileType) << "'\n"
        << "File types     ";
    for (std::uint32_t type : r.fileTypes)
        out << " '" << bt::FourCCText(type) << "'";
    out << "\nResources\n";
    if (!r.resourceError.empty())
        out << "  none readable: " << r.resourceError << "\n";
    for (const ResourceReport& res : r.resources) {
        const bool numbered = !res.type.empty() && res.type.find_first_not_of("0123456789") == std::string::npos;
        out << "  " << (numbered ? Named(static_cast<std::uint32_t>(std::stoul(res.type)), kResourceTypes) : res.type)
            << " " << res.name << ", " << res.size << " bytes\n";
        for (const std::string& line : res.lines)
            out << "    " << line << "\n";
    }
}

} // namespace btcli
