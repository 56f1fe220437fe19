#include "FrameStore/FrameStore.h"

#include "FrameStore/FrameRecord.h"
#include "barsandtone/PackedBytes.h"

namespace {

namespace rec = FrameStore::FrameRecord;

const void* Record(CPixFrameHandle frame) noexcept
{
    return frame == nullptr ? nullptr : bt::packed::LoadPtr(frame, 0);
}

} // namespace

std::int32_t cpixGetRowbytes(CPixFrameHandle frame) noexcept
{
    const void* record = Record(frame);
    return record == nullptr ? 0 : bt::packed::LoadI32(record, rec::kRowPitch);
}

void* cpixGetPixels(CPixFrameHandle frame) noexcept
{
    const void* record = Record(frame);
    return record == nullptr ? nullptr : bt::packed::LoadPtr(record, rec::kFirstRow);
}

std::int32_t cpixGetWidth(CPixFrameHandle frame) noexcept
{
    const void* record = Record(frame);
    return record == nullptr ? 0 : bt::packed::LoadI32(record, rec::kWidth);
}

std::int32_t cpixGetHeight(CPixFrameHandle frame) noexcept
{
    const void* record = Record(frame);
    return record == nullptr ? 0 : bt::packed::LoadI32(record, rec::kHeight);
}

std::uint32_t cpixGetPixelFormat(CPixFrameHandle frame) noexcept
{
    const void* record = Record(frame);
    return record == nullptr ? 0 : bt::packed::LoadU32(record, rec::kPixelFormat);
}
