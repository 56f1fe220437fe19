#include "btcheck/PictureCheck.h"

#include "btcheck/Measure.h"
#include "btcheck/PictureModel.h"
#include "ImporterBarsAndTone/ColorSpaces.h"
#include "Text.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace btcheck {

namespace {

// A region fits the bars, for telling which bars a picture is, when it lies
// within this share of the code range (or the tolerance, if larger).
constexpr double kLooseShare = 0.03;
// Fewer fitting regions than this and the picture is not those bars.
constexpr double kMinMatchShare = 0.5;
// Nominal black and white of the bars' 10-bit codes.
constexpr std::uint16_t kBlack10 = 64;
constexpr std::uint16_t kWhite10 = 940;
// One region's error counts at most this share of the code range, so that a
// few regions that are something else do not outweigh the rest.
constexpr double kErrorCapShare = 0.1;

using Triple = std::array<double, 3>;

// The bars of a colour space, as reports name them: the colour space's token
// ("rec709") or its name for people ("Rec. 709").
std::string BarsToken(int colourSpace)
{
    const bt::ColorSpaceFacts* facts = bt::FindColorSpace(static_cast<std::uint8_t>(colourSpace));
    return facts != nullptr ? facts->token : "none";
}
std::string BarsName(int colourSpace)
{
    const bt::ColorSpaceFacts* facts = bt::FindColorSpace(static_cast<std::uint8_t>(colourSpace));
    return facts != nullptr ? std::string(bt::DisplayName(*facts)) : "no";
}

std::string CodesText(const Triple& v, int components)
{
    if (components == 1)
        return Printf("%.0f", v[0]);
    return Printf("%.0f %.0f %.0f", v[0], v[1], v[2]);
}

bool IsHdr(const btmedia::ColourCodes& c) { return c.transfer == 16 || c.transfer == 18; }

struct Candidate {
    int colourSpace = 0;
    Matrix matrix = Matrix::Bt709;
    btmedia::ColourCodes colour;
    btmedia::StudioPicture picture;
    Layout layout;
};

struct Fit {
    Geometry geometry;
    std::vector<Measurement> measurements;
    Hypothesis best;
    double score = 0;
    double share = 0;
    int measured = 0;
};

double RegionError(const Region& r, const Measurement& m, Matrix reference, const Hypothesis& h,
                   const FileCoding& coding, int components)
{
    auto error = [&](const Codes& bars, const Triple& seen) {
        const Triple p = Predict(bars, reference, h, coding);
        double e = 0;
        for (int c = 0; c < components; ++c)
            e = std::max(e, std::abs(p[c] - seen[c]));
        return e;
    };
    if (!r.ramp)
        return error(r.code, m.median);
    double sum = 0;
    for (std::size_t i = 0; i < m.columns.size(); ++i)
        sum += error(r.columns[static_cast<std::size_t>(m.columnIndex[i])], m.columns[i]);
    return sum / static_cast<double>(m.columns.size());
}

Fit Evaluate(const Candidate& candidate, const CodePicture& file, double tolerance)
{
    Fit fit;
    fit.geometry = FitGeometry(candidate.layout, file);
    fit.measurements = MeasureRegions(candidate.layout, fit.geometry, file);
    const FileCoding coding{file.family, file.depth};
    const double top = std::ldexp(1.0, file.depth) - 1;
    const double cap = kErrorCapShare * top;
    const double loose = std::max(tolerance, kLooseShare * top);
    const int components = file.Components();
    double bestCost = 0;
    bool first = true;
    for (const Hypothesis& h : AllHypotheses(candidate.matrix, file.family, !IsHdr(candidate.colour))) {
        if (file.family == Family::Gray && (h.matrix != candidate.matrix || h.decoded || h.gamut != Gamut::None))
            continue;
        double score = 0;
        int fitting = 0, measured = 0;
        for (std::size_t i = 0; i < candidate.layout.regions.size(); ++i) {
            const Measurement& m = fit.measurements[i];
            if (!m.measured)
                continue;
            const double e = RegionError(candidate.layout.regions[i], m, candidate.matrix, h, coding, components);
            score += std::min(e, cap);
            fitting += e <= loose;
            ++measured;
        }
        // Each departure from the clean coding has to earn its place.
        const double cost = score + tolerance * h.Departures(candidate.matrix);
        if (first || cost < bestCost) {
            first = false;
            bestCost = cost;
            fit.best = h;
            fit.score = score;
            fit.measured = measured;
            fit.share = measured > 0 ? static_cast<double>(fitting) / measured : 0.0;
        }
    }
    return fit;
}

// The coding a clean chain leaves: the bars' own matrix, narrow range for
// Y'CbCr; R'G'B' may be narrow or full, whichever the picture is.
Hypothesis CleanFor(const Candidate& c, const Fit& fit, Family family)
{
    Hypothesis h;
    h.matrix = c.matrix;
    h.coding = family == Family::Rgb && fit.best.coding == Coding::Full ? Coding::Full : Coding::Narrow;
    return h;
}

bool SameSdrTransfer(int a, int b)
{
    auto sdr = [](int t) { return t == 1 || t == 6 || t == 14 || t == 15; };
    return a == b || (sdr(a) && sdr(b));
}


std::string TagText(int code) { return code == 2 ? std::string("unspecified (2)") : std::to_string(code); }

// A fault found again in another frame adds the frame to the first.
void AddFault(std::vector<Fault>& faults, Fault f, std::int64_t frame = -1)
{
    for (Fault& g : faults)
        if (g.kind == f.kind && g.sentence == f.sentence) {
            if (frame >= 0)
                g.frames.push_back(frame);
            return;
        }
    if (frame >= 0)
        f.frames.push_back(frame);
    faults.push_back(std::move(f));
}

// Faults of the coding of one frame against the bars.
void CodingFaults(const Candidate& c, const Fit& fit, const CodePicture& file, const Hypothesis& clean,
                  double tolerance, std::vector<RegionReading>& readings, std::vector<Fault>& faults)
{
    const FileCoding coding{file.family, file.depth};
    const int components = file.Components();
    const std::string bars = BarsName(c.colourSpace);
    const Hypothesis& best = fit.best;

    if (best.matrix != c.matrix) {
        Fault f{kind::kMatrix,
                file.family == Family::Rgb
                    ? Printf("R'G'B' was decoded with %s coefficients; %s bars are %s",
                             MatrixName(best.matrix), bars.c_str(), MatrixName(c.matrix))
                    : Printf("the colour differences are coded with %s coefficients; %s bars are %s",
                             MatrixName(best.matrix), bars.c_str(), MatrixName(c.matrix)),
                {},
                {{"found", MatrixName(best.matrix)}, {"expected", MatrixName(c.matrix)}}};
        AddFault(faults, f, file.frameIndex);
    }
    if (best.coding != clean.coding) {
        const char* what = best.coding == Coding::Full ? "expanded to full range (black at 0)"
                           : best.coding == Coding::Squeezed ? "squeezed: full-range scaling applied to narrow codes"
                                                             : "narrow range where full was expected";
        AddFault(faults, Fault{kind::kRange, Printf("the codes are %s", what), {},
                               {{"found", CodingName(best.coding)}, {"expected", CodingName(clean.coding)}}},
                 file.frameIndex);
    }

    // Each region against the clean bars, and what the best fit leaves over.
    int left = 0;
    double worstLeft = 0;
    std::optional<RegionReading> worst;
    double clipLow = -1, clipHigh = -1;
    for (std::size_t i = 0; i < c.layout.regions.size(); ++i) {
        const Measurement& m = fit.measurements[i];
        if (!m.measured)
            continue;
        const Region& r = c.layout.regions[i];
        RegionReading reading;
        reading.region = r;
        reading.x0 = m.x0;
        reading.x1 = m.x1;
        reading.y0 = m.y0;
        reading.y1 = m.y1;
        if (r.ramp) {
            // A ramp is shown by its mean over the columns measured.
            for (std::size_t k = 0; k < m.columns.size(); ++k) {
                const Triple p = Predict(r.columns[static_cast<std::size_t>(m.columnIndex[k])], c.matrix, clean, coding);
                for (int ch = 0; ch < 3; ++ch) {
                    reading.expected[ch] += p[ch] / static_cast<double>(m.columns.size());
                    reading.measured[ch] += m.columns[k][ch] / static_cast<double>(m.columns.size());
                }
            }
        } else {
            reading.expected = Predict(r.code, c.matrix, clean, coding);
            reading.measured = m.median;
        }
        reading.deviation = RegionError(r, m, c.matrix, clean, coding, components);
        reading.ok = reading.deviation <= tolerance;
        const double leftOver = RegionError(r, m, c.matrix, best, coding, components);
        if (leftOver > tolerance) {
            ++left;
            if (leftOver > worstLeft) {
                worstLeft = leftOver;
                worst = reading;
            }
        }
        // What the regions below black and above white read where clipped.
        if (!r.ramp && (best.clip & kClipBelow) && r.code[0] < kBlack10)
            clipLow = std::max(clipLow, m.median[0]);
        if (!r.ramp && (best.clip & kClipAbove) && r.code[0] > kWhite10)
            clipHigh = clipHigh < 0 ? m.median[0] : std::min(clipHigh, m.median[0]);
        readings.push_back(reading);
    }
    if (best.clip != kClipNone) {
        Fault f{kind::kClipping,
                Printf("%s clipped: the bars' steps beyond nominal black and white read as black and white",
                       ClipName(best.clip)),
                {},
                {{"clipped", ClipName(best.clip)}}};
        if (clipLow >= 0)
            f.values.emplace_back("below_black_reads", clipLow);
        if (clipHigh >= 0)
            f.values.emplace_back("above_white_reads", clipHigh);
        AddFault(faults, f, file.frameIndex);
    }
    if (worst) {
        const RegionReading& w = *worst;
        AddFault(faults,
                 Fault{kind::kLevel,
                       Printf("%d of %zu regions differ from %s bars by more than %.0f codes; the worst, %s at "
                              "x %d-%d y %d-%d, reads %s for %s (%.0f codes off)",
                              left, readings.size(), bars.c_str(), tolerance, w.region.ramp ? "a ramp" : "a patch",
                              w.x0, w.x1, w.y0, w.y1, CodesText(w.measured, components).c_str(),
                              CodesText(w.expected, components).c_str(), worstLeft),
                       {{"regions_off", left}, {"regions", static_cast<double>(readings.size())}, {"worst_codes", worstLeft}},
                       {}},
                 file.frameIndex);
    }
}

} // namespace

