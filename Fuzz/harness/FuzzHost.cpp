#include "harness/FuzzHost.h"

#include "FrameStore/FrameRecord.h"
#include "ImporterBarsAndTone/HostRecords.h"
#include "ImporterBarsAndTone/ImporterAbi.h"
#include "MediaBridge/CvSDKGuid.h"
#include "barsandtone/PackedBytes.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace btfuzz {

namespace rec = bt::records;
namespace fr = FrameStore::FrameRecord;
using namespace bt::packed;

void Fail(const char* what, const char* file, int line)
{
    std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", what, file, line);
    std::abort();
}

namespace {

FuzzHost* gCurrent = nullptr;

struct SuiteSpec {
    const char* name;
    std::int32_t version;
    std::uint8_t bit;
    std::size_t tableBytes; ///< exactly the slots the module may use
};
constexpr std::array kSuiteSpecs{
    SuiteSpec{rec::CPixCreatorSuite::kName, rec::CPixCreatorSuite::kVersion, kCreatorSuite,
              rec::CPixCreatorSuite::kCreateFrame + 8},
    SuiteSpec{rec::CPixSuite::kName, rec::CPixSuite::kVersion, kPictureSuite, rec::CPixSuite::kCheck3 + 8},
    SuiteSpec{rec::PixelFormatSuite::kName, rec::PixelFormatSuite::kVersion, kPixelFormatSuite, 8},
    SuiteSpec{rec::SequenceInfoSuite::kName, rec::SequenceInfoSuite::kVersion, kSequenceSuite,
              rec::SequenceInfoSuite::kGetWorkingColorSpace + 8},
};

const SuiteSpec* FindSuite(const char* name, std::int32_t version)
{
    if (name == nullptr)
        return nullptr;
    for (const SuiteSpec& spec : kSuiteSpecs)
        if (std::strcmp(spec.name, name) == 0 && spec.version == version)
            return &spec;
    return nullptr;
}

// The host's C functions.
void* HostAllocate(std::uint32_t size) { return FuzzHost::Current().Allocate(size); }
void HostRelease(void* block) { FuzzHost::Current().Release(block); }
const void* HostGetBasicSuite() { return FuzzHost::Current().BasicSuite(); }
std::int32_t HostAcquire(const char* name, std::int32_t version, const void** suite)
{
    return FuzzHost::Current().AcquireSuite(name, version, suite);
}
std::int32_t HostReleaseSuite(const char* name, std::int32_t version)
{
    return FuzzHost::Current().ReleaseSuite(name, version);
}

std::int32_t HostCreateFrame(BT_FrameHandle* out, std::int32_t, std::uint32_t format, std::int32_t width,
                             std::int32_t height, std::uint8_t, std::int32_t, std::uint32_t, std::uint32_t,
                             BT_HostOpaque16)
{
    return FuzzHost::Current().CreateFrame(out, format, width, height);
}

// The checks write as much as a host may into the module's buffers.
std::int32_t HostCheck1(BT_FrameHandle frame, std::int32_t, void** out)
{
    const FuzzHost& host = FuzzHost::Current();
    const CreatedFrame* f = host.FindFrame(frame);
    if (f == nullptr)
        return -1;
    if (out != nullptr)
        *out = f->firstRow;
    return host.CheckResult(1);
}

std::int32_t HostCheck2(BT_FrameHandle frame, void* out16)
{
    const FuzzHost& host = FuzzHost::Current();
    const CreatedFrame* f = host.FindFrame(frame);
    if (f == nullptr)
        return -1;
    if (out16 != nullptr) {
        StoreI32(out16, 0, f->width);
        StoreI32(out16, 4, f->height);
        StoreI32(out16, 8, f->rowBytes);
        StoreU32(out16, 12, f->format);
    }
    return host.CheckResult(2);
}

std::int32_t HostCheck3(BT_FrameHandle frame, std::int32_t* out)
{
    const FuzzHost& host = FuzzHost::Current();
    const CreatedFrame* f = host.FindFrame(frame);
    if (f == nullptr)
        return -1;
    if (out != nullptr)
        *out = static_cast<std::int32_t>(f->format);
    return host.CheckResult(3);
}

std::int32_t HostGetDropFrame(std::uint32_t, std::int32_t* dropFrame)
{
    if (dropFrame != nullptr)
        *dropFrame = FuzzHost::Current().Profile().dropFrameAnswer;
    return 0;
}

std::int32_t HostGetWorkingColorSpace(std::uint32_t, CvSDKGuid* id)
{
    const HostProfile& p = FuzzHost::Current().Profile();
    if (!p.answerColourSpace)
        return -1;
    if (id != nullptr)
        std::memcpy(id, p.colourSpaceId.data(), p.colourSpaceId.size());
    return 0;
}

template <typename Fn>
void StoreFn(ExactBlock& table, std::size_t offset, Fn fn)
{
    StorePtr(table.data(), offset, reinterpret_cast<const void*>(fn));
}

// The working spaces a host names, plus one it cannot convert: the fuzzer
// picks one, or gives all 16 bytes itself.
constexpr std::array<std::uint16_t, 5> kWorkingSpaceTails{0x0709, 0x2100, 0x2084, 0x0601, 0xD0C1};

std::array<std::uint8_t, 16> WorkingSpaceId(std::uint16_t tail)
{
    std::array<std::uint8_t, 16> id{0x2E, 0x6C, 0x1A, 0x5D, 0x7F, 0x0B, 0x21, 0x4E,
                                    0x9A, 0x35, 0x7C, 0x0E, 0x11, 0xD4, 0, 0};
    id[14] = static_cast<std::uint8_t>(tail >> 8);
    id[15] = static_cast<std::uint8_t>(tail & 0xFF);
    return id;
}

} // namespace

