#pragma once
// Creating a new clip as a host does: selector 38 twice, first for the size
// of the settings record, then with a buffer of that size, the sequence's
// properties and setup requested. The settings dialog runs inside the second
// call under the modal driver the host installed (DialogControl.h).

#include "bthost/Host.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bthost {

/// The host's current sequence, as the settings request carries it.
struct SequenceProperties {
    std::uint32_t sequenceId = 1;
    std::int32_t width = 1920;
    std::int32_t height = 1080;
    std::uint32_t parNum = 1;
    std::uint32_t parDen = 1;
    std::int32_t rateNum = 30000;
    std::int32_t rateDen = 1001;
    float audioRate = 48000.0f;
};

struct NewClipSettings {
    std::int32_t sizeResult = 0;   ///< the first call's answer
    std::uint32_t size = 0;        ///< the record size it reported
    std::int32_t result = 0;       ///< the second call's answer
    /// The host buffer after the second call: `size` bytes, filled with 0xCD
    /// before it, so untouched bytes show.
    std::vector<std::uint8_t> stored;
    /// The clip name the module gave (UTF-16 from host memory, which the
    /// host has released again); nullopt when it gave none.
    std::optional<std::u16string> clipName;
};

/// Runs both calls. `setupRequested` goes into the second call's request.
[[nodiscard]] NewClipSettings AcquireNewClipSettings(Host& host, const SequenceProperties& sequence,
                                                     std::uint8_t setupRequested = 1);

} // namespace bthost
