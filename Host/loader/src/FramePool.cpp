#include "bthost/FramePool.h"

#include "FrameStore/FrameRecord.h"
#include "barsandtone/PackedBytes.h"

#include "barsandtone/HugePages.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace bthost {

namespace rec = FrameStore::FrameRecord;
using namespace bt::packed;

namespace {

constexpr std::size_t kGuardBytes = 64;
constexpr std::size_t kRowAlignment = 64;
constexpr std::int64_t kCacheLine = 64;
constexpr std::uint32_t kFrameMagic = 0x52465442; // bytes "BTFR" in the host's own part of the record
/// Rationale: one frame larger than this is refused rather than attempted.
constexpr std::size_t kLargestFrameBytes = std::size_t{1} << 32;

struct FormatRow {
    std::uint32_t code;
    std::int32_t bytesPerPixel;
};
constexpr std::array kFormats{
    FormatRow{0x41595556, 4},  // 8-bit V, U, Y, A
    FormatRow{0x37785556, 16}, // float V, U, Y, A
};

} // namespace

std::int32_t BytesPerPixelOfHostFormat(std::uint32_t pixelFormat) noexcept
{
    for (const FormatRow& row : kFormats)
        if (row.code == pixelFormat)
            return row.bytesPerPixel;
    return 0;
}

namespace {

/// A frame's memory, every byte kUntouchedByte to begin with; on huge pages
/// when it is at least one.
class FrameMemory {
public:
    explicit FrameMemory(std::size_t bytes)
        : mHuge(bytes >= bt::kHugePageBytes), mSize(mHuge ? bt::HugePageSize(bytes) : bytes),
          mData(static_cast<std::uint8_t*>(mHuge ? bt::AllocateHugePages(bytes) : ::operator new(bytes)))
    {
        Fill();
    }
    ~FrameMemory()
    {
        if (mHuge)
            bt::ReleaseHugePages(mData);
        else
            ::operator delete(mData);
    }
    FrameMemory(const FrameMemory&) = delete;
    FrameMemory& operator=(const FrameMemory&) = delete;

    void Fill() noexcept { std::fill(begin(), end(), kUntouchedByte); }
    [[nodiscard]] std::uint8_t* begin() const noexcept { return mData; }
    [[nodiscard]] std::uint8_t* end() const noexcept { return mData + mSize; }
    [[nodiscard]] std::uint8_t* data() const noexcept { return mData; }

private:
    bool mHuge;
    std::size_t mSize;
    std::uint8_t* mData;
};

} // namespace

struct FramePool::Frame {
    std::array<std::uint8_t, rec::kSize> record{};
    void* recordAddress = nullptr; ///< what the frame's handle points to
    std::unique_ptr<FrameMemory> storage; ///< none for a frame without memory
    std::size_t pixelOffset = 0;
    std::size_t pixelBytes = 0;
    bool withMemory = true;
    FrameCreation creation;
    FrameView view;

    BT_FrameHandle Handle() noexcept { return &recordAddress; }
};

FramePool::FramePool() = default;
FramePool::~FramePool() = default;

void FramePool::SetOptions(const FrameOptions& options)
{
    std::lock_guard lock(mMutex);
    mOptions = options;
}

void FramePool::FailCheck(int slot, bool fail)
{
    std::lock_guard lock(mMutex);
    if (slot >= 1 && slot <= 3)
        mFailing[slot] = fail;
}

std::int32_t FramePool::Create(BT_FrameHandle* out, const FrameCreation& creation)
{
    std::lock_guard lock(mMutex);
    ++mCreateCalls;
    const std::int32_t bpp = BytesPerPixelOfHostFormat(creation.pixelFormat);
    std::int64_t rowBytes = std::int64_t{creation.width} * bpp + std::max(mOptions.rowPadding, 0);
    // Rationale: rows an even number of cache lines apart share few cache
    // sets (a 4 KB pitch only one), and a fill that runs down a column (a
    // ramp) then misses the first-level cache on every row: it paints several
    // times slower. An odd number of lines spreads the rows over all sets.
    if (!mOptions.exactPitch && rowBytes % (2 * kCacheLine) == 0)
        rowBytes += kCacheLine;
    const bool makeable = bpp != 0 && creation.width > 0 && creation.height > 0 && rowBytes <= INT32_MAX &&
                          static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(creation.height) <=
                              kLargestFrameBytes;
    if (!makeable) {
        if (out != nullptr)
            *out = nullptr;
        return -1;
    }
    if (out == nullptr)
        return -1;

    const bool withMemory = !mOptions.withoutMemory;
    const std::size_t pixelBytes = static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(creation.height);
    // A pooled frame of the same layout keeps its memory as the last picture left it.
    auto reusable = std::find_if(mFree.begin(), mFree.end(), [&](const std::unique_ptr<Frame>& f) {
        return f->withMemory == withMemory && f->pixelBytes == pixelBytes && f->view.rowBytes == rowBytes;
    });
    std::unique_ptr<Frame> frame;
    if (reusable != mFree.end()) {
        frame = std::move(*reusable);
        mFree.erase(reusable);
        if (mOptions.refillReused && frame->storage)
            frame->storage->Fill();
    } else {
        frame = std::make_unique<Frame>();
        frame->withMemory = withMemory;
        frame->pixelBytes = pixelBytes;
        if (withMemory) {
            frame->storage = std::make_unique<FrameMemory>(pixelBytes + 2 * kGuardBytes + kRowAlignment);
            const auto start = reinterpret_cast<std::uintptr_t>(frame->storage->data()) + kGuardBytes;
            frame->pixelOffset = kGuardBytes + (kRowAlignment - start % kRowAlignment) % kRowAlignment;
        }
    }

    std::uint8_t* firstRow = withMemory ? frame->storage->data() + frame->pixelOffset : nullptr;
    frame->creation = creation;
    frame->view = FrameView{firstRow, static_cast<std::int32_t>(rowBytes), creation.width, creation.height,
                            creation.pixelFormat, bpp};
    frame->record.fill(0);
    StoreU32(frame->record.data(), 0, kFrameMagic);
    StorePtr(frame->record.data(), rec::kFirstRow, firstRow);
    StoreI32(frame->record.data(), rec::kRowPitch, static_cast<std::int32_t>(rowBytes));
    StoreI32(frame->record.data(), rec::kWidth, creation.width);
    StoreI32(frame->record.data(), rec::kHeight, creation.height);
    StoreU32(frame->record.data(), rec::kPixelFormat, creation.pixelFormat);
    frame->recordAddress = frame->record.data();
    *out = frame->Handle();
    mLive.push_back(std::move(frame));
    return 0;
}