HostProfile ReadHostProfile(ByteReader& in)
{
    HostProfile p;
    const auto services = in.Take<std::uint8_t>();
    p.offerBasicSuite = (services & 1u) == 0;
    p.withMemoryFunctions = (services & 2u) == 0;
    p.withUtilityFunctions = (services & 4u) == 0;
    p.failLaterAllocations = (services & 8u) != 0;
    p.bottomUpMemory = (services & 16u) != 0;
    p.answerColourSpace = (services & 32u) == 0;
    p.refusedSuites = in.Take<std::uint8_t>();
    p.nullSlotSuites = in.Take<std::uint8_t>();
    const auto failAt = in.Take<std::uint8_t>();
    p.failAllocationAt = failAt == 0 ? -1 : failAt - 1;
    p.frameMode = static_cast<FrameMode>(in.Choose(static_cast<std::uint32_t>(FrameMode::kCount)));
    p.ownWidth = in.Take<std::int16_t>();
    p.ownHeight = in.Take<std::int16_t>();
    p.rowPadding = in.Take<std::uint8_t>();
    for (int slot = 1; slot <= 3; ++slot)
        p.checkResults[static_cast<std::size_t>(slot)] = in.Take<std::int8_t>();
    p.dropFrameAnswer = in.Take<std::int32_t>();
    const auto space = in.Take<std::uint8_t>();
    std::array<std::uint8_t, 16> raw{};
    in.TakeBytes(raw.data(), raw.size());
    p.colourSpaceId = space < kWorkingSpaceTails.size() * 40 ? WorkingSpaceId(kWorkingSpaceTails[space % 5]) : raw;
    return p;
}

