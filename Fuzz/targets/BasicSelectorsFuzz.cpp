// The selectors the entry answers itself (0, 14, 28) and every selector it
// does not handle, with indexes and record contents from the fuzzer; plus the
// describe call. Input: the host profile, then up to eight calls of
//   u32 selector, i64 first parameter, 64 bytes spread over the records.
// Selectors with records of their own (9, 25, 27, 37, 38, 47, 49, 73) have
// their own targets; here they become unhandled numbers.

#include "ImporterBarsAndTone/HostRecords.h"
#include "ImporterBarsAndTone/ImporterAbi.h"
#include "barsandtone/PackedBytes.h"
#include "harness/FuzzHost.h"

#include <array>
#include <cstring>

namespace {

using namespace btfuzz;
using namespace bt::packed;
namespace rec = bt::records;

constexpr int kCallsPerInput = 8;
constexpr std::array<std::uint32_t, 8> kOwnTargets{9, 25, 27, 37, 38, 47, 49, 73};

bool Same(const ExactBlock& a, const ExactBlock& b) { return std::memcmp(a.data(), b.data(), a.size()) == 0; }

ExactBlock CopyOf(const ExactBlock& block)
{
    ExactBlock copy(block.size());
    std::memcpy(copy.data(), block.data(), block.size());
    return copy;
}

/// Whether only the listed byte ranges differ.
bool OnlyRangesDiffer(const ExactBlock& before, const ExactBlock& after,
                      std::initializer_list<std::pair<std::size_t, std::size_t>> ranges)
{
    for (std::size_t i = 0; i < after.size(); ++i) {
        bool inside = false;
        for (const auto& [from, length] : ranges)
            inside = inside || (i >= from && i < from + length);
        if (!inside && before.data()[i] != after.data()[i])
            return false;
    }
    return true;
}

std::int32_t CountingDescribe(void* context, const char*, const char* matchName, const char*, const char* empty,
                              std::uint32_t kind, std::int32_t, std::int32_t, std::int32_t)
{
    ++*static_cast<int*>(context);
    BT_FUZZ_CHECK(std::strcmp(matchName, "TELV Bars and Tone") == 0 && empty[0] == '\0' && kind == BT_KIND_IMPT);
    return 7;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ByteReader in(data, size);
    FuzzHost host(ReadHostProfile(in));

    int describes = 0;
    BT_FUZZ_CHECK(PluginDataEntryFunction(&describes, &CountingDescribe) == 7 && describes == 1);
    BT_FUZZ_CHECK(PluginDataEntryFunction(nullptr, nullptr) != 0);

    for (int call = 0; call < kCallsPerInput && !in.Empty(); ++call) {
        std::uint32_t selector = in.Take<std::uint32_t>();
        if (selector < 74 && (selector & 0x40u) == 0)
            selector &= 0x1Fu; // mostly the small numbers that matter
        for (std::uint32_t own : kOwnTargets)
            if (selector == own)
                selector = 74 + own;
        const auto param1 = static_cast<std::intptr_t>(in.Take<std::int64_t>());

        ExactBlock first(selector == BT_SEL_STARTUP ? rec::ImporterDescription::kMinSize : 64);
        ExactBlock second(selector == BT_SEL_GET_FILE_TYPE ? rec::FileTypeRecord::kMinSize : 64);
        in.TakeBytes(first.data(), 32);
        in.TakeBytes(second.data(), 32);
        const ExactBlock firstBefore = CopyOf(first);
        const ExactBlock secondBefore = CopyOf(second);

        if (selector == BT_SEL_STARTUP) {
            BT_FUZZ_CHECK(host.Call(selector, first.data(), second.data()) == 400);
            namespace r = rec::ImporterDescription;
            BT_FUZZ_CHECK(OnlyRangesDiffer(firstBefore, first, {{r::kFileType, 4}, {r::kFlag28, 12}, {r::kFlag44, 4},
                                                                {r::kFlag149, 4}}));
            BT_FUZZ_CHECK(LoadU32(first.data(), r::kFileType) == BT_FILETYPE_BARS &&
                          LoadU32(first.data(), r::kFlag149) == 1);
            BT_FUZZ_CHECK(Same(second, secondBefore));
        } else if (selector == BT_SEL_GET_FILE_TYPE) {
            const std::int32_t result = host.Call(selector, param1, reinterpret_cast<std::intptr_t>(second.data()));
            namespace r = rec::FileTypeRecord;
            if (param1 == 0 || param1 == 1) {
                BT_FUZZ_CHECK(result == 0);
                BT_FUZZ_CHECK(LoadU32(second.data(), r::kFileType) == (param1 == 0 ? BT_FILETYPE_BARS : BT_FILETYPE_HDBR));
                BT_FUZZ_CHECK(OnlyRangesDiffer(secondBefore, second, {{r::kFileType, 4}, {r::kText12, 1},
                                                                      {r::kText268, 1}, {r::kBlock300, r::kBlock300Size}}));
            } else {
                BT_FUZZ_CHECK(result == 301 && Same(second, secondBefore));
            }
        } else {
            const std::int32_t result = host.Call(selector, first.data(), second.data());
            BT_FUZZ_CHECK(result == (selector == BT_SEL_QUERY ? 100 : 3));
            BT_FUZZ_CHECK(Same(first, firstBefore) && Same(second, secondBefore));
        }
    }
    BT_FUZZ_CHECK(host.LiveBlocks() == 0);
    return 0;
}
