#include "btcheck/Loudness.h"

#include "OrderedWorker.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <string_view>

namespace btcheck {

namespace {

// Where BS.1770 places each of FFmpeg's channel names; the LFE is not counted.
struct Placement {
    std::string_view name;
    int channel;
};
constexpr Placement kPlacements[] = {
    {"FL", EBUR128_LEFT},           {"FR", EBUR128_RIGHT},           {"FC", EBUR128_CENTER},
    {"LFE", EBUR128_UNUSED},        {"LFE2", EBUR128_UNUSED},        {"BL", EBUR128_LEFT_SURROUND},
    {"BR", EBUR128_RIGHT_SURROUND}, {"SL", EBUR128_LEFT_SURROUND},   {"SR", EBUR128_RIGHT_SURROUND},
};
// A channel without a known name, by its place in the usual 5.1 order.
constexpr int kByPlace[] = {EBUR128_LEFT,   EBUR128_RIGHT,         EBUR128_CENTER,
                            EBUR128_UNUSED, EBUR128_LEFT_SURROUND, EBUR128_RIGHT_SURROUND};

int PlacementOf(const std::vector<std::string>& names, std::size_t c)
{
    if (names.size() == 1)
        return EBUR128_CENTER; // mono counts once, at full weight
    if (c < names.size())
        for (const Placement& p : kPlacements)
            if (p.name == names[c])
                return p.channel;
    return c < std::size(kByPlace) ? kByPlace[c] : EBUR128_CENTER;
}

} // namespace

// Pieces waiting for the meter, at most; the caller waits beyond.
constexpr std::size_t kMostWaiting = 32;

struct LoudnessMeter::State {
    struct Meter {
        ebur128_state* state = nullptr;
        ~Meter()
        {
            if (state != nullptr)
                ebur128_destroy(&state);
        }
    } meter;
    std::size_t channels = 0;
    bool any = false;
    bool failed = false; ///< [the worker's until Finish]
    OrderedWorker worker{kMostWaiting}; // last: it ends before the meter goes
};

LoudnessMeter::LoudnessMeter(const std::vector<std::string>& channelNames, int rate) : mState(std::make_unique<State>())
{
    mState->channels = channelNames.size();
    if (mState->channels == 0 || rate <= 0)
        return;
    // The histogram keeps the integrated measure's memory flat.
    mState->meter.state = ebur128_init(static_cast<unsigned>(mState->channels), static_cast<unsigned long>(rate),
                                       EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK | EBUR128_MODE_HISTOGRAM);
    if (mState->meter.state == nullptr)
        throw std::bad_alloc();
    for (std::size_t c = 0; c < mState->channels; ++c)
        ebur128_set_channel(mState->meter.state, static_cast<unsigned>(c), PlacementOf(channelNames, c));
}

LoudnessMeter::~LoudnessMeter() = default;

void LoudnessMeter::Add(const std::vector<const float*>& channels, std::size_t count)
{
    State& s = *mState;
    if (s.meter.state == nullptr || count == 0 || channels.size() != s.channels)
        return;
    std::vector<float> piece(count * s.channels);
    for (std::size_t c = 0; c < s.channels; ++c)
        for (std::size_t i = 0; i < count; ++i)
            piece[i * s.channels + c] = channels[c][i];
    s.worker.Post([&s, piece = std::move(piece)] {
        s.failed = s.failed ||
                   ebur128_add_frames_float(s.meter.state, piece.data(), piece.size() / s.channels) != EBUR128_SUCCESS;
    });
    s.any = true;
}

Loudness LoudnessMeter::Result()
{
    Loudness out;
    State& s = *mState;
    s.worker.Finish();
    if (s.meter.state == nullptr || !s.any || s.failed)
        return out;
    if (ebur128_loudness_global(s.meter.state, &out.integratedLufs) != EBUR128_SUCCESS)
        return out;
    double peak = 0;
    for (std::size_t c = 0; c < s.channels; ++c) {
        double p = 0;
        if (ebur128_true_peak(s.meter.state, static_cast<unsigned>(c), &p) == EBUR128_SUCCESS)
            peak = std::max(peak, p);
    }
    out.truePeakDbtp = peak > 0 ? 20 * std::log10(peak) : -HUGE_VAL;
    out.measured = true;
    return out;
}

} // namespace btcheck