FuzzHost::FuzzHost(const HostProfile& profile)
    : mProfile(profile), mStdParms(rec::StdParms::kSuiteTable + 8),
      mSuiteTable(rec::SuiteTable::kUtilityFunctions + 8), mMemoryFunctions(rec::MemoryFunctions::kRelease + 8),
      mUtilityFunctions(rec::UtilityFunctions::kGetBasicSuite + 8), mBasicSuite(rec::BasicSuite::kRelease + 8)
{
    gCurrent = this;
    StoreFn(mMemoryFunctions, rec::MemoryFunctions::kAllocate, &HostAllocate);
    StoreFn(mMemoryFunctions, rec::MemoryFunctions::kRelease, &HostRelease);
    StoreFn(mUtilityFunctions, rec::UtilityFunctions::kGetBasicSuite, &HostGetBasicSuite);
    StoreFn(mBasicSuite, rec::BasicSuite::kAcquire, &HostAcquire);
    StoreFn(mBasicSuite, rec::BasicSuite::kRelease, &HostReleaseSuite);
    StorePtr(mSuiteTable.data(), rec::SuiteTable::kMemoryFunctions,
             profile.withMemoryFunctions ? mMemoryFunctions.data() : nullptr);
    StorePtr(mSuiteTable.data(), rec::SuiteTable::kUtilityFunctions,
             profile.withUtilityFunctions ? mUtilityFunctions.data() : nullptr);
    StorePtr(mStdParms.data(), rec::StdParms::kSuiteTable, mSuiteTable.data());

    for (const SuiteSpec& spec : kSuiteSpecs) {
        ExactBlock table(spec.tableBytes);
        std::memset(table.data(), 0, table.size());
        if ((profile.nullSlotSuites & spec.bit) == 0) {
            if (spec.bit == kCreatorSuite) {
                StoreFn(table, rec::CPixCreatorSuite::kCreateFrame, &HostCreateFrame);
            } else if (spec.bit == kPictureSuite) {
                StoreFn(table, rec::CPixSuite::kCheck1, &HostCheck1);
                StoreFn(table, rec::CPixSuite::kCheck2, &HostCheck2);
                StoreFn(table, rec::CPixSuite::kCheck3, &HostCheck3);
            } else if (spec.bit == kSequenceSuite) {
                StoreFn(table, rec::SequenceInfoSuite::kGetDropFrame, &HostGetDropFrame);
                StoreFn(table, rec::SequenceInfoSuite::kGetWorkingColorSpace, &HostGetWorkingColorSpace);
            }
        }
        mSuiteTables.emplace(spec.name, std::move(table));
    }
}

FuzzHost::~FuzzHost()
{
    if (gCurrent == this)
        gCurrent = nullptr;
}

FuzzHost& FuzzHost::Current()
{
    BT_FUZZ_CHECK(gCurrent != nullptr);
    return *gCurrent;
}

std::int32_t FuzzHost::Call(std::uint32_t selector, std::intptr_t param1, std::intptr_t param2)
{
    const std::int32_t result = xImportEntry(selector, mStdParms.data(), param1, param2);
    for (const auto& [name, count] : mOutstanding)
        BT_FUZZ_CHECK(count == 0 && "a suite stayed acquired after the call");
    return result;
}

std::int32_t FuzzHost::Call(std::uint32_t selector, const void* record1, const void* record2)
{
    return Call(selector, reinterpret_cast<std::intptr_t>(record1), reinterpret_cast<std::intptr_t>(record2));
}

void* FuzzHost::Allocate(std::uint32_t size)
{
    const std::int32_t index = mAllocations++;
    if (mProfile.failAllocationAt >= 0 &&
        (index == mProfile.failAllocationAt || (mProfile.failLaterAllocations && index > mProfile.failAllocationAt)))
        return nullptr;
    if (size > kLargestBlockBytes)
        return nullptr;
    return HostBlock(size);
}

void* FuzzHost::HostBlock(std::size_t size)
{
    ExactBlock block(size);
    void* address = block.data();
    mBlocks.emplace(address, std::move(block));
    return address;
}

void FuzzHost::Release(void* block)
{
    if (block == nullptr)
        return;
    auto it = mBlocks.find(block);
    BT_FUZZ_CHECK(it != mBlocks.end() && "the module released a block the host never gave");
    mBlocks.erase(it);
}

std::size_t FuzzHost::BlockSize(const void* block) const
{
    auto it = mBlocks.find(block);
    return it == mBlocks.end() ? 0 : it->second.size();
}

const void* FuzzHost::BasicSuite() const { return mProfile.offerBasicSuite ? mBasicSuite.data() : nullptr; }

std::int32_t FuzzHost::AcquireSuite(const char* name, std::int32_t version, const void** suite)
{
    const SuiteSpec* spec = FindSuite(name, version);
    if (spec == nullptr || (mProfile.refusedSuites & spec->bit) != 0) {
        if (suite != nullptr)
            *suite = nullptr;
        return -1;
    }
    BT_FUZZ_CHECK(suite != nullptr);
    *suite = mSuiteTables.at(spec->name).data();
    ++mOutstanding[spec->name];
    return 0;
}

