#pragma once
// The host's "Kestrel Sequence Info Suite" version 9: for each sequence, its
// drop-frame state and working colour space. Constructing one offers it on a
// host; destroying it withdraws it (a host without it simply never makes one).
// [any thread]

#include "MediaBridge/CvSDKGuid.h"
#include "MediaBridge/WorkingSpace.h"

#include <array>
#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

namespace bthost {

class Host;

class SequenceInfoSuite {
public:
    struct Sequence {
        std::int32_t dropFrame = 0; ///< what getDropFrame answers
        CvSDKGuid workingColorSpace = MB::WorkingSpace::OR709CvSDKColorSpaceID;
    };

    explicit SequenceInfoSuite(Host& host);
    ~SequenceInfoSuite();
    SequenceInfoSuite(const SequenceInfoSuite&) = delete;
    SequenceInfoSuite& operator=(const SequenceInfoSuite&) = delete;

    /// The answers for one sequence id. Ids never set get no answer: both
    /// functions return -1 and leave their output untouched.
    void SetSequence(std::uint32_t sequenceId, const Sequence& sequence);
    /// The sequence ids the module asked about, in order.
    [[nodiscard]] std::vector<std::uint32_t> AskedIds() const;

    // What the suite's functions do for this host.
    std::int32_t GetDropFrame(std::uint32_t sequenceId, std::int32_t* dropFrame);
    std::int32_t GetWorkingColorSpace(std::uint32_t sequenceId, CvSDKGuid* id);

private:
    Host& mHost;
    std::array<std::uint8_t, 72> mTable{};
    mutable std::mutex mMutex;
    std::map<std::uint32_t, Sequence> mSequences;
    std::vector<std::uint32_t> mAsked;
};

} // namespace bthost
