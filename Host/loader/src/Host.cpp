#include "bthost/Host.h"

#include "ImporterBarsAndTone/HostRecords.h"
#include "barsandtone/PackedBytes.h"
#include "bthost/PictureSuites.h"

#include <cstring>
#include <stdexcept>

namespace bthost {

namespace rec = bt::records;
using namespace bt::packed;

namespace {

thread_local Host* tCurrent = nullptr;

class CurrentHostScope {
public:
    explicit CurrentHostScope(Host* host) noexcept : mPrevious(tCurrent) { tCurrent = host; }
    ~CurrentHostScope() { tCurrent = mPrevious; }
    CurrentHostScope(const CurrentHostScope&) = delete;
    CurrentHostScope& operator=(const CurrentHostScope&) = delete;

private:
    Host* mPrevious;
};

// The host's C functions; each finds its host through the running call.
void* HostAllocate(std::uint32_t size)
{
    Host* host = Host::Current();
    return host == nullptr ? nullptr : host->Memory().Allocate(size);
}

void HostRelease(void* block)
{
    if (Host* host = Host::Current())
        host->Memory().Release(block);
}

std::int32_t BasicAcquire(const char* name, std::int32_t version, const void** suite)
{
    Host* host = Host::Current();
    if (host == nullptr) {
        if (suite != nullptr)
            *suite = nullptr;
        return -1;
    }
    return host->Suites().Acquire(name, version, suite);
}

std::int32_t BasicRelease(const char* name, std::int32_t version)
{
    Host* host = Host::Current();
    return host == nullptr ? -1 : host->Suites().Release(name, version);
}

struct BasicSuiteTable {
    std::array<std::uint8_t, 16> bytes{};
    BasicSuiteTable()
    {
        StorePtr(bytes.data(), rec::BasicSuite::kAcquire, reinterpret_cast<const void*>(&BasicAcquire));
        StorePtr(bytes.data(), rec::BasicSuite::kRelease, reinterpret_cast<const void*>(&BasicRelease));
    }
};

const void* HostGetBasicSuite()
{
    static const BasicSuiteTable table;
    Host* host = Host::Current();
    if (host == nullptr || !host->Suites().IsBasicSuiteOffered())
        return nullptr;
    return table.bytes.data();
}

// The describe callback hands its arguments back through the context.
std::int32_t CaptureDescription(void* context, const char* displayName, const char* matchName, const char* category,
                                const char* empty, std::uint32_t kind, std::int32_t a, std::int32_t b, std::int32_t c)
{
    auto* d = static_cast<PluginDescription*>(context);
    d->displayName = displayName ? displayName : "";
    d->matchName = matchName ? matchName : "";
    d->category = category ? category : "";
    d->empty = empty ? empty : "";
    d->kind = kind;
    d->a = a;
    d->b = b;
    d->c = c;
    return 0;
}

template <typename Fn>
Fn Export(const DynamicLibrary& library, const char* name)
{
    void* symbol = library.Symbol(name);
    if (symbol == nullptr)
        throw std::runtime_error("module " + library.Path() + " does not export " + name);
    Fn fn;
    std::memcpy(&fn, &symbol, sizeof fn);
    return fn;
}

} // namespace

Host::Host(const std::string& modulePath) : mLibrary(modulePath)
{
    mDataEntry = Export<BT_PluginDataEntryFn>(mLibrary, "PluginDataEntryFunction");
    mImportEntry = Export<BT_ImportEntryFn>(mLibrary, "xImportEntry");

    StorePtr(mMemoryFunctions.data(), rec::MemoryFunctions::kAllocate, reinterpret_cast<const void*>(&HostAllocate));
    StorePtr(mMemoryFunctions.data(), rec::MemoryFunctions::kRelease, reinterpret_cast<const void*>(&HostRelease));
    StorePtr(mUtilityFunctions.data(), rec::UtilityFunctions::kGetBasicSuite,
             reinterpret_cast<const void*>(&HostGetBasicSuite));
    StorePtr(mSuiteTable.data(), rec::SuiteTable::kMemoryFunctions, mMemoryFunctions.data());
    StorePtr(mSuiteTable.data(), rec::SuiteTable::kUtilityFunctions, mUtilityFunctions.data());
    StorePtr(mStdParms.data(), rec::StdParms::kSuiteTable, mSuiteTable.data());

    RegisterPictureSuites(mSuites);
}

Host::~Host() = default;

Host* Host::Current() noexcept { return tCurrent; }

std::int32_t Host::Call(std::uint32_t selector, std::intptr_t param1, std::intptr_t param2)
{
    CurrentHostScope scope(this);
    return mImportEntry(selector, mStdParms.data(), param1, param2);
}

std::int32_t Host::Call(std::uint32_t selector, const void* record1, const void* record2)
{
    return Call(selector, reinterpret_cast<std::intptr_t>(record1), reinterpret_cast<std::intptr_t>(record2));
}

PluginDescription Host::Describe()
{
    CurrentHostScope scope(this);
    PluginDescription description;
    description.result = mDataEntry(&description, &CaptureDescription);
    return description;
}

std::int32_t Host::Startup(std::vector<std::uint8_t>* record)
{
    std::vector<std::uint8_t> local(rec::ImporterDescription::kMinSize + 64, 0);
    std::vector<std::uint8_t>& r = record != nullptr ? *record : local;
    if (r.size() < rec::ImporterDescription::kMinSize)
        r.resize(rec::ImporterDescription::kMinSize);
    return Call(BT_SEL_STARTUP, r.data(), nullptr);
}

std::vector<std::uint32_t> Host::EnumerateFileTypes()
{
    std::vector<std::uint32_t> types;
    for (std::intptr_t index = 0;; ++index) {
        std::vector<std::uint8_t> record(rec::FileTypeRecord::kMinSize, 0);
        if (Call(BT_SEL_GET_FILE_TYPE, index, reinterpret_cast<std::intptr_t>(record.data())) != BT_RESULT_SUCCESS)
            break;
        types.push_back(LoadU32(record.data(), rec::FileTypeRecord::kFileType));
    }
    return types;
}

void* Host::StoreSettings(const void* bytes, std::size_t size)
{
    void* block = mMemory.Allocate(static_cast<std::uint32_t>(size));
    if (block != nullptr)
        std::memcpy(block, bytes, size);
    return block;
}

Host::ClipInfoResult Host::GetClipInfo(std::uint32_t fileType, void* persisted, float hostAudioRate)
{
    std::vector<std::uint8_t> fileRecord(rec::FileRecord::kMinSize, 0);
    StoreU32(fileRecord.data(), rec::FileRecord::kFileType, fileType);
    ClipInfoResult out;
    out.record.assign(rec::ClipInfo::kMinSize, 0);
    StorePtr(out.record.data(), rec::ClipInfo::kPersisted, persisted);
    StoreF32(out.record.data(), rec::ClipInfo::kAudioRate, hostAudioRate);
    out.result = Call(BT_SEL_GET_CLIP_INFO, fileRecord.data(), out.record.data());
    out.description = ReadClipDescription(out.record);
    return out;
}

std::int32_t Host::ReleaseFileRecord(void* perFileRecord)
{
    return Call(BT_SEL_RELEASE_FILE_RECORD, std::intptr_t{0}, reinterpret_cast<std::intptr_t>(perFileRecord));
}

} // namespace bthost
