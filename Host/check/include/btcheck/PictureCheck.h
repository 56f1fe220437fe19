#pragma once
// The picture side of a check, found on one picture: which bars the file
// carries (the module's pictures at the file's size are the candidates), how
// the chain coded them (the best-fitting hypothesis of matrix, gamut, range
// and clipping), where their edges went, and how the stream's colour tags
// and size agree. What is found here is what every later picture is held to.

#include "btcheck/Findings.h"
#include "btcheck/Measure.h"
#include "btcheck/MediaFile.h"
#include "btcheck/PictureModel.h"
#include "btcheck/Reference.h"

#include <cstdint>
#include <vector>

namespace btcheck {

/// Fewer regions than this share fitting and a picture is not those bars.
inline constexpr double kMinMatchShare = 0.5;

/// The bars of a colour space by their name for people ("Rec. 709").
[[nodiscard]] std::string BarsName(int colourSpace);

/// `count` frame numbers spread evenly from the first to the last of
/// `frameCount` frames (first, middle and last for three).
[[nodiscard]] std::vector<std::int64_t> SpreadFrames(std::int64_t frameCount, int count);

/// One colour space's bars at the file's size.
struct Candidate {
    int colourSpace = 0;
    Matrix matrix = Matrix::Bt709;
    btmedia::ColourCodes colour;
    Layout layout;
};

/// How well one candidate explains a picture.
struct Fit {
    Geometry geometry;
    std::vector<Measurement> measurements;
    Hypothesis best;
    double score = 0;
    double share = 0; ///< regions within the loose bound under `best`
    int measured = 0;
};

/// The bars every picture of the file is held to.
struct Baseline {
    bool bars = false;   ///< false: no candidate explains the picture; the nearest is kept
    Candidate candidate;
    Fit fit;
    Hypothesis clean;    ///< what a clean chain leaves
    FileCoding coding;
    int components = 3;
    double tolerance = 0; ///< codes of the file's depth
    double loose = 0;     ///< a region this near still fits for telling pictures apart
    /// Regions the coding found does not explain on the first picture: a
    /// fault of the whole file, not of each later picture.
    std::vector<bool> offFromTheStart;
};

/// Every colour space the module paints, at width × height.
[[nodiscard]] std::vector<Candidate> BarsCandidates(Reference& reference, int width, int height);

/// The candidate and coding that explain `picture` best. Adds to `out` what
/// it found (bars, coding, geometry, regions) and the picture-wide faults:
/// coding, geometry, tags, and the clip's bars and size.
[[nodiscard]] Baseline Establish(const std::vector<Candidate>& candidates, const CodePicture& picture,
                                 const PictureFacts& facts, const ClipExpectation* clip, const Tolerances& tolerances,
                                 PictureFinding& out);

/// A region's difference from what hypothesis `h` predicts, in codes: the
/// largest over the components (a ramp: the mean over its columns).
[[nodiscard]] double RegionError(const Region& r, const Measurement& m, Matrix reference, const Hypothesis& h,
                                 const FileCoding& coding, int components);

/// "1 2 3" (or "1" for grey): codes for a person.
[[nodiscard]] std::string CodesText(const std::array<double, 3>& v, int components);

} // namespace btcheck