FramePool::Frame* FramePool::Find(BT_FrameHandle handle) const
{
    for (const auto& frame : mLive)
        if (frame->Handle() == handle)
            return frame.get();
    return nullptr;
}

std::int32_t FramePool::Check(int slot, BT_FrameHandle handle, void* out)
{
    std::lock_guard lock(mMutex);
    mCheckCalls.push_back(slot);
    Frame* frame = Find(handle);
    if (frame == nullptr || slot < 1 || slot > 3 || mFailing[slot])
        return -1;
    if (out == nullptr)
        return 0;
    const FrameView& v = frame->view;
    switch (slot) {
    case 1:
        StorePtr(out, 0, v.firstRow);
        break;
    case 2:
        StoreI32(out, 0, v.width);
        StoreI32(out, 4, v.height);
        StoreI32(out, 8, v.rowBytes);
        StoreU32(out, 12, v.pixelFormat);
        break;
    default:
        StoreU32(out, 0, v.pixelFormat);
        break;
    }
    return 0;
}

std::optional<FrameView> FramePool::View(BT_FrameHandle handle) const
{
    std::lock_guard lock(mMutex);
    const Frame* frame = Find(handle);
    return frame == nullptr ? std::nullopt : std::optional(frame->view);
}

std::optional<FrameCreation> FramePool::Creation(BT_FrameHandle handle) const
{
    std::lock_guard lock(mMutex);
    const Frame* frame = Find(handle);
    return frame == nullptr ? std::nullopt : std::optional(frame->creation);
}

bool FramePool::OutsideUntouched(BT_FrameHandle handle) const
{
    std::lock_guard lock(mMutex);
    const Frame* frame = Find(handle);
    if (frame == nullptr)
        return false;
    if (!frame->withMemory)
        return true;
    const auto untouched = [](const std::uint8_t* begin, const std::uint8_t* end) {
        return std::all_of(begin, end, [](std::uint8_t b) { return b == kUntouchedByte; });
    };
    const std::uint8_t* data = frame->storage->data();
    const std::uint8_t* pixels = data + frame->pixelOffset;
    if (!untouched(data, pixels) || !untouched(pixels + frame->pixelBytes, frame->storage->end()))
        return false;
    const FrameView& v = frame->view;
    const std::size_t rowUsed = static_cast<std::size_t>(v.width) * static_cast<std::size_t>(v.bytesPerPixel);
    for (std::int32_t r = 0; r < v.height; ++r) {
        const std::uint8_t* row = pixels + static_cast<std::size_t>(r) * static_cast<std::size_t>(v.rowBytes);
        if (!untouched(row + rowUsed, row + v.rowBytes))
            return false;
    }
    return true;
}

void FramePool::Release(BT_FrameHandle handle)
{
    std::lock_guard lock(mMutex);
    auto it = std::find_if(mLive.begin(), mLive.end(),
                           [&](const std::unique_ptr<Frame>& f) { return f->Handle() == handle; });
    if (it == mLive.end())
        return;
    mFree.push_back(std::move(*it));
    mLive.erase(it);
}

std::size_t FramePool::LiveFrames() const
{
    std::lock_guard lock(mMutex);
    return mLive.size();
}

std::size_t FramePool::CreateCalls() const
{
    std::lock_guard lock(mMutex);
    return mCreateCalls;
}

std::vector<int> FramePool::CheckCalls() const
{
    std::lock_guard lock(mMutex);
    return mCheckCalls;
}

} // namespace bthost