std::vector<std::int64_t> SpreadFrames(std::int64_t frameCount, int count)
{
    std::vector<std::int64_t> frames;
    if (frameCount <= 0 || count <= 0)
        return frames;
    if (count == 1 || frameCount == 1)
        return {0};
    for (int i = 0; i < count; ++i) {
        const std::int64_t f = (frameCount - 1) * i / (count - 1);
        if (frames.empty() || frames.back() != f)
            frames.push_back(f);
    }
    return frames;
}

PictureFinding CheckPicture(MediaFile& file, Reference& reference, const ClipExpectation* clip,
                            const Tolerances& tolerances, int frames)
{
    PictureFinding out;
    const auto& facts = file.Facts().picture;
    if (!facts)
        return out;
    out.present = true;
    const std::vector<std::int64_t> wanted = SpreadFrames(facts->frameCount, frames);
    CodePicture first = file.DecodeFrame(wanted.empty() ? 0 : wanted.front());
    out.width = first.width;
    out.height = first.height;
    out.depth = first.depth;
    out.family = first.family;
    const double tolerance = tolerances.pictureCodes * std::ldexp(1.0, first.depth - 10);
    out.tolerance = tolerance;

    // Every colour space the module paints is a candidate, at the file's size.
    std::vector<Candidate> candidates;
    for (const bt::ColorSpaceFacts& space : bt::kColorSpaces) {
        const int cs = bt::RecordValue(space.space);
        Candidate c;
        c.colourSpace = cs;
        c.colour = reference.Colour(cs);
        if (!MatrixOfCode(c.colour.matrix, c.matrix))
            continue;
        c.picture = reference.Picture(cs, first.width, first.height);
        c.layout = FindRegions(c.picture);
        candidates.push_back(std::move(c));
    }
    std::size_t chosen = 0;
    Fit chosenFit;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        Fit fit = Evaluate(candidates[i], first, tolerance);
        if (i == 0 || fit.share > chosenFit.share + 1e-9 ||
            (std::abs(fit.share - chosenFit.share) <= 1e-9 && fit.score < chosenFit.score)) {
            chosen = i;
            chosenFit = std::move(fit);
        }
    }
    if (candidates.empty())
        return out;
    const Candidate& c = candidates[chosen];
    out.matchShare = chosenFit.share;
    if (chosenFit.share < kMinMatchShare) {
        out.faults.push_back(Fault{kind::kLevel,
                                   Printf("the picture is not bars: at most %.0f%% of the regions of the module's "
                                          "bars of any colour space fit it (%s came nearest)",
                                          100 * chosenFit.share, BarsName(c.colourSpace).c_str()),
                                   {{"match_share", chosenFit.share}},
                                   {{"nearest", BarsToken(c.colourSpace)}}});
        out.frames.push_back(first.frameIndex);
        return out;
    }
    out.bars = BarsToken(c.colourSpace);
    out.barsName = BarsName(c.colourSpace);
    out.colourSpace = c.colourSpace;
    out.x = chosenFit.geometry.x;
    out.y = chosenFit.geometry.y;
    out.contentMatrix = MatrixName(chosenFit.best.matrix);
    out.contentRange = CodingName(chosenFit.best.coding);
    out.contentClipping = ClipName(chosenFit.best.clip);

    // The first frame, then the others the same way.
    auto checkFrame = [&](const CodePicture& picture, const Fit& fit, bool keepRegions) {
        out.frames.push_back(picture.frameIndex);
        const Hypothesis clean = CleanFor(c, fit, picture.family);
        std::vector<RegionReading> readings;
        CodingFaults(c, fit, picture, clean, tolerance, readings, out.faults);
        if (keepRegions)
            out.regions = std::move(readings);
        const double shift = fit.geometry.LargestShift(picture.width, picture.height);
        if (shift > tolerances.geometryPixels)
            AddFault(out.faults,
                     Fault{kind::kGeometry,
                           Printf("the bars' edges moved by up to %.1f pixels (x: %.4f scale, %+.1f; "
                                  "y: %.4f scale, %+.1f)",
                                  shift, fit.geometry.x.scale,
                                  fit.geometry.x.offset, fit.geometry.y.scale, fit.geometry.y.offset),
                           {{"largest_shift", shift},
                            {"x_scale", fit.geometry.x.scale},
                            {"x_offset", fit.geometry.x.offset},
                            {"y_scale", fit.geometry.y.scale},
                            {"y_offset", fit.geometry.y.offset}},
                           {}},
                     picture.frameIndex);
    };
    checkFrame(first, chosenFit, true);
    for (std::size_t i = 1; i < wanted.size(); ++i) {
        const CodePicture picture = file.DecodeFrame(wanted[i]);
        if (picture.width != first.width || picture.height != first.height) {
            AddFault(out.faults, Fault{kind::kSize,
                                       Printf("frame %lld is %d x %d where the first is %d x %d",
                                              static_cast<long long>(picture.frameIndex), picture.width,
                                              picture.height, first.width, first.height),
                                       {}, {}});
            continue;
        }
        const Fit fit = Evaluate(c, picture, tolerance);
        if (fit.share < kMinMatchShare) {
            out.frames.push_back(picture.frameIndex);
            AddFault(out.faults, Fault{kind::kLevel,
                                       Printf("frame %lld is not the bars the first frame is (%.0f%% of regions fit)",
                                              static_cast<long long>(picture.frameIndex), 100 * fit.share),
                                       {{"match_share", fit.share}}, {}});
            continue;
        }
        checkFrame(picture, fit, false);
    }

    // The stream's tags against the content.
    const ColourTags& tags = facts->tags;
    if (first.family != Family::Gray) {
        Matrix tagged{};
        const Hypothesis& best = chosenFit.best;
        if (first.family == Family::YCbCr && tags.matrix != 2) {
            if (!MatrixOfCode(tags.matrix, tagged) || tagged != best.matrix)
                out.faults.push_back(Fault{kind::kMatrix,
                                           Printf("tagged matrix %d, but the codes are %s", tags.matrix,
                                                  MatrixName(best.matrix)),
                                           {{"tagged", tags.matrix}},
                                           {{"content", MatrixName(best.matrix)}}});
        }
        const bool contentFull = best.coding == Coding::Full;
        if (tags.range != 0 && (tags.range == 2) != contentFull)
            out.faults.push_back(Fault{kind::kRange,
                                       Printf("tagged %s range, but the codes are %s range",
                                              tags.range == 2 ? "full" : "narrow", contentFull ? "full" : "narrow"),
                                       {{"tagged", tags.range}},
                                       {{"content", contentFull ? "full" : "narrow"}}});
    }
    const bool hdr = IsHdr(c.colour);
    if ((tags.transfer != 2 && !SameSdrTransfer(tags.transfer, c.colour.transfer)) || (tags.transfer == 2 && hdr))
        out.faults.push_back(Fault{kind::kTransferTag,
                                   Printf("tagged transfer %s, but the picture is %s bars (transfer %d)",
                                          TagText(tags.transfer).c_str(), out.barsName.c_str(), c.colour.transfer),
                                   {{"tagged", tags.transfer}, {"expected", c.colour.transfer}},
                                   {}});
    if ((tags.primaries != 2 && tags.primaries != c.colour.primaries) || (tags.primaries == 2 && hdr))
        out.faults.push_back(Fault{kind::kPrimariesTag,
                                   Printf("tagged primaries %s, but the picture is %s bars (primaries %d)",
                                          TagText(tags.primaries).c_str(), out.barsName.c_str(), c.colour.primaries),
                                   {{"tagged", tags.primaries}, {"expected", c.colour.primaries}},
                                   {}});

    if (clip != nullptr) {
        if (clip->colourSpace != c.colourSpace)
            out.faults.push_back(Fault{kind::kLevel,
                                       Printf("the picture is %s bars; the clip's are %s", out.barsName.c_str(),
                                              BarsName(clip->colourSpace).c_str()),
                                       {},
                                       {{"found", out.bars}, {"clip", BarsToken(clip->colourSpace)}}});
        if (clip->width != first.width || clip->height != first.height)
            out.faults.push_back(Fault{kind::kSize,
                                       Printf("the picture is %d x %d; the clip is %d x %d", first.width,
                                              first.height, clip->width, clip->height),
                                       {{"width", first.width}, {"height", first.height},
                                        {"clip_width", clip->width}, {"clip_height", clip->height}},
                                       {}});
        const std::int64_t sarNum = facts->sarNum > 0 ? facts->sarNum : 1;
        const std::int64_t sarDen = facts->sarNum > 0 ? facts->sarDen : 1;
        if (sarNum * clip->parDen != sarDen * clip->parNum)
            out.faults.push_back(Fault{kind::kSize,
                                       Printf("the pixel aspect ratio is %lld/%lld%s; the clip's is %u/%u",
                                              static_cast<long long>(sarNum), static_cast<long long>(sarDen),
                                              facts->sarNum > 0 ? "" : " (not declared)", clip->parNum, clip->parDen),
                                       {{"par", static_cast<double>(sarNum) / static_cast<double>(sarDen)},
                                        {"clip_par", static_cast<double>(clip->parNum) / clip->parDen}},
                                       {}});
    }
    return out;
}

} // namespace btcheck
