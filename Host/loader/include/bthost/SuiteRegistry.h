#pragma once
// The host's basic suite: named suites that the module acquires by name and
// version and releases again, with a log of every acquisition and release so
// tests can check that each one is matched. [any thread]

#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace bthost {

struct SuiteEvent {
    enum class Kind { Acquire, Release } kind;
    std::string name;
    std::int32_t version;
    std::int32_t result; ///< what the host answered
};

class SuiteRegistry {
public:
    /// Offers a function table under a name and version. The table must
    /// outlive the registry.
    void Register(const std::string& name, std::int32_t version, const void* table);
    /// Whether the host offers a basic suite at all (default: yes).
    void OfferBasicSuite(bool offered);
    [[nodiscard]] bool IsBasicSuiteOffered() const;
    /// Makes acquisitions of one suite fail (result -1, no table).
    void RefuseSuite(const std::string& name, bool refuse);

    /// What the basic suite's acquire does: 0 and the table, or -1 and null.
    std::int32_t Acquire(const char* name, std::int32_t version, const void** suite);
    std::int32_t Release(const char* name, std::int32_t version);

    [[nodiscard]] std::vector<SuiteEvent> Events() const;
    void ClearEvents();
    /// Acquisitions that succeeded and have not been released, by name.
    [[nodiscard]] std::map<std::string, int> Outstanding() const;

private:
    mutable std::mutex mMutex;
    std::map<std::pair<std::string, std::int32_t>, const void*> mSuites;
    std::set<std::string> mRefused;
    bool mOffered = true;
    std::vector<SuiteEvent> mEvents;
};

} // namespace bthost
