#include "btcheck/SoundLock.h"

#include <algorithm>
#include <cmath>

namespace btcheck {

namespace {

// The module's sound is asked for in pieces of this length.
constexpr double kPieceSeconds = 1;
// A switching on is a tone after at least half a block of the module's exact
// silence; it is timed where the tone first reaches half its amplitude, in
// the module's sound and in the file's alike.
constexpr double kCrossing = 0.5;
// The file is looked at this many blocks either side of where the module's
// switching falls by the block phase; before it, the file must be this quiet.
constexpr std::int64_t kSearchBlocks = 2;
constexpr double kQuiet = 0.1;

std::int64_t Median(std::vector<std::int64_t> v)
{
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

// Where the file's tone first reaches half its amplitude within [from, to),
// provided it begins quiet; -1 otherwise.
std::int64_t FileCrossing(const std::vector<float>& x, std::int64_t from, std::int64_t to, std::int64_t quietSpan)
{
    from = std::max<std::int64_t>(from, 0);
    to = std::min<std::int64_t>(to, static_cast<std::int64_t>(x.size()));
    if (to - from <= quietSpan)
        return -1;
    double peak = 0;
    for (std::int64_t n = from; n < to; ++n)
        peak = std::max(peak, static_cast<double>(std::abs(x[static_cast<std::size_t>(n)])));
    if (peak <= 0)
        return -1;
    for (std::int64_t n = from; n < from + quietSpan; ++n)
        if (std::abs(static_cast<double>(x[static_cast<std::size_t>(n)])) > kQuiet * peak)
            return -1;
    for (std::int64_t n = from + quietSpan; n < to; ++n)
        if (std::abs(static_cast<double>(x[static_cast<std::size_t>(n)])) >= kCrossing * peak)
            return n;
    return -1;
}

} // namespace

ModuleSound::ModuleSound(Reference& reference, const Pattern& pattern, double fileRate)
    : mReference(reference), mAsked(pattern.asked), mChannels(pattern.hostChannel), mRate(fileRate / pattern.ratio),
      mCache(pattern.hostChannel.size()), mViews(pattern.hostChannel.size())
{
}

const std::vector<const float*>& ModuleSound::At(std::int64_t first, std::size_t count)
{
    const auto n = static_cast<std::int64_t>(count);
    const bool held = !mCache.empty() && first >= mStart &&
                      first + n <= mStart + static_cast<std::int64_t>(mCache[0].size());
    if (!held) {
        const std::int64_t length = std::max(n, static_cast<std::int64_t>(std::ceil(kPieceSeconds * mRate)));
        mStart = first;
        const std::int64_t silent = std::clamp<std::int64_t>(-first, 0, length);
        std::vector<std::vector<float>> sound;
        if (length > silent)
            sound = mReference.Sound(mAsked, mRate, first + silent, length - silent);
        for (std::size_t k = 0; k < mChannels.size(); ++k) {
            mCache[k].assign(static_cast<std::size_t>(length), 0.0f);
            if (!sound.empty())
                std::copy(sound[static_cast<std::size_t>(mChannels[k])].begin(),
                          sound[static_cast<std::size_t>(mChannels[k])].end(),
                          mCache[k].begin() + silent);
        }
    }
    for (std::size_t k = 0; k < mChannels.size(); ++k)
        mViews[k] = mCache[k].data() + (first - mStart);
    return mViews;
}

SoundLock LockToModule(const std::vector<std::vector<float>>& samples, const OpeningLevels& opening,
                       const Identification& identified, const std::vector<ChannelRole>& roles, ModuleSound& module)
{
    SoundLock lock;
    const auto block = static_cast<std::int64_t>(opening.block);
    const std::int64_t length = samples.empty() ? 0 : static_cast<std::int64_t>(samples[0].size());
    const Pattern& pattern = identified.pattern;
    const std::int64_t cycle = pattern.shared ? 0 : static_cast<std::int64_t>(pattern.period) * block;
    const std::int64_t coarse = static_cast<std::int64_t>(identified.alignment.phase) * block;
    const std::int64_t quietSpan = block / 2;

    // Each switching on of the module's sound against the file's.
    std::vector<std::int64_t> shifts;
    const std::int64_t spanFirst = coarse - kSearchBlocks * block;
    const auto spanLength = static_cast<std::size_t>(length + 2 * kSearchBlocks * block);
    const auto& views = module.At(spanFirst, spanLength);
    for (std::size_t c = 0; c < roles.size(); ++c) {
        if (roles[c].source < 0)
            continue;
        const float* r = views[static_cast<std::size_t>(roles[c].source)];
        std::int64_t zeros = 0;
        for (std::size_t i = 0; i < spanLength; ++i) {
            if (r[i] == 0.0f) {
                ++zeros;
                continue;
            }
            const bool onset = zeros >= quietSpan;
            zeros = 0;
            if (!onset)
                continue;
            const std::size_t end = std::min(spanLength, i + static_cast<std::size_t>(block));
            double peak = 0;
            for (std::size_t k = i; k < end; ++k)
                peak = std::max(peak, static_cast<double>(std::abs(r[k])));
            std::size_t crossing = i;
            while (crossing < end && std::abs(static_cast<double>(r[crossing])) < kCrossing * peak)
                ++crossing;
            const std::int64_t expected = spanFirst + static_cast<std::int64_t>(crossing) - coarse;
            // A steady tone's one switching on is its start, which no block
            // phase places: the file's is looked for over the whole opening.
            const std::int64_t from = pattern.shared ? 0 : expected - kSearchBlocks * block;
            const std::int64_t to = pattern.shared ? length : expected + kSearchBlocks * block;
            const std::int64_t found = FileCrossing(samples[c], from - (pattern.shared ? 0 : quietSpan), to,
                                                    pattern.shared ? 0 : quietSpan);
            if (found >= 0 && !(pattern.shared && opening.on[c].size() > 0 && opening.on[c][0]))
                shifts.push_back(found - expected);
        }
    }
    lock.onsets = static_cast<int>(shifts.size());
    const std::int64_t offset = coarse - (shifts.empty() ? 0 : Median(shifts));

    if (cycle <= 0) {
        // A steady tone that sounds from the file's first block may have begun
        // before it; nothing tells, so it is taken to start with the file.
        lock.lateSamples = std::max<std::int64_t>(-offset, 0);
    } else {
        std::int64_t late = ((-offset) % cycle + cycle) % cycle;
        if (late > cycle / 2)
            late -= cycle;
        // Sound before where the tone would begin: the file began inside it.
        if (late > 0) {
            const auto before = static_cast<std::size_t>(std::max<std::int64_t>(late - 2 * block, 0) / block);
            for (const auto& on : opening.on)
                if (std::any_of(on.begin(), on.begin() + static_cast<std::ptrdiff_t>(std::min(before, on.size())),
                                [](bool b) { return b; })) {
                    late -= cycle;
                    break;
                }
        }
        lock.lateSamples = late;
    }
    lock.offset = -lock.lateSamples;
    return lock;
}

} // namespace btcheck
