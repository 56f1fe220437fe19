#include "Reports.h"

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

/// The code as printed, followed by its name in brackets when the table knows it.
std::string Named(const std::string& printed, std::uint32_t code, std::span<const CodeName> names)
{
    for (const CodeName& row : names)
        if (row.code == code)
            return printed + " (" + row.name + ")";
    return printed;
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

std::string PrimariesName(std::uint32_t code)
{
    return Named(std::to_string(code), code, kPrimaries);
}

std::string TransferName(std::uint32_t code)
{
    return Named(std::to_string(code), code, kTransfers);
}

std::string MatrixName(std::uint32_t code)
{
    return Named(std::to_string(code), code, kMatrices);
}

std::string HostPixelFormatName(std::uint32_t code)
{
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", code);
    return Named(hex, code, kHostPixelFormats);
}

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
        << "Frame duration  " << d.frameDuration << " ticks (" << Fixed(FramesPerSecond(d.frameDuration), 3)
        << " fps)\n";
    if (r.pixelFormat.result == 0)
        out << "Pixel format    " << HostPixelFormatName(r.pixelFormat.pixelFormat) << "\n";
    else
        out << "Pixel format    none (selector 27 answered " << r.pixelFormat.result << ")\n";
    if (r.colour.result == 0)
        out << "Colour          primaries " << PrimariesName(r.colour.primaries) << ", transfer "
            << TransferName(r.colour.transfer) << ", matrix " << MatrixName(r.colour.matrix) << "\n"
            << "                encoding depth " << r.colour.encodingDepth << ", flags " << r.colour.flag64 << " "
            << r.colour.flag68 << "\n";
    else
        out << "Colour          none (selector 73 answered " << r.colour.result << ")\n";
    out << "Sound           " << d.audioChannels << " channels at " << Fixed(rate, 0) << " Hz, " << d.audioSamples
        << " samples (" << Fixed(rate > 0 ? static_cast<double>(d.audioSamples) / rate : 0.0, 2) << " s)\n"
        << "Colour managed  " << (d.colorManaged ? "yes" : "no") << "\n";
    if (raw)
        PrintSettingsRecord(out, r.clip.settings);
}

void PrintModuleReport(std::ostream& out, const ModuleReport& r)
{
    const bthost::PluginDescription& d = r.description;
    out << "Module          " << r.modulePath << "\n"
        << "Describe call   answered " << d.result << "\n"
        << "  display name  " << d.displayName << "\n"
        << "  match name    " << d.matchName << "\n"
        << "  category      " << d.category << "\n"
        << "  kind          '" << bt::FourCCText(d.kind) << "'\n"
        << "  numbers       " << d.a << ", " << d.b << ", " << d.c << "\n"
        << "Start-up        answered " << r.startupResult << ", file type '" << bt::FourCCText(r.startupFileType)
        << "'\n"
        << "File types     ";
    for (std::uint32_t type : r.fileTypes)
        out << " '" << bt::FourCCText(type) << "'";
    out << "\nResources\n";
    if (!r.resourceError.empty())
        out << "  none readable: " << r.resourceError << "\n";
    for (const ResourceReport& res : r.resources) {
        out << "  " << res.type << " " << res.name << ", " << res.size << " bytes\n";
        for (const std::string& line : res.lines)
            out << "    " << line << "\n";
    }
}

} // namespace btcli
