#include "IdentificationClips.h"

#include "SoundFiles.h"

#include "ImporterBarsAndTone/HostRecords.h"
#include "barsandtone/PackedBytes.h"

#include <array>
#include <cstring>
#include <ostream>
#include <stdexcept>
#include <vector>

namespace btrun {

namespace {

struct Identification {
    const char* name;
    std::uint8_t identifierFormat;
    std::uint32_t channels;
    double seconds; ///< long enough to show the whole timetable
};

constexpr std::array kIdentifications{
    Identification{"ebu-stereo-1000hz", 0, 2, 6.0},
    Identification{"ebu-stereo-400hz", 1, 2, 6.0},
    Identification{"ebu-multichannel-5.1", 2, 6, 12.0},
    Identification{"blits-5.1", 3, 6, 13.4},
};

/// The default settings as the module makes them for a clip with none.
std::vector<std::uint8_t> DefaultSettings(bthost::Host& host)
{
    auto clip = host.GetClipInfo(BT_FILETYPE_BARS, nullptr, 48000.0f);
    if (clip.result != BT_RESULT_SUCCESS || clip.description.perFileRecord == nullptr)
        throw std::runtime_error("clip information failed with result " + std::to_string(clip.result));
    std::vector<std::uint8_t> bytes(bt::records::ToneSettingsRecord::kSize);
    std::memcpy(bytes.data(), clip.description.perFileRecord, bytes.size());
    host.ReleaseFileRecord(clip.description.perFileRecord);
    return bytes;
}

} // namespace

void WriteIdentificationClips(bthost::Host& host, const std::filesystem::path& dir, std::ostream& out)
{
    namespace tsr = bt::records::ToneSettingsRecord;
    const std::vector<std::uint8_t> defaults = DefaultSettings(host);
    for (const Identification& id : kIdentifications) {
        std::vector<std::uint8_t> settings = defaults;
        bt::packed::StoreU8(settings.data(), tsr::kIdentifyChannels, 1);
        bt::packed::StoreU8(settings.data(), tsr::kIdentifierFormat, id.identifierFormat);
        bt::packed::StoreU32(settings.data(), tsr::kAudioChannelCount, id.channels);
        void* stored = host.StoreSettings(settings.data(), settings.size());
        auto clip = host.GetClipInfo(BT_FILETYPE_BARS, stored);
        if (clip.result != BT_RESULT_SUCCESS)
            throw std::runtime_error(std::string(id.name) + ": clip information failed");
        const auto& d = clip.description;
        WriteSoundFiles(host, {id.name, {d.perFileRecord, d.persisted}, d.audioChannels, d.audioRate, id.seconds}, dir,
                        out);
        host.ReleaseFileRecord(d.perFileRecord);
    }
}

} // namespace btrun
