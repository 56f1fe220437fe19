#pragma once
// Identification cadences as data: a cycle of equal slots, anchored at clip
// time 0, and a timetable whose rows give each channel's content over a range
// of slots. One walk serves every cadence: it cuts a request into runs of
// constant content and writes each run with the channel-set operations.

#include "audio/Tone.h"
#include "zelmediatypes/TickTime.h"

#include <array>
#include <cstdint>
#include <span>

namespace bt {

inline constexpr int kMaxCadenceChannels = 6;

/// Index into a cadence's tone list; 0 is silence.
using ToneIndex = std::uint8_t;
inline constexpr ToneIndex kSilent = 0;

struct CadenceRow {
    int firstSlot = 0;
    int lastSlot = 0; ///< inclusive
    std::array<ToneIndex, kMaxCadenceChannels> channels{}; ///< content of each walked channel
};

/// Where a run may end at the latest (besides the request's end).
/// Rationale: the phase of every run is recomputed from its first sample, so
/// run boundaries show in the last bits of the sine; each cadence keeps the
/// boundaries it is defined with.
enum class RunEnd : std::uint8_t {
    Slot, ///< the end of the slot that holds the run's first sample
    Row,  ///< the end of the last slot of its timetable row
};

struct Cadence {
    zelmediatypes::FrameRate cycle;     ///< ticks
    zelmediatypes::FrameRate slot;      ///< ticks
    int slotCount = 0;                  ///< slots per cycle
    RunEnd runEnd = RunEnd::Slot;
    int walkedChannels = 0;             ///< channels 0 to walkedChannels − 1 follow the timetable
    std::span<const CadenceRow> rows;   ///< ascending, covering every slot once
    std::span<const Tone> tones;        ///< what a ToneIndex names; entry 0 unused (silence)
    int continuousChannel = -1;         ///< a channel at one tone throughout the request, or −1
    ToneIndex continuousTone = kSilent;
};

/// Rows start at slot 0, follow each other without gap or overlap and end
/// with the cycle's last slot.
constexpr bool RowsCoverCycle(std::span<const CadenceRow> rows, int slotCount)
{
    int next = 0;
    for (const CadenceRow& row : rows) {
        if (row.firstSlot != next || row.lastSlot < row.firstSlot)
            return false;
        next = row.lastSlot + 1;
    }
    return next == slotCount;
}

/// Everything the walk relies on: whole slots per cycle, a covering timetable,
/// tone indexes inside the tone list and nothing named for unwalked channels.
constexpr bool IsWellFormed(const Cadence& c)
{
    if (c.slotCount <= 0 || c.slot.GetTicks() <= 0 || c.slot.GetTicks() * c.slotCount != c.cycle.GetTicks())
        return false;
    if (c.walkedChannels < 1 || c.walkedChannels > kMaxCadenceChannels || !RowsCoverCycle(c.rows, c.slotCount))
        return false;
    for (const CadenceRow& row : c.rows)
        for (int ch = 0; ch < kMaxCadenceChannels; ++ch)
            if (row.channels[ch] >= c.tones.size() || (ch >= c.walkedChannels && row.channels[ch] != kSilent))
                return false;
    if (c.continuousChannel < 0)
        return true;
    return c.continuousChannel >= c.walkedChannels && c.continuousChannel < kMaxCadenceChannels &&
           c.continuousTone != kSilent && c.continuousTone < c.tones.size();
}

/// Writes the cadence into the request's buffers: the walked channels run by
/// run, then the continuous channel over the whole request in one call.
/// Channels the request has no buffer for are skipped, and channels beyond
/// the cadence's are left as the host gave them.
void RenderCadence(const Cadence& cadence, const ToneRequest& request) noexcept;

} // namespace bt
