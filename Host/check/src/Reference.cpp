#include "btcheck/Reference.h"

#include "ImporterBarsAndTone/Channels.h"
#include "ImporterBarsAndTone/HostRecords.h"
#include "ImporterBarsAndTone/ImporterAbi.h"
#include "barsandtone/PackedBytes.h"
#include "bthost/PictureRequests.h"
#include "bthost/SoundRequests.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace btcheck {

namespace {

using namespace bt::packed;
namespace field = bt::records::ToneSettingsRecord;

constexpr std::int64_t kSoundRequest = 1 << 16;     // samples per selector-25 request

} // namespace

Reference::Reference(bthost::Host& host, const RecordBytes& base) : mHost(host), mBase(base) {}

RecordBytes Reference::DefaultRecord(bthost::Host& host)
{
    const auto info = host.GetClipInfo(BT_FILETYPE_BARS, nullptr);
    if (info.result != 0 || info.description.perFileRecord == nullptr)
        throw std::runtime_error("the module gave no default settings (selector 37 answered " +
                                 std::to_string(info.result) + ")");
    RecordBytes record{};
    std::copy_n(static_cast<const std::uint8_t*>(info.description.perFileRecord), record.size(), record.begin());
    host.ReleaseFileRecord(info.description.perFileRecord);
    if (info.description.persisted != nullptr)
        host.Memory().Release(info.description.persisted);
    return record;
}

btmedia::StudioPicture Reference::Picture(int colourSpace, int width, int height)
{
    RecordBytes record = mBase;
    StoreU32(record.data(), field::kVersion, field::kCurrentVersion);
    StoreU8(record.data(), field::kColorSpaceType, static_cast<std::uint8_t>(colourSpace));
    StoreI32(record.data(), field::kFrameWidth, width);
    StoreI32(record.data(), field::kFrameHeight, height);

    bthost::PictureRequest request;
    request.settingsFirst = record.data();
    request.sizePair[0] = width;
    request.sizePair[1] = height;
    const bthost::DeliveredPicture delivered(mHost, request);
    const bthost::FrameView& view = delivered.View();
    if (view.width != width || view.height != height)
        throw std::runtime_error("the module's bars came in a frame of another size");
    const btmedia::VuyaPicture vuya{view.width, view.height, view.rowBytes, view.firstRow,
                                    delivered.FloatPixels() ? btmedia::VuyaLayout::kFloats : btmedia::VuyaLayout::kBytes};
    btmedia::StudioPicture studio(width, height);
    btmedia::ConvertToStudio(vuya, studio.Planes());
    return studio;
}

btmedia::ColourCodes Reference::Colour(int colourSpace)
{
    RecordBytes record = mBase;
    StoreU8(record.data(), field::kColorSpaceType, static_cast<std::uint8_t>(colourSpace));
    const auto colour = bthost::RequestColourDescription(mHost, record.data());
    if (colour.result != 0)
        throw std::runtime_error("the module gave no colour description (selector 73 answered " +
                                 std::to_string(colour.result) + ")");
    return {static_cast<std::uint8_t>(colour.primaries), static_cast<std::uint8_t>(colour.transfer),
            static_cast<std::uint8_t>(colour.matrix)};
}

std::vector<std::vector<float>> Reference::Sound(const ToneSpec& tone, double rate, std::int64_t position,
                                                 std::int64_t count)
{
    RecordBytes record = mBase;
    StoreF32(record.data(), field::kAudioFrameRate, static_cast<float>(rate));
    StoreU32(record.data(), field::kAudioChannelType,
             bt::RecordValue(bt::ChannelTypeForCount(static_cast<std::uint32_t>(tone.channels))));
    StoreU32(record.data(), field::kAudioChannelCount, static_cast<std::uint32_t>(tone.channels));
    StoreU8(record.data(), field::kIdentifyChannels, tone.identify ? 1 : 0);
    StoreU8(record.data(), field::kIdentifierFormat, static_cast<std::uint8_t>(tone.cadence));
    StoreF32(record.data(), field::kFrequency, tone.frequency);
    StoreF32(record.data(), field::kAmplitude, tone.amplitude);

    const auto channels = static_cast<std::size_t>(tone.channels);
    std::vector<std::vector<float>> out(channels, std::vector<float>(static_cast<std::size_t>(std::max<std::int64_t>(count, 0))));
    std::vector<float*> buffers(channels);
    for (std::int64_t done = 0; done < count; done += kSoundRequest) {
        const auto n = static_cast<std::uint32_t>(std::min(kSoundRequest, count - done));
        for (std::size_t c = 0; c < channels; ++c)
            buffers[c] = out[c].data() + done;
        const auto request = bthost::MakeAudioRequest({record.data(), nullptr}, position + done, n, buffers.data());
        const std::int32_t result = mHost.Call(BT_SEL_GET_AUDIO, nullptr, request.data());
        if (result != 0)
            throw std::runtime_error("the module gave no sound (selector 25 answered " + std::to_string(result) + ")");
    }
    return out;
}

ToneSpec ToneOf(const RecordBytes& record)
{
    const bthost::SettingsFields f = bthost::DecodeSettings(record);
    ToneSpec tone;
    tone.identify = f.identifyChannels == 1;
    tone.cadence = f.identifierFormat;
    tone.frequency = f.frequency;
    tone.amplitude = f.amplitude;
    tone.channels = static_cast<int>(f.audioChannelCount);
    return tone;
}

} // namespace btcheck
