// The selectors the entry answers itself: start-up, file types, the query and
// the release of per-file records.
//
// Rationale: a call whose required record is null has nothing to fill; it is
// answered as not handled (3) and touches nothing.

#include "ImporterBarsAndTone/HostRecords.h"
#include "barsandtone/PackedBytes.h"
#include "host/SelectorCall.h"
#include "host/ToneSettings.h"

#include <array>
#include <cstring>

namespace bt {

namespace {
constexpr std::array<std::uint32_t, 2> kFileTypes{BT_FILETYPE_BARS, BT_FILETYPE_HDBR};
}

Result HandleStartup(const SelectorCall& call)
{
    void* record = call.Record1();
    if (record == nullptr)
        return kResultStartupAnswer;
    namespace r = records::ImporterDescription;
    packed::StoreU32(record, r::kFileType, BT_FILETYPE_BARS);
    packed::StoreU32(record, r::kFlag28, 1);
    packed::StoreU32(record, r::kFlag32, 1);
    packed::StoreU32(record, r::kFlag36, 0);
    packed::StoreU32(record, r::kFlag44, 0);
    packed::StoreU32(record, r::kFlag149, 1);
    return kResultStartupAnswer;
}

Result HandleReleaseFileRecord(const SelectorCall& call)
{
    // The per-file record from selector 37, ours until now.
    delete static_cast<ToneSettings*>(call.Record2());
    return kResultSuccess;
}

Result HandleGetFileType(const SelectorCall& call)
{
    if (call.param1 < 0 || static_cast<std::size_t>(call.param1) >= kFileTypes.size())
        return kResultBadIndex;
    void* record = call.Record2();
    if (record == nullptr)
        return kResultUnsupported;
    namespace r = records::FileTypeRecord;
    packed::StoreU32(record, r::kFileType, kFileTypes[static_cast<std::size_t>(call.param1)]);
    packed::StoreU8(record, r::kText12, 0);
    packed::StoreU8(record, r::kText268, 0);
    std::memset(static_cast<unsigned char*>(record) + r::kBlock300, 0, r::kBlock300Size);
    return kResultSuccess;
}

Result HandleQuery(const SelectorCall&) { return kResultQueryAnswer; }

} // namespace bt
