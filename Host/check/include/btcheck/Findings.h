#pragma once
// What a check found: per section (picture, sound, file) the facts measured
// and the faults, each fault with its kind, its measured values and one
// sentence for a person.

#include "btcheck/MediaFile.h"
#include "btcheck/Reference.h"
#include "btcheck/Regions.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace btcheck {

/// The kinds of fault, as reports name them.
namespace kind {
inline constexpr const char* kRange = "range";
inline constexpr const char* kMatrix = "matrix";
inline constexpr const char* kGamut = "gamut";
inline constexpr const char* kTransferTag = "transfer-tag";
inline constexpr const char* kPrimariesTag = "primaries-tag";
inline constexpr const char* kClipping = "clipping";
inline constexpr const char* kGeometry = "geometry";
inline constexpr const char* kSize = "size";
inline constexpr const char* kLevel = "level";
inline constexpr const char* kFrequency = "frequency";
inline constexpr const char* kPolarity = "polarity";
inline constexpr const char* kChannelOrder = "channel-order";
inline constexpr const char* kMissingChannel = "missing-channel";
inline constexpr const char* kDropout = "dropout";
inline constexpr const char* kTimecode = "timecode";
inline constexpr const char* kDuration = "duration";
inline constexpr const char* kTruncated = "truncated";
inline constexpr const char* kDecode = "decode";
inline constexpr const char* kPicture = "picture";
inline constexpr const char* kClick = "click";
inline constexpr const char* kSync = "sync";
} // namespace kind

/// Faults of one kind of event listed one by one; the rest are counted.
inline constexpr int kMostListed = 20;

/// Where in the file a fault lies. Times are seconds of the programme: the
/// first picture's time is 0 (the first sound sample's when there is no
/// picture), so sound that starts before the picture has negative times.
struct FaultTime {
    double startSeconds = 0;
    double endSeconds = 0;        ///< the end of the last sample or frame concerned
    std::int64_t firstFrame = -1; ///< pictures concerned, from 0; -1 when the fault is not about pictures
    std::int64_t lastFrame = -1;
};

struct Fault {
    using Values = std::vector<std::pair<std::string, double>>;
    using Texts = std::vector<std::pair<std::string, std::string>>;
    Fault(std::string kindName, std::string text, Values measured = {}, Texts named = {})
        : kind(std::move(kindName)), sentence(std::move(text)), values(std::move(measured)), texts(std::move(named))
    {
    }

    std::string kind;
    std::string sentence;
    std::vector<std::pair<std::string, double>> values;
    std::vector<std::pair<std::string, std::string>> texts;
    std::vector<std::int64_t> frames; ///< pictures it was found in; empty: not about pictures
    std::optional<FaultTime> time;    ///< none: it concerns the whole file
};

/// What the clip says the file should be (from --clip).
struct ClipExpectation {
    int colourSpace = 1;
    int width = 0;
    int height = 0;
    std::uint32_t parNum = 1;
    std::uint32_t parDen = 1;
    std::int64_t frameDuration = 0; ///< ticks
    bool dropFrame = false;
    double audioRate = 0;
    ToneSpec tone;
    RecordBytes record{};
};

/// How far a picture may depart from the bars.
struct Tolerances {
    double pictureCodes = 4;   ///< codes at 10 bits; scaled to the file's depth
    double geometryPixels = 1; ///< edge displacement
};

/// How the sound is judged.
struct SoundOptions {
    double levelDb = 0.1;     ///< a tone's level may be this far from its line-up, and change this much
    double frequencyHz = 0.1; ///< a tone's frequency may be this far off, and change this much
    double syncMs = 1;        ///< the tone may start this far from the first picture
    /// A sample may leave the course of the tone by this much of its
    /// amplitude, in percent, before it is a click.
    double clickPercent = 5;
    /// The line-up level the tone should sit at, dBFS; none: the clip's, or
    /// else one of the usual line-up levels recognised in the file.
    std::optional<double> referenceLevel;
    /// The stretch the tone is named and locked on, at most; the longest
    /// identification cycle is 13.4 s.
    double openingSeconds = 16;
};


