#include "bthost/ClipDescription.h"

#include "ImporterBarsAndTone/HostRecords.h"
#include "barsandtone/PackedBytes.h"

namespace bthost {

ClipDescription ReadClipDescription(const std::vector<std::uint8_t>& clipInfo)
{
    namespace ci = bt::records::ClipInfo;
    using namespace bt::packed;
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
