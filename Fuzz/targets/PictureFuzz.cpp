// Selectors 27, 73 and 47: the pixel format, the colour description and the
// picture, for settings, indexes, size pairs and host behaviour from the
// fuzzer. Input: the host profile, then up to four requests, each
//   u8 selector choice, u8 settings choice, i64 index, 72 bytes of settings,
//   u8 size-pair and frame-slot flags, i32 width, i32 height, 16 bytes handed on.

#include "ImporterBarsAndTone/HostRecords.h"
#include "ImporterBarsAndTone/ImporterAbi.h"
#include "barsandtone/PackedBytes.h"
#include "harness/FuzzHost.h"

#include <cstring>

namespace {

using namespace btfuzz;
using namespace bt::packed;
namespace rec = bt::records;
namespace tsr = rec::ToneSettingsRecord;

constexpr int kRequestsPerInput = 4;

struct SettingsChoice {
    const void* first;
    const void* second;
};

SettingsChoice Choose(std::uint8_t choice, const ExactBlock& settings)
{
    switch (choice % 4) {
    case 0: return {settings.data(), nullptr};
    case 1: return {nullptr, settings.data()};
    case 2: return {settings.data(), settings.data()};
    default: return {nullptr, nullptr};
    }
}

bool OnlyBytesWritten(const ExactBlock& before, const ExactBlock& after, std::size_t from, std::size_t to)
{
    for (std::size_t i = 0; i < after.size(); ++i)
        if ((i < from || i >= to) && before.data()[i] != after.data()[i])
            return false;
    return true;
}

void PixelFormat(FuzzHost& host, std::intptr_t index, SettingsChoice s)
{
    namespace r = rec::PixelFormatRequest;
    ExactBlock request(r::kMinSize);
    StorePtr(request.data(), r::kSettingsFirst, s.first);
    StorePtr(request.data(), r::kSettingsSecond, s.second);
    ExactBlock before(r::kMinSize);
    std::memcpy(before.data(), request.data(), request.size());

    const std::int32_t result = host.Call(BT_SEL_GET_PIXEL_FORMAT, index, reinterpret_cast<std::intptr_t>(request.data()));
    BT_FUZZ_CHECK(result == 0 || result == 301);
    BT_FUZZ_CHECK(result == 0 || std::memcmp(before.data(), request.data(), request.size()) == 0);
    BT_FUZZ_CHECK(OnlyBytesWritten(before, request, r::kPixelFormat, r::kPixelFormat + 4));
    if (result == 0) {
        const std::uint32_t code = LoadU32(request.data(), r::kPixelFormat);
        BT_FUZZ_CHECK(code == kFloatFrameCode || code == kByteFrameCode);
    }
}

void ColourDescription(FuzzHost& host, std::intptr_t index, SettingsChoice s)
{
    namespace r = rec::ColorDescription;
    ExactBlock request(r::kMinSize);
    StorePtr(request.data(), r::kSettings, s.first != nullptr ? s.first : s.second);
    ExactBlock before(r::kMinSize);
    std::memcpy(before.data(), request.data(), request.size());

    const std::int32_t result =
        host.Call(BT_SEL_GET_COLOR_DESCRIPTION, index, reinterpret_cast<std::intptr_t>(request.data()));
    BT_FUZZ_CHECK(result == 0 || result == 19);
    if (result != 0) {
        BT_FUZZ_CHECK(std::memcmp(before.data(), request.data(), request.size()) == 0);
        return;
    }
    // Written: the kind word and the words from the primaries on; the rest is the host's.
    BT_FUZZ_CHECK(std::memcmp(before.data(), request.data(), r::kKind) == 0);
    BT_FUZZ_CHECK(std::memcmp(before.data() + r::kKind + 4, request.data() + r::kKind + 4,
                              r::kPrimaries - r::kKind - 4) == 0);
    BT_FUZZ_CHECK(LoadU32(request.data(), r::kKind) == 3);
    BT_FUZZ_CHECK(LoadU32(request.data(), r::kZero72) == 0);
}

void Picture(FuzzHost& host, ByteReader& in, SettingsChoice s, const ExactBlock& settings)
{
    namespace r = rec::PictureRequest;
    const auto flags = in.Take<std::uint8_t>();
    const auto proposedWidth = in.Take<std::int32_t>();
    const auto proposedHeight = in.Take<std::int32_t>();

    ExactBlock request(r::kMinSize);
    ExactBlock sizePair(8);
    StoreI32(sizePair.data(), 0, proposedWidth);
    StoreI32(sizePair.data(), 4, proposedHeight);
    ExactBlock frameSlot(sizeof(void*));
    StorePtr(frameSlot.data(), 0, nullptr);
    StorePtr(request.data(), r::kSettingsFirst, s.first);
    StorePtr(request.data(), r::kSettingsSecond, s.second);
    StorePtr(request.data(), r::kSizePair, (flags & 1u) != 0 ? nullptr : sizePair.data());
    StorePtr(request.data(), r::kFrameOut, (flags & 2u) != 0 ? nullptr : frameSlot.data());
    in.TakeBytes(request.data() + r::kPassOn, 16);
    ExactBlock before(r::kMinSize);
    std::memcpy(before.data(), request.data(), request.size());

    const std::int32_t result = host.Call(BT_SEL_GET_PICTURE, std::intptr_t{0}, reinterpret_cast<std::intptr_t>(request.data()));
    BT_FUZZ_CHECK(result == 0 || result == 3 || result == 5 || result == 301);
    BT_FUZZ_CHECK(std::memcmp(before.data(), request.data(), request.size()) == 0 && "the request record was written");
    host.CheckFrames(result == 0);

    // The size pair changes only for a current record, and then to its size.
    const void* chosen = s.first != nullptr ? s.first : s.second;
    const bool current = chosen != nullptr && LoadU32(chosen, tsr::kVersion) == tsr::kCurrentVersion;
    const bool pairWritten = LoadI32(sizePair.data(), 0) != proposedWidth || LoadI32(sizePair.data(), 4) != proposedHeight;
    if (pairWritten) {
        BT_FUZZ_CHECK(current);
        BT_FUZZ_CHECK(LoadI32(sizePair.data(), 0) == LoadI32(settings.data(), tsr::kFrameWidth));
        BT_FUZZ_CHECK(LoadI32(sizePair.data(), 4) == LoadI32(settings.data(), tsr::kFrameHeight));
    }
    host.ReleaseFrames();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ByteReader in(data, size);
    FuzzHost host(ReadHostProfile(in));
    for (int i = 0; i < kRequestsPerInput && !in.Empty(); ++i) {
        const auto selector = in.Take<std::uint8_t>();
        const auto settingsChoice = in.Take<std::uint8_t>();
        const auto index = static_cast<std::intptr_t>(in.Take<std::int64_t>());
        const ExactBlock settings = ReadSettings(in);
        const SettingsChoice s = Choose(settingsChoice, settings);
        switch (selector % 3) {
        case 0: PixelFormat(host, index, s); break;
        case 1: ColourDescription(host, index, s); break;
        default: Picture(host, in, s, settings); break;
        }
    }
    BT_FUZZ_CHECK(host.LiveBlocks() == 0);
    return 0;
}
