// Selector 37 and selector 9: clip descriptions from stored settings of any
// version and content, with the host's allocator failing where the fuzzer
// says, and every per-file record handed back. Input: the host profile, then
// up to three rounds of
//   u8 file-record flags, u32 file type, u8 stored-record kind, u8 stored size,
//   72 bytes of stored settings, 214 bytes of the clip information record.
// A round with stored settings keeps the block the module leaves for the next.

#include "ImporterBarsAndTone/HostRecords.h"
#include "ImporterBarsAndTone/ImporterAbi.h"
#include "barsandtone/PackedBytes.h"
#include "harness/FuzzHost.h"

#include <cmath>
#include <cstring>

namespace {

using namespace btfuzz;
using namespace bt::packed;
namespace ci = bt::records::ClipInfo;
namespace tsr = bt::records::ToneSettingsRecord;

constexpr int kRounds = 3;
constexpr std::uintptr_t kUnwritten = 0x5A5A5A5A5A5A5A5A; // in the per-file slot before the call

std::uint32_t FileType(std::uint8_t flags, std::uint32_t raw)
{
    switch ((flags >> 1) % 4) {
    case 0: return BT_FILETYPE_BARS;
    case 1: return BT_FILETYPE_HDBR;
    default: return raw;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ByteReader in(data, size);
    FuzzHost host(ReadHostProfile(in));
    void* stored = nullptr; // the clip's stored settings, a host block

    for (int round = 0; round < kRounds && !in.Empty(); ++round) {
        const auto fileFlags = in.Take<std::uint8_t>();
        const auto rawType = in.Take<std::uint32_t>();
        const auto kind = in.Take<std::uint8_t>();
        const auto storedSize = in.Take<std::uint8_t>();
        std::uint8_t content[tsr::kSize];
        in.TakeBytes(content, sizeof content);

        // The stored settings: none, a full-size record, or an older record
        // whose block holds only what that layout trusts, or more.
        if (stored == nullptr || (kind & 0x80u) != 0) {
            host.Release(stored);
            stored = nullptr;
            switch (kind % 3) {
            case 0: break;
            case 1:
                stored = host.HostBlock(tsr::kSize);
                std::memcpy(stored, content, tsr::kSize);
                break;
            default: {
                const std::size_t oldSize = tsr::kOlderSize + storedSize % (tsr::kSize - tsr::kOlderSize + 1);
                stored = host.HostBlock(oldSize);
                std::memcpy(stored, content, oldSize);
                StoreU32(stored, tsr::kVersion, tsr::kOlderVersion);
                break;
            }
            }
        }
        const bool old = stored != nullptr && LoadU32(stored, tsr::kVersion) == tsr::kOlderVersion;
        const std::size_t blocksBefore = host.LiveBlocks();

        ExactBlock fileRecord(bt::records::FileRecord::kMinSize);
        StoreU32(fileRecord.data(), bt::records::FileRecord::kFileType, FileType(fileFlags, rawType));
        ExactBlock info(ci::kMinSize);
        in.TakeBytes(info.data(), info.size());
        StorePtr(info.data(), ci::kPersisted, stored);
        Store(info.data(), ci::kPerFileRecord, kUnwritten);
        ExactBlock before(ci::kMinSize);
        std::memcpy(before.data(), info.data(), info.size());

        const std::int32_t result =
            host.Call(BT_SEL_GET_CLIP_INFO, (fileFlags & 1u) != 0 ? nullptr : fileRecord.data(), info.data());
        BT_FUZZ_CHECK(result == 0 || result == 4);

        void* storedAfter = LoadPtr(info.data(), ci::kPersisted);
        if (result == 4) {
            // Only the re-storing of an older record can fail, and then the
            // clip keeps its stored block and gets no per-file record.
            BT_FUZZ_CHECK(old);
            BT_FUZZ_CHECK(storedAfter == stored && host.IsLive(stored));
            BT_FUZZ_CHECK(Load<std::uintptr_t>(info.data(), ci::kPerFileRecord) == kUnwritten);
            BT_FUZZ_CHECK(host.LiveBlocks() == blocksBefore);
            continue;
        }

        if (old) {
            BT_FUZZ_CHECK(storedAfter != stored && !host.IsLive(stored));
            BT_FUZZ_CHECK(host.BlockSize(storedAfter) == tsr::kSize &&
                          LoadU32(storedAfter, tsr::kVersion) == tsr::kOlderVersion);
            stored = storedAfter;
        } else {
            BT_FUZZ_CHECK(storedAfter == stored);
            // A current record's picture fields come from it; an older one's from the host.
            BT_FUZZ_CHECK(LoadI64(info.data(), ci::kFrameDuration) ==
                          (stored != nullptr ? LoadI64(stored, tsr::kVideoFrameRate) : std::int64_t{8475667200}));
        }
        BT_FUZZ_CHECK(host.LiveBlocks() == blocksBefore);

        // The per-file record is a whole settings record; reading it all is
        // the check that it is that large, and it goes back through selector 9.
        void* perFile = LoadPtr(info.data(), ci::kPerFileRecord);
        BT_FUZZ_CHECK(perFile != nullptr && perFile != reinterpret_cast<void*>(kUnwritten));
        std::uint8_t copy[tsr::kSize];
        std::memcpy(copy, perFile, sizeof copy);
        const std::uint32_t count = LoadU32(copy, tsr::kAudioChannelCount);
        const std::uint32_t type = LoadU32(copy, tsr::kAudioChannelType);
        BT_FUZZ_CHECK(type == (count == 2 ? 2u : count == 6 ? 3u : 1u));
        BT_FUZZ_CHECK(LoadU32(info.data(), ci::kAudioChannels) == count);
        // Five seconds at the record's rate: the count takes the rate's sign.
        const float rate = LoadF32(copy, 4);
        const std::int64_t samples = LoadI64(info.data(), ci::kAudioSamples);
        BT_FUZZ_CHECK(rate > 0.0f ? samples >= 0 : rate < 0.0f ? samples <= 0 : samples == 0);
        BT_FUZZ_CHECK(LoadF32(info.data(), ci::kAudioRate) == rate || std::isnan(rate));
        BT_FUZZ_CHECK(host.Call(BT_SEL_RELEASE_FILE_RECORD, std::intptr_t{0}, reinterpret_cast<std::intptr_t>(perFile)) == 0);
    }
    BT_FUZZ_CHECK(host.Call(BT_SEL_RELEASE_FILE_RECORD, std::intptr_t{0}, std::intptr_t{0}) == 0);
    host.Release(stored);
    BT_FUZZ_CHECK(host.LiveBlocks() == 0);
    return 0;
}
