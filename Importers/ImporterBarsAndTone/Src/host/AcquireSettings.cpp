// Selector 38: the settings of a new clip. The sequence's properties, matched
// through the host, are reviewed in the settings dialog; on OK the record goes
// into the host's buffer and the clip is named after its colour space.

#include "ImporterBarsAndTone/ColorSpaces.h"
#include "ImporterBarsAndTone/HostRecords.h"
#include "barsandtone/PackedBytes.h"
#include "dialog/SettingsDialog.h"
#include "host/HostServices.h"
#include "host/SelectorCall.h"
#include "host/SequenceMatching.h"
#include "host/ToneSettings.h"
#include "zelcore/config/Localizer.h"

#include <cstring>

namespace bt {

namespace {

namespace req = records::SettingsRequest;

const char* ClipNameKey(std::uint8_t colorSpaceType) noexcept
{
    const ColorSpaceFacts* facts = FindColorSpace(colorSpaceType);
    return facts != nullptr ? facts->clipNameKey : kPlainClipNameKey;
}

/// The clip's name in a block of host memory; null when the host gives none.
void* NameInHostMemory(const HostServices& host, const std::u16string& name) noexcept
{
    const std::size_t bytes = (name.size() + 1) * sizeof(char16_t);
    if (bytes > UINT32_MAX)
        return nullptr;
    void* block = host.Allocate(static_cast<std::uint32_t>(bytes));
    if (block != nullptr) {
        std::memcpy(block, name.data(), name.size() * sizeof(char16_t));
        std::memset(static_cast<char*>(block) + name.size() * sizeof(char16_t), 0, sizeof(char16_t));
    }
    return block;
}

} // namespace

// Rationale: a call without a request record (param2 null) is not a settings
// request at all and answers "not handled"; a null clip-name record (param1)
// still stores the settings and gives no name. Running out of memory before
// the settings are stored answers the memory error with nothing stored; no
// host block for the name only leaves the clip unnamed.
Result HandleAcquireSettings(const SelectorCall& call)
{
    void* request = call.Record2();
    if (request == nullptr)
        return kResultUnsupported;
    void* buffer = packed::LoadPtr(request, req::kSettingsBuffer);
    if (buffer == nullptr) {
        packed::StoreU32(request, req::kSettingsSize, static_cast<std::uint32_t>(kToneSettingsSize));
        return kResultSuccess;
    }
    if (packed::LoadU8(request, req::kSetupRequested) == 0)
        return kResultSuccess;

    const HostServices host(call.stdParms);
    ToneSettings settings = SettingsFromSequence(request);
    MatchSequence(host, packed::LoadU32(request, req::kSequenceId), settings);

    const dialog::ReviewResult review = dialog::ReviewSettings(settings);
    switch (review.outcome) {
    case dialog::ReviewOutcome::Cancelled: return kResultCancelled;
    case dialog::ReviewOutcome::OutOfMemory: return kResultMemoryError;
    case dialog::ReviewOutcome::Accepted: break;
    }

    // The name's text is made before anything is stored, so that running out
    // of memory for it leaves the host's buffer as it was.
    void* nameRecord = call.Record1();
    const std::u16string name = nameRecord == nullptr ? std::u16string()
                                                      : zelcore::config::Localizer::Get().Localize(
                                                            ClipNameKey(review.settings.colorSpaceType));
    StoreToneSettings(buffer, review.settings);
    if (nameRecord != nullptr)
        packed::StorePtr(nameRecord, records::ClipNameRecord::kClipName, NameInHostMemory(host, name));
    return kResultSuccess;
}

} // namespace bt
