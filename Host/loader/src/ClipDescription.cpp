#include "bthost/ClipDescription.h"

#include "ImporterBarsAndTone/HostRecords.h"
#include "barsandtone/PackedBytes.h"

#include <stdexcept>

namespace bthost {

ClipDescription ReadClipDescription(const std::vector<std::uint8_t>& clipInfo)
{
    namespace ci = bt::records::ClipInfo;
    using namespace bt::packed;
    if (clipInfo.size() < ci::kMinSize)
        throw std::invalid_argument("a clip information record of " + std::to_string(clipInfo.size()) + " bytes, not " +
                                    std::to_string(ci::kMinSize));
    const void* r = clipInfo.data();
    ClipDescription d;
    d.width = LoadI32(r, ci::kWidth);
    d.height = LoadI32(r, ci::kHeight);
    d.parNumerator = LoadU32(r, ci::kParNum);
    d.parDenominator = LoadU32(r, ci::kParDen);
    d.frameDuration = LoadI64(r, ci::kFrameDuration);
    d.audioChannels = LoadU32(r, ci::kAudioChannels);
    d.audioRate = LoadF32(r, ci::kAudioRate);
    d.audioSamples = LoadI64(r, ci::kAudioSamples);
    d.colorManaged = LoadU32(r, ci::kColorManaged) != 0;
    d.perFileRecord = LoadPtr(r, ci::kPerFileRecord);
    d.persisted = LoadPtr(r, ci::kPersisted);
    return d;
}

} // namespace bthost
