#pragma once
// The file's sound locked to the module's, sample for sample: the module's
// sound for the identified tone at the file's rate, and where the module's
// first sample lies in the file, from the switchings of the tone.

#include "btcheck/SoundIdentify.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace btcheck {

/// The module's sound for an identified tone, one channel per channel of its
/// pattern, at the rate that puts its samples one for one against the
/// file's (the file's rate, divided by a re-labelling's ratio). Before the
/// clip's start (negative positions) it is silence.
class ModuleSound {
public:
    ModuleSound(Reference& reference, const Pattern& pattern, double fileRate);

    [[nodiscard]] double Rate() const noexcept { return mRate; }
    [[nodiscard]] std::size_t Channels() const noexcept { return mChannels.size(); }

    /// Module samples [first, first + count) of every channel; valid until the next call.
    [[nodiscard]] const std::vector<const float*>& At(std::int64_t first, std::size_t count);

private:
    Reference& mReference;
    ToneSpec mAsked;
    std::vector<int> mChannels; ///< of the asked ones
    double mRate = 0;
    std::int64_t mStart = 0;
    std::vector<std::vector<float>> mCache;
    std::vector<const float*> mViews;
};

struct SoundLock {
    /// Module sample = file sample + offset.
    std::int64_t offset = 0;
    /// File samples from the first sample to where the module's tone begins
    /// (its clip time 0); negative: the file starts that far into the tone.
    std::int64_t lateSamples = 0;
    /// Switchings of the tone the lock rests on; 0: a block's precision only.
    int onsets = 0;
};

/// Locks the opening stretch (`samples`, file order) to the module's sound.
/// A cadence's phase is known within its cycle; it is taken as the nearest
/// unless the file sounds before that start, when the file began inside it.
[[nodiscard]] SoundLock LockToModule(const std::vector<std::vector<float>>& samples, const OpeningLevels& opening,
                                     const Identification& identified, const std::vector<ChannelRole>& roles,
                                     ModuleSound& module);

} // namespace btcheck
