#include "bthost/NewClip.h"

#include "ImporterBarsAndTone/HostRecords.h"
#include "barsandtone/PackedBytes.h"

#include <algorithm>
#include <cstring>

namespace bthost {

namespace {
namespace req = bt::records::SettingsRequest;
namespace name = bt::records::ClipNameRecord;
using namespace bt::packed;

/// A zero-terminated UTF-16 text in a host block, read no further than the block.
std::u16string ReadName(const HostMemory& memory, const void* block)
{
    const std::size_t units = memory.BlockSize(block) / sizeof(char16_t);
    std::u16string text;
    for (std::size_t i = 0; i < units; ++i) {
        char16_t unit = 0;
        std::memcpy(&unit, static_cast<const char*>(block) + i * sizeof(char16_t), sizeof unit);
        if (unit == 0)
            break;
        text.push_back(unit);
    }
    return text;
}
} // namespace

NewClipSettings AcquireNewClipSettings(Host& host, const SequenceProperties& sequence, std::uint8_t setupRequested)
{
    NewClipSettings out;
    std::vector<std::uint8_t> request(req::kMinSize, 0);
    std::vector<std::uint8_t> nameRecord(name::kMinSize, 0);

    StorePtr(request.data(), req::kSettingsBuffer, nullptr);
    out.sizeResult = host.Call(BT_SEL_ACQUIRE_SETTINGS, nameRecord.data(), request.data());
    out.size = LoadU32(request.data(), req::kSettingsSize);

    // Rationale: the buffer is never smaller than a settings record, so a
    // module that reports less cannot make the host's buffer overflow. It is
    // the host's own memory, not a block of the ledger, so that tests can
    // make the module's allocations fail alone.
    constexpr auto kRecordSize = static_cast<std::uint32_t>(bt::records::ToneSettingsRecord::kSize);
    std::vector<std::uint8_t> buffer(std::max(out.size, kRecordSize), 0xCD);
    StorePtr(request.data(), req::kSettingsBuffer, buffer.data());
    StoreU32(request.data(), req::kSettingsSize, out.size);
    StoreU8(request.data(), req::kSetupRequested, setupRequested);
    StoreU32(request.data(), req::kSequenceId, sequence.sequenceId);
    StoreI32(request.data(), req::kWidth, sequence.width);
    StoreI32(request.data(), req::kHeight, sequence.height);
    StoreU32(request.data(), req::kParNum, sequence.parNum);
    StoreU32(request.data(), req::kParDen, sequence.parDen);
    StoreI32(request.data(), req::kRateNum, sequence.rateNum);
    StoreI32(request.data(), req::kRateDen, sequence.rateDen);
    StoreF32(request.data(), req::kAudioRate, sequence.audioRate);

    out.result = host.Call(BT_SEL_ACQUIRE_SETTINGS, nameRecord.data(), request.data());
    out.stored = std::move(buffer);

    if (void* clipName = LoadPtr(nameRecord.data(), name::kClipName)) {
        out.clipName = ReadName(host.Memory(), clipName);
        host.Memory().Release(clipName);
    }
    return out;
}

} // namespace bthost
