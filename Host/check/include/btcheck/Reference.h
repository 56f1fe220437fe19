#pragma once
// The module as the reference: the bars picture of a colour space at any
// size, converted to 10-bit Y'CbCr as the exporter converts it; its colour
// description; and its sound for a tone, all asked through the module's own
// selectors (47, 73 and 25) on settings records made from a base record.

#include "ImporterBarsAndTone/HostRecords.h"
#include "btmedia/StudioPicture.h"
#include "bthost/Host.h"
#include "bthost/SettingsRecord.h"

#include <array>
#include <cstdint>
#include <vector>

namespace btcheck {

/// What the tone of a clip is: a steady sine or one of the module's
/// identification cadences.
struct ToneSpec {
    bool identify = false;
    int cadence = 0;          ///< identification format, 0 to 3
    float frequency = 1000.0f; ///< steady tone, Hz
    float amplitude = 0.25f;   ///< steady tone, linear
    int channels = 2;          ///< 1, 2 or 6
};

/// Bytes of a settings record.
using RecordBytes = bthost::SettingsBytes;

class Reference {
public:
    /// `base` gives every field that the requests below do not set.
    Reference(bthost::Host& host, const RecordBytes& base);

    /// The module's default settings record (selector 37 for a clip that has
    /// none stored yet).
    [[nodiscard]] static RecordBytes DefaultRecord(bthost::Host& host);

    /// The bars of `colourSpace` at width × height, 10-bit Y'CbCr 4:4:4.
    [[nodiscard]] btmedia::StudioPicture Picture(int colourSpace, int width, int height);
    /// Selector 73's code points for `colourSpace`.
    [[nodiscard]] btmedia::ColourCodes Colour(int colourSpace);
    /// `count` samples from sample `position` of the tone at `rate` Hz, one
    /// vector per channel in the host's order.
    [[nodiscard]] std::vector<std::vector<float>> Sound(const ToneSpec& tone, double rate, std::int64_t position,
                                                        std::int64_t count);

    [[nodiscard]] const RecordBytes& Base() const noexcept { return mBase; }

private:
    bthost::Host& mHost;
    RecordBytes mBase;
};

/// The tone a settings record describes.
[[nodiscard]] ToneSpec ToneOf(const RecordBytes& record);

} // namespace btcheck