/// One region as measured in the file.
struct RegionReading {
    Region region;                 ///< in the reference picture
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0; ///< the area measured in the file
    std::array<double, 3> expected{}; ///< codes of the file's depth (a ramp: its mean)
    std::array<double, 3> measured{};
    double deviation = 0; ///< largest difference over the components, in codes
    bool ok = true;
};

struct Axis {
    double scale = 1;  ///< file position = scale × bars position + offset
    double offset = 0; ///< pixels
    int edges = 0;     ///< edges the fit rests on
};

struct PictureFinding {
    bool present = false;
    std::string bars = "none"; ///< the colour space's token ("rec709", "pq", ...) or "none"
    std::string barsName;      ///< its name for people ("Rec. 709")
    int colourSpace = -1;
    double matchShare = 0; ///< share of regions that fit the bars
    int width = 0, height = 0, depth = 0;
    Family family = Family::YCbCr;
    double tolerance = 0; ///< codes of the file's depth
    std::string contentMatrix;  ///< coefficients the codes fit best
    std::string contentRange;   ///< "narrow", "full" or "squeezed"
    std::string contentClipping; ///< "none", "below black", "above white", "both"
    Axis x, y;
    std::vector<std::int64_t> frames;   ///< a sampled check: the frames measured
    bool everyFrame = false;            ///< every frame was looked at
    std::int64_t picturesMet = 0;       ///< frames read
    std::int64_t picturesMeasured = 0;  ///< distinct pictures measured; the others took an identical one's result
    std::vector<RegionReading> regions; ///< of the first frame checked
    std::vector<Fault> faults;
};

struct ChannelReading {
    std::string name;          ///< the file's name for it ("FL") or its number
    double rmsDb = -200;       ///< dBFS of the RMS, over the whole sound
    double peakDb = -200;      ///< dBFS of the peak, over the whole sound
    double frequency = 0;      ///< Hz, 0 when silent
    double moduleFrequency = 0; ///< Hz of the module's tone over the same stretch, 0 not known
    int carries = -1;          ///< host channel whose sound it carries; -1 none
    int expected = -1;         ///< host channel it should carry
    double gainDb = 0;         ///< measured against the module's sound for it
    int polarity = 0;          ///< 1 as the module's, -1 inverted, 0 not known
};

struct SoundFinding {
    bool present = false;
    int rate = 0;
    double seconds = 0;        ///< analysed
    bool truncated = false;
    std::string tone = "none"; ///< "steady", "EBU Stereo (1000 Hz)", ...
    bool identified = false;
    int cadence = -1;
    double phaseSeconds = 0;   ///< where in the cadence's cycle the file's first sample lies
    double rateRatio = 1;      ///< file frequency ÷ module frequency
    double toneDbfs = -200;    ///< peak level of the tone's loudest part in the file
    std::string lineUp;        ///< what the level is judged against: "the EBU line-up level", "the clip's level", ...
    double lineUpDbfs = 0;
    bool loudnessMeasured = false;
    double loudnessLufs = 0;   ///< integrated (ITU-R BS.1770, EBU R 128); -inf for silence
    double truePeakDbtp = 0;
    bool syncMeasured = false;
    double syncSeconds = 0;    ///< where the module's tone starts against the first picture (or the
                               ///< first sample, without picture); later: positive
    std::vector<ChannelReading> channels;
    std::vector<Fault> faults;
};

/// What the pictures' own timecodes showed (an MPEG-2 group's, a picture
/// timing message's).
struct CarriedTimecode {
    std::int64_t told = 0;        ///< timecodes read
    std::int64_t firstFrame = -1; ///< the picture the first one came with; -1: none came
    std::string first;            ///< that first one, as carried
    std::string start;            ///< the timecode it gives the first picture (frame 0)
};

struct FileFinding {
    FileFacts facts;
    PassSummary read;
    CarriedTimecode carried;
    std::vector<Fault> faults;
};

struct CheckReport {
    std::string path;
    Tolerances tolerances;
    SoundOptions soundOptions;
    bool withClip = false;
    PictureFinding picture;
    SoundFinding sound;
    FileFinding file;

    [[nodiscard]] bool Pass() const noexcept
    {
        return picture.faults.empty() && sound.faults.empty() && file.faults.empty();
    }
};

} // namespace btcheck
