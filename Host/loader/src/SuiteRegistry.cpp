#include "bthost/SuiteRegistry.h"

namespace bthost {

void SuiteRegistry::Register(const std::string& name, std::int32_t version, const void* table)
{
    std::lock_guard lock(mMutex);
    mSuites[{name, version}] = table;
}

void SuiteRegistry::OfferBasicSuite(bool offered)
{
    std::lock_guard lock(mMutex);
    mOffered = offered;
}

bool SuiteRegistry::IsBasicSuiteOffered() const
{
    std::lock_guard lock(mMutex);
    return mOffered;
}

void SuiteRegistry::RefuseSuite(const std::string& name, bool refuse)
{
    std::lock_guard lock(mMutex);
    if (refuse)
        mRefused.insert(name);
    else
        mRefused.erase(name);
}

std::int32_t SuiteRegistry::Acquire(const char* name, std::int32_t version, const void** suite)
{
    std::lock_guard lock(mMutex);
    const std::string key = name == nullptr ? std::string() : std::string(name);
    const void* table = nullptr;
    if (!mRefused.contains(key)) {
        auto it = mSuites.find({key, version});
        if (it != mSuites.end())
            table = it->second;
    }
    if (suite != nullptr)
        *suite = table;
    const std::int32_t result = table == nullptr ? -1 : 0;
    mEvents.push_back({SuiteEvent::Kind::Acquire, key, version, result});
    return result;
}

std::int32_t SuiteRegistry::Release(const char* name, std::int32_t version)
{
    std::lock_guard lock(mMutex);
    mEvents.push_back({SuiteEvent::Kind::Release, name == nullptr ? std::string() : std::string(name), version, 0});
    return 0;
}

std::vector<SuiteEvent> SuiteRegistry::Events() const
{
    std::lock_guard lock(mMutex);
    return mEvents;
}

void SuiteRegistry::ClearEvents()
{
    std::lock_guard lock(mMutex);
    mEvents.clear();
}

std::map<std::string, int> SuiteRegistry::Outstanding() const
{
    std::lock_guard lock(mMutex);
    std::map<std::string, int> open;
    for (const SuiteEvent& e : mEvents) {
        if (e.kind == SuiteEvent::Kind::Acquire && e.result == 0)
            ++open[e.name];
        else if (e.kind == SuiteEvent::Kind::Release)
            --open[e.name];
    }
    std::erase_if(open, [](const auto& entry) { return entry.second == 0; });
    return open;
}

} // namespace bthost
