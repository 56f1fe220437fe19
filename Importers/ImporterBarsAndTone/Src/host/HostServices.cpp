#include "host/HostServices.h"

#include "ImporterBarsAndTone/HostRecords.h"
#include "barsandtone/PackedBytes.h"

namespace bt {

namespace {

using AllocateFn = void* (*)(std::uint32_t);
using ReleaseFn = void (*)(void*);
using GetBasicSuiteFn = const void* (*)();
using AcquireFn = std::int32_t (*)(const char*, std::int32_t, const void**);
using ReleaseSuiteFn = std::int32_t (*)(const char*, std::int32_t);

const void* SuiteTable(const void* stdParms) noexcept
{
    return stdParms == nullptr ? nullptr : packed::LoadPtr(stdParms, records::StdParms::kSuiteTable);
}

const void* TableAt(const void* stdParms, std::size_t offset) noexcept
{
    const void* suites = SuiteTable(stdParms);
    return suites == nullptr ? nullptr : packed::LoadPtr(suites, offset);
}

} // namespace

void* HostServices::Allocate(std::uint32_t sizeInBytes) const noexcept
{
    const void* memory = TableAt(mStdParms, records::SuiteTable::kMemoryFunctions);
    const auto allocate = SuiteFunction<AllocateFn>(memory, records::MemoryFunctions::kAllocate);
    return allocate == nullptr ? nullptr : allocate(sizeInBytes);
}

void HostServices::Release(void* block) const noexcept
{
    const void* memory = TableAt(mStdParms, records::SuiteTable::kMemoryFunctions);
    const auto release = SuiteFunction<ReleaseFn>(memory, records::MemoryFunctions::kRelease);
    if (release != nullptr && block != nullptr)
        release(block);
}

const void* HostServices::GetBasicSuite() const noexcept
{
    const void* utility = TableAt(mStdParms, records::SuiteTable::kUtilityFunctions);
    const auto get = SuiteFunction<GetBasicSuiteFn>(utility, records::UtilityFunctions::kGetBasicSuite);
    return get == nullptr ? nullptr : get();
}

std::int32_t AcquireSuite(const void* basicSuite, const char* name, std::int32_t version, const void** suite) noexcept
{
    *suite = nullptr;
    const auto acquire = SuiteFunction<AcquireFn>(basicSuite, records::BasicSuite::kAcquire);
    return acquire == nullptr ? -1 : acquire(name, version, suite);
}

void ReleaseSuite(const void* basicSuite, const char* name, std::int32_t version) noexcept
{
    const auto release = SuiteFunction<ReleaseSuiteFn>(basicSuite, records::BasicSuite::kRelease);
    if (release != nullptr)
        release(name, version);
}

} // namespace bt
