// The sound step where the host has no media writers (the Windows build has
// no libsndfile or libpng): says so instead.

#include "SoundFilesStep.h"

#include <ostream>

namespace btrun {

void WriteSoundFilesStep(bthost::Host&, const bthost::ClipDescription&, const std::filesystem::path&,
                         std::ostream& out)
{
    out << "  not written: this build has no WAV or PNG writer\n";
}

} // namespace btrun
