#include "ClipFile.h"

#include "ClipRules.h"
#include "btmedia/OutputFile.h"

#include <fstream>
#include <sstream>

namespace btcli {

ClipFile LoadClipFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw ClipFileError(path + ": cannot open the clip file");
    std::ostringstream text;
    text << in.rdbuf();
    ClipFile clip;
    try {
        clip = ParseClipFile(text.str());
    } catch (const ClipFileError& e) {
        throw ClipFileError(path + ": " + e.what());
    }
    if (const auto fault = FaultOf(clip.settings))
        throw ClipFileError(path + ": the clip cannot be used: " + fault->text);
    return clip;
}

void SaveClipFile(btmedia::OutputFile& output, const ClipFile& clip)
{
    const std::string text = FormatClipFile(clip);
    output.WriteAll(text.data(), text.size());
    output.Commit();
}

} // namespace btcli
