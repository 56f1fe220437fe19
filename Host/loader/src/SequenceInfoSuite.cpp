#include "bthost/SequenceInfoSuite.h"

#include "ImporterBarsAndTone/HostRecords.h"
#include "barsandtone/PackedBytes.h"
#include "bthost/Host.h"

namespace bthost {

namespace {

namespace seq = bt::records::SequenceInfoSuite;

// The suite's C functions find their suite through the host whose call is running.
std::mutex gSuitesMutex;
std::map<const Host*, SequenceInfoSuite*> gSuites;

SequenceInfoSuite* CurrentSuite()
{
    const Host* host = Host::Current();
    std::lock_guard lock(gSuitesMutex);
    const auto found = gSuites.find(host);
    return found == gSuites.end() ? nullptr : found->second;
}

std::int32_t GetDropFrameEntry(std::uint32_t sequenceId, std::int32_t* dropFrame)
{
    SequenceInfoSuite* suite = CurrentSuite();
    return suite == nullptr ? -1 : suite->GetDropFrame(sequenceId, dropFrame);
}

std::int32_t GetWorkingColorSpaceEntry(std::uint32_t sequenceId, CvSDKGuid* id)
{
    SequenceInfoSuite* suite = CurrentSuite();
    return suite == nullptr ? -1 : suite->GetWorkingColorSpace(sequenceId, id);
}

} // namespace

SequenceInfoSuite::SequenceInfoSuite(Host& host) : mHost(host)
{
    bt::packed::StorePtr(mTable.data(), seq::kGetDropFrame, reinterpret_cast<const void*>(&GetDropFrameEntry));
    bt::packed::StorePtr(mTable.data(), seq::kGetWorkingColorSpace,
                         reinterpret_cast<const void*>(&GetWorkingColorSpaceEntry));
    {
        std::lock_guard lock(gSuitesMutex);
        gSuites[&host] = this;
    }
    host.Suites().Register(seq::kName, seq::kVersion, mTable.data());
}

SequenceInfoSuite::~SequenceInfoSuite()
{
    mHost.Suites().Register(seq::kName, seq::kVersion, nullptr);
    std::lock_guard lock(gSuitesMutex);
    gSuites.erase(&mHost);
}

void SequenceInfoSuite::SetSequence(std::uint32_t sequenceId, const Sequence& sequence)
{
    std::lock_guard lock(mMutex);
    mSequences[sequenceId] = sequence;
}

std::vector<std::uint32_t> SequenceInfoSuite::AskedIds() const
{
    std::lock_guard lock(mMutex);
    return mAsked;
}

std::int32_t SequenceInfoSuite::GetDropFrame(std::uint32_t sequenceId, std::int32_t* dropFrame)
{
    std::lock_guard lock(mMutex);
    mAsked.push_back(sequenceId);
    const auto found = mSequences.find(sequenceId);
    if (found == mSequences.end() || dropFrame == nullptr)
        return -1;
    *dropFrame = found->second.dropFrame;
    return 0;
}

std::int32_t SequenceInfoSuite::GetWorkingColorSpace(std::uint32_t sequenceId, CvSDKGuid* id)
{
    std::lock_guard lock(mMutex);
    const auto found = mSequences.find(sequenceId);
    if (found == mSequences.end() || id == nullptr)
        return -1;
    *id = found->second.workingColorSpace;
    return 0;
}

} // namespace bthost