std::int32_t FuzzHost::ReleaseSuite(const char* name, std::int32_t version)
{
    const SuiteSpec* spec = FindSuite(name, version);
    BT_FUZZ_CHECK(spec != nullptr && "the module released a suite the host does not offer");
    int& count = mOutstanding[spec->name];
    BT_FUZZ_CHECK(count > 0 && "the module released a suite it did not hold");
    --count;
    return 0;
}

std::int32_t FuzzHost::CreateFrame(BT_FrameHandle* out, std::uint32_t format, std::int32_t width,
                                   std::int32_t height)
{
    BT_FUZZ_CHECK(out != nullptr);
    const FrameMode mode = mProfile.frameMode;
    if (mode == FrameMode::Refuse || mode == FrameMode::RefuseQuietly) {
        *out = nullptr;
        return mode == FrameMode::Refuse ? -1 : 0;
    }
    if (mode == FrameMode::OwnSize) {
        width = mProfile.ownWidth;
        height = mProfile.ownHeight;
    }
    if (mode == FrameMode::OtherFormat)
        format = format == kFloatFrameCode ? kByteFrameCode : kFloatFrameCode;
    const std::int32_t bpp = format == kFloatFrameCode ? 16 : format == kByteFrameCode ? 4 : 0;
    const std::int64_t rowBytes = std::int64_t{width} * bpp + mProfile.rowPadding;
    if (bpp == 0 || width <= 0 || height <= 0 ||
        static_cast<std::uint64_t>(rowBytes) * static_cast<std::uint64_t>(height) > kLargestFrameBytes) {
        *out = nullptr;
        return -1;
    }

    auto frame = std::make_unique<CreatedFrame>();
    frame->width = width;
    frame->height = height;
    frame->bytesPerPixel = bpp;
    frame->format = format;
    frame->rowBytes = static_cast<std::int32_t>(mProfile.bottomUpMemory ? -rowBytes : rowBytes);
    if (mode != FrameMode::WithoutMemory) {
        frame->pixels = ExactBlock(static_cast<std::size_t>(rowBytes * height));
        frame->firstRow = frame->pixels.data() + (mProfile.bottomUpMemory ? rowBytes * (height - 1) : 0);
    }
    frame->record = ExactBlock(fr::kSize);
    std::memset(frame->record.data(), 0, frame->record.size());
    StorePtr(frame->record.data(), fr::kFirstRow, frame->firstRow);
    StoreI32(frame->record.data(), fr::kRowPitch, frame->rowBytes);
    StoreI32(frame->record.data(), fr::kWidth, width);
    StoreI32(frame->record.data(), fr::kHeight, height);
    StoreU32(frame->record.data(), fr::kPixelFormat, format);
    frame->handleCell = ExactBlock(sizeof(void*));
    StorePtr(frame->handleCell.data(), 0, frame->record.data());
    frame->handle = frame->handleCell.data();
    *out = frame->handle;
    mFrames.push_back(std::move(frame));
    return 0;
}

const CreatedFrame* FuzzHost::FindFrame(BT_FrameHandle handle) const
{
    for (const auto& frame : mFrames)
        if (frame->handle == handle)
            return frame.get();
    return nullptr;
}

void FuzzHost::CheckFrames(bool painted) const
{
    for (const auto& frame : mFrames) {
        const std::uint8_t* bytes = frame->pixels.data();
        const std::size_t pitch = static_cast<std::size_t>(frame->rowBytes < 0 ? -frame->rowBytes : frame->rowBytes);
        const std::size_t used = static_cast<std::size_t>(frame->width) * static_cast<std::size_t>(frame->bytesPerPixel);
        for (std::size_t row = 0; bytes != nullptr && row < static_cast<std::size_t>(frame->height); ++row) {
            const std::uint8_t* r = bytes + row * pitch;
            for (std::size_t i = painted ? used : 0; i < pitch; ++i)
                BT_FUZZ_CHECK(r[i] == kUntouched && "frame memory written outside the pixels, or unasked");
        }
    }
}

ExactBlock ReadSettings(ByteReader& in)
{
    ExactBlock settings(bt::records::ToneSettingsRecord::kSize);
    in.TakeBytes(settings.data(), settings.size());
    return settings;
}

} // namespace btfuzz
