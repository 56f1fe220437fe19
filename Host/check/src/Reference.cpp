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
    const bthost::Picture picture = bthost::RequestPicture(mHost, request);
    struct Release {
        bthost::Host& host;
        BT_FrameHandle frame;
        ~Release()
        {
            if (frame != nullptr)
                host.Frames().Release(frame);
        }
    } release{mHost, picture.frame};
    if (picture.result != 0)
        throw std::runtime_error("the module painted no bars (selector 47 answered " + std::to_string(picture.result) +
                                 ")");
    const auto view = mHost.Frames().View(picture.frame);
    if (!view || view->firstRow == nullptr || view->width != width || view->height != height)
        throw std::runtime_error("the module's bars came in a frame of another size");
    btmedia::VuyaPicture vuya;
    vuya.width = view->width;
    vuya.height = view->height;
    vuya.rowBytes = view->rowBytes;
    vuya.firstRow = view->firstRow;
    vuya.layout = view->bytesPerPixel == 16 ? btmedia::VuyaLayout::kFloats : btmedia::VuyaLayout::kBytes;
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
    ToneSpec tone;
    tone.identify = LoadU8(record.data(), field::kIdentifyChannels) == 1;
    tone.cadence = LoadU8(record.data(), field::kIdentifierFormat);
    tone.frequency = LoadF32(record.data(), field::kFrequency);
    tone.amplitude = LoadF32(record.data(), field::kAmplitude);
    tone.channels = static_cast<int>(LoadU32(record.data(), field::kAudioChannelCount));
    return tone;
}

} // namespace btcheck
