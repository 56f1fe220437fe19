#include "SoundFilesStep.h"

#include "IdentificationClips.h"
#include "SoundFiles.h"

namespace btrun {

void WriteSoundFilesStep(bthost::Host& host, const bthost::ClipDescription& defaultClip,
                         const std::filesystem::path& dir, std::ostream& out)
{
    const auto& d = defaultClip;
    WriteSoundFiles(host,
                    {"default-tone", {d.perFileRecord, nullptr}, d.audioChannels, d.audioRate,
                     static_cast<double>(d.audioSamples) / static_cast<double>(d.audioRate)},
                    dir, out);
    WriteIdentificationClips(host, dir, out);
}

} // namespace btrun
