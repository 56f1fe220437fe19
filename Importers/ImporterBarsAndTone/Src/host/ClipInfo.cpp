// Selector 37: describes a clip from its stored settings and hands the host a
// per-file copy of them. Version-1 records take their picture from what the
// host already holds and are stored again in the 72-byte layout.

#include "CVM/ColorManagement.h"
#include "ImporterBarsAndTone/ColorSpaces.h"
#include "ImporterBarsAndTone/HostRecords.h"
#include "barsandtone/PackedBytes.h"
#include "host/HostServices.h"
#include "host/SelectorCall.h"
#include "host/ToneSettings.h"
#include "zelmediatypes/TickTime.h"

#include <cmath>
#include <limits>
#include <memory>
#include <new>

namespace bt {

namespace {

namespace ci = records::ClipInfo;

/// Five seconds of sound, multiplied in single precision and truncated toward
/// zero, so a negative rate gives a negative count.
/// Rationale: a product beyond the 64-bit range takes its nearest end, as a
/// frame duration does, and a rate that is not a number gives no sound, so no
/// rate makes the conversion undefined.
std::int64_t SoundLengthInSamples(float audioFrameRate) noexcept
{
    const float samples = audioFrameRate * 5.0f;
    if (std::isnan(samples))
        return 0;
    // 2^63 is the first float past the range; -2^63 is still inside it.
    if (samples >= 9223372036854775808.0f)
        return std::numeric_limits<std::int64_t>::max();
    if (samples < -9223372036854775808.0f)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(samples);
}

void WriteFixedFieldsAndSound(void* info, const ToneSettings& s) noexcept
{
    packed::StoreU8(info, ci::kFlag0, 1);
    packed::StoreU8(info, ci::kFlag1, 1);
    packed::StoreU16(info, ci::kDepth12, 24);
    packed::StoreU8(info, ci::kFlag22, 5);
    packed::StoreU8(info, ci::kFlag31, 1);
    packed::StoreU8(info, ci::kFlag32, 2);
    packed::StoreU32(info, ci::kFlag54, 1);
    packed::StoreI64(info, ci::kAudioSamples, SoundLengthInSamples(s.audioFrameRate));
    packed::StoreU32(info, ci::kAudioChannels, s.audioChannelCount);
    packed::StoreF32(info, ci::kAudioRate, s.audioFrameRate);
    packed::StoreU32(info, ci::kFlag182, 6);
}

void WritePicture(void* info, const ToneSettings& s) noexcept
{
    packed::StoreI32(info, ci::kWidth, s.frameWidth);
    packed::StoreI32(info, ci::kHeight, s.frameHeight);
    packed::StoreU32(info, ci::kParNum, s.par.GetNumerator());
    packed::StoreU32(info, ci::kParDen, s.par.GetDenominator());
    packed::StoreI64(info, ci::kFrameDuration, s.videoFrameRate);
}

void ReadPictureFromHost(const void* info, ToneSettings& s) noexcept
{
    s.frameWidth = packed::LoadI32(info, ci::kWidth);
    s.frameHeight = packed::LoadI32(info, ci::kHeight);
    s.par = zelmediatypes::PixelAspectRatio(packed::LoadU32(info, ci::kParNum), packed::LoadU32(info, ci::kParDen));
    s.videoFrameRate =
        zelmediatypes::FrameRate::FromRatio(packed::LoadI32(info, ci::kRateNum), packed::LoadI32(info, ci::kRateDen))
            .GetTicks();
}

} // namespace

Result HandleGetClipInfo(const SelectorCall& call)
{
    void* info = call.Record2();
    if (info == nullptr)
        return kResultUnsupported;
    const HostServices host(call.stdParms);

    // Ours until the host hands it back to selector 9.
    auto perFile = std::unique_ptr<ToneSettings>(new (std::nothrow) ToneSettings());
    if (perFile == nullptr)
        return kResultMemoryError;

    const void* fileRecord = call.Record1();
    const std::uint32_t fileType =
        fileRecord == nullptr ? 0 : packed::LoadU32(fileRecord, records::FileRecord::kFileType);
    void* persisted = packed::LoadPtr(info, ci::kPersisted);

    bool isOld = false;
    if (persisted == nullptr) {
        perFile->audioFrameRate = packed::LoadF32(info, ci::kAudioRate);
    } else if (LoadToneSettingsVersion(persisted) == kToneSettingsOldVersion) {
        *perFile = LoadOldToneSettings(persisted);
        perFile->colorSpaceType = RecordValue(fileType == BT_FILETYPE_HDBR ? ColorSpace::Rec709 : ColorSpace::Rec601);
        isOld = true;
    } else {
        *perFile = LoadToneSettings(persisted);
    }
    perFile->audioChannelType = RecordValue(ChannelTypeForCount(perFile->audioChannelCount));

    WriteFixedFieldsAndSound(info, *perFile);

    if (!isOld) {
        WritePicture(info, *perFile);
    } else {
        ReadPictureFromHost(info, *perFile);
        // Allocate before releasing, so a failure leaves the clip its stored settings.
        void* restored = host.Allocate(static_cast<std::uint32_t>(kToneSettingsSize));
        if (restored == nullptr)
            return kResultMemoryError;
        StoreToneSettings(restored, *perFile);
        packed::StorePtr(info, ci::kPersisted, restored);
        host.Release(persisted);
    }

    packed::StoreU32(info, ci::kColorManaged, CVM::IsAbleToSupportColorManagement() ? 1u : 0u);
    packed::StorePtr(info, ci::kPerFileRecord, perFile.release());
    return kResultSuccess;
}

} // namespace bt
