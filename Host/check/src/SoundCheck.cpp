#include "btcheck/SoundCheck.h"

namespace btcheck {

SoundFinding CheckSound(MediaFile& file, Reference&, const ClipExpectation*, const Tolerances&, double maxSeconds)
{
    SoundFinding out;
    if (!file.Facts().sound)
        return out;
    const Sound sound = file.DecodeSound(maxSeconds);
    out.present = true;
    out.rate = sound.rate;
    out.truncated = sound.truncated;
    out.seconds = static_cast<double>(sound.channels[0].size()) / sound.rate;
    return out;
}

} // namespace btcheck
