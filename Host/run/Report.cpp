#include "Report.h"

#include <iomanip>
#include <ostream>

namespace btrun {

std::string FourCC(std::uint32_t code)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8)
        text += static_cast<char>((code >> shift) & 0xFF);
    return text;
}

void PrintDescription(std::ostream& out, const bthost::PluginDescription& d)
{
    out << "Plug-in\n"
        << "  display name   " << d.displayName << "\n"
        << "  match name     " << d.matchName << "\n"
        << "  category       " << d.category << "\n"
        << "  kind           '" << FourCC(d.kind) << "'\n"
        << "  numbers        " << d.a << ", " << d.b << ", " << d.c << "\n";
}

void PrintClip(std::ostream& out, const bthost::ClipDescription& clip)
{
    const double fps = clip.frameDuration > 0 ? 254016000000.0 / static_cast<double>(clip.frameDuration) : 0.0;
    const double par =
        clip.parDenominator ? static_cast<double>(clip.parNumerator) / static_cast<double>(clip.parDenominator) : 0.0;
    const double rate = static_cast<double>(clip.audioRate);
    out << "Default clip\n"
        << "  picture        " << clip.width << " x " << clip.height << "\n"
        << "  pixel aspect   " << clip.parNumerator << "/" << clip.parDenominator << " (" << std::fixed
        << std::setprecision(4) << par << ")\n"
        << "  frame duration " << clip.frameDuration << " ticks (" << std::setprecision(3) << fps << " fps)\n"
        << "  sound          " << clip.audioChannels << " channels at " << std::setprecision(0) << rate
        << " Hz, " << clip.audioSamples << " samples ("
        << std::setprecision(2) << (rate > 0 ? static_cast<double>(clip.audioSamples) / rate : 0.0)
        << " s)\n"
        << "  colour managed " << (clip.colorManaged ? "yes" : "no") << "\n";
    out.unsetf(std::ios::floatfield);
}

} // namespace btrun
