#pragma once
// The loudness of one programme as broadcasters measure it (ITU-R BS.1770,
// EBU R 128): integrated loudness with its gates, and true peak, through
// libebur128. Memory stays flat however long the programme.
//
// Rationale: the true peak oversamples every channel four times and costs
// more than the rest of the sound analysis together, so the meter measures
// on a thread of its own, a bounded number of pieces behind the caller.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace btcheck {

struct Loudness {
    bool measured = false;
    double integratedLufs = 0; ///< LUFS; -HUGE_VAL for silence
    double truePeakDbtp = 0;   ///< dBTP, the loudest channel's
};

class LoudnessMeter {
public:
    /// `channelNames` in file order as FFmpeg names them ("FL", "LFE", ...);
    /// an empty or unknown name takes its place in the usual 5.1 order.
    LoudnessMeter(const std::vector<std::string>& channelNames, int rate);
    ~LoudnessMeter();
    LoudnessMeter(const LoudnessMeter&) = delete;
    LoudnessMeter& operator=(const LoudnessMeter&) = delete;

    /// `count` samples of every channel, planar; copied, so they need not
    /// outlive the call. [one caller thread]
    void Add(const std::vector<const float*>& channels, std::size_t count);
    /// After the last piece: waits for the meter to catch up.
    [[nodiscard]] Loudness Result();

private:
    struct State;
    std::unique_ptr<State> mState;
};

} // namespace btcheck
