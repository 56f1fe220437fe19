#include "audio/SlotWalk.h"

#include "audio/SampleClock.h"
#include "audio/SineCore.h"

#include <algorithm>

namespace bt {

namespace {

using zelmediatypes::TickTime;
using zelmediatypes::ToFrame64;

/// Host buffers of some channels, in the order they were added; at most the
/// six channels of a cadence.
class ChannelSet {
public:
    void Add(float* buffer) noexcept { mBuffers[mCount++] = buffer; }
    [[nodiscard]] std::span<float* const> Buffers() const noexcept { return {mBuffers.data(), mCount}; }

private:
    std::array<float*, kMaxCadenceChannels> mBuffers{};
    std::size_t mCount = 0;
};

const CadenceRow& RowOfSlot(const Cadence& cadence, std::int64_t slot) noexcept
{
    const auto it = std::find_if(cadence.rows.begin(), cadence.rows.end(),
                                 [slot](const CadenceRow& row) { return slot <= row.lastSlot; });
    return it != cadence.rows.end() ? *it : cadence.rows.back();
}

/// One run of n samples at offset o, starting at time t: each distinct tone of
/// the row is computed once and copied into its other channels; the silent
/// channels follow, in ascending order.
void WriteRun(const Cadence& cadence, const CadenceRow& row, const ToneRequest& request, TickTime t, std::int64_t o,
              std::int64_t n) noexcept
{
    std::array<bool, kMaxCadenceChannels> done{};
    ChannelSet silent;
    for (int ch = 0; ch < cadence.walkedChannels; ++ch) {
        if (done[ch])
            continue;
        const ToneIndex tone = row.channels[ch];
        if (tone == kSilent) {
            silent.Add(request.Channel(ch));
            continue;
        }
        ChannelSet sameTone;
        for (int other = ch; other < cadence.walkedChannels; ++other) {
            if (row.channels[other] == tone) {
                sameTone.Add(request.Channel(other));
                done[other] = true;
            }
        }
        ToneOnChannels(sameTone.Buffers(), cadence.tones[tone], request.rate, t, o, n, request.levelOnly);
    }
    SilenceOnChannels(silent.Buffers(), o, n);
}

void WalkSlots(const Cadence& cadence, const ToneRequest& request) noexcept
{
    const std::int64_t count = request.sampleCount;
    const TickTime end = request.start + TickTime(count, request.rate);
    std::int64_t done = 0;
    while (done < count) {
        const TickTime t = request.start + TickTime(done, request.rate);
        const TickTime cycleStart(ToFrame64(t, cadence.cycle), cadence.cycle);
        const std::int64_t slot = ToFrame64(t - cycleStart, cadence.slot);
        const CadenceRow& row = RowOfSlot(cadence, slot);
        const std::int64_t lastSlot = cadence.runEnd == RunEnd::Slot ? slot : row.lastSlot;
        const TickTime boundary = cycleStart + TickTime(lastSlot + 1, cadence.slot);
        const std::int64_t n = std::min(RunLength(request.rate, boundary, end, t), count - done);
        WriteRun(cadence, row, request, t, done, n);
        done += n;
    }
}

void SilenceEveryChannel(const Cadence& cadence, const ToneRequest& request) noexcept
{
    ChannelSet all;
    for (int ch = 0; ch < cadence.walkedChannels; ++ch)
        all.Add(request.Channel(ch));
    if (cadence.continuousChannel >= 0)
        all.Add(request.Channel(cadence.continuousChannel));
    SilenceOnChannels(all.Buffers(), 0, request.sampleCount);
}

} // namespace

void RenderCadence(const Cadence& cadence, const ToneRequest& request) noexcept
{
    if (request.sampleCount <= 0)
        return;
    if (!HasTimeAxis(request.rate, request.start, request.sampleCount)) {
        SilenceEveryChannel(cadence, request);
        return;
    }
    WalkSlots(cadence, request);
    if (cadence.continuousChannel < 0)
        return;
    if (float* buffer = request.Channel(cadence.continuousChannel)) {
        const Tone tone = cadence.tones[cadence.continuousTone];
        RenderSine(request.rate, request.start, tone.frequency, tone.level, buffer, request.sampleCount,
                   request.levelOnly);
    }
}

} // namespace bt
