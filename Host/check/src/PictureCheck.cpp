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
} // namespace

std::string BarsName(int colourSpace)
{
    const bt::ColorSpaceFacts* facts = bt::FindColorSpace(static_cast<std::uint8_t>(colourSpace));
    return facts != nullptr ? std::string(bt::DisplayName(*facts)) : "no";
}

namespace {


bool IsHdr(const btmedia::ColourCodes& c) { return c.transfer == 16 || c.transfer == 18; }

} // namespace

std::string CodesText(const Triple& v, int components)
{
    if (components == 1)
        return Printf("%.0f", v[0]);
    return Printf("%.0f %.0f %.0f", v[0], v[1], v[2]);
}

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
    // A wide ramp is weighed on at most this many of its columns.
    constexpr std::size_t kRampColumns = 64;
    const std::size_t step = std::max<std::size_t>(1, m.columns.size() / kRampColumns);
    double sum = 0;
    std::size_t n = 0;
    for (std::size_t i = 0; i < m.columns.size(); i += step, ++n)
        sum += error(r.columns[static_cast<std::size_t>(m.columnIndex[i])], m.columns[i]);
    return n > 0 ? sum / static_cast<double>(n) : 0.0;
}

namespace {

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

    if (best.decoded) {
        AddFault(faults,
                 Fault{kind::kMatrix,
                       Printf("the colour differences were decoded with %s coefficients and coded again with %s; "
                              "%s bars are %s",
                              MatrixName(*best.decoded), MatrixName(best.matrix), bars.c_str(), MatrixName(c.matrix)),
                       {},
                       {{"decoded", MatrixName(*best.decoded)},
                        {"found", MatrixName(best.matrix)},
                        {"expected", MatrixName(c.matrix)}}},
                 file.frameIndex);
    } else if (best.matrix != c.matrix) {
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
    if (best.gamut != Gamut::None)
        AddFault(faults,
                 Fault{kind::kGamut, Printf("the colours went through a gamut conversion: %s", GamutName(best.gamut)),
                       {},
                       {{"conversion", GamutName(best.gamut)}}},
                 file.frameIndex);
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
                 Fault{kind::kPicture,
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

std::vector<Candidate> BarsCandidates(Reference& reference, int width, int height)
{
    std::vector<Candidate> candidates;
    for (const bt::ColorSpaceFacts& space : bt::kColorSpaces) {
        const int cs = bt::RecordValue(space.space);
        Candidate c;
        c.colourSpace = cs;
        c.colour = reference.Colour(cs);
        if (!MatrixOfCode(c.colour.matrix, c.matrix))
            continue;
        btmedia::StudioPicture picture = reference.Picture(cs, width, height);
        c.layout = FindRegions(picture);
        candidates.push_back(std::move(c));
    }
    return candidates;
}

Baseline Establish(const std::vector<Candidate>& candidates, const CodePicture& first, const PictureFacts& facts,
                   const ClipExpectation* clip, const Tolerances& tolerances, PictureFinding& out)
{
    Baseline base;
    out.width = first.width;
    out.height = first.height;
    out.depth = first.depth;
    out.family = first.family;
    const double tolerance = tolerances.pictureCodes * std::ldexp(1.0, first.depth - 10);
    out.tolerance = tolerance;
    base.tolerance = tolerance;
    base.loose = std::max(tolerance, kLooseShare * (std::ldexp(1.0, first.depth) - 1));
    base.coding = FileCoding{first.family, first.depth};
    base.components = first.Components();
    if (candidates.empty())
        return base;

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
    const Candidate& c = candidates[chosen];
    base.candidate = c;
    base.fit = chosenFit;
    base.clean = CleanFor(c, chosenFit, first.family);
    out.matchShare = chosenFit.share;
    if (chosenFit.share < kMinMatchShare)
        return base;
    base.bars = true;
    base.offFromTheStart.assign(c.layout.regions.size(), false);
    for (std::size_t i = 0; i < c.layout.regions.size(); ++i)
        base.offFromTheStart[i] = chosenFit.measurements[i].measured &&
                                  RegionError(c.layout.regions[i], chosenFit.measurements[i], c.matrix,
                                              chosenFit.best, base.coding, base.components) > tolerance;
    out.bars = BarsToken(c.colourSpace);
    out.barsName = BarsName(c.colourSpace);
    out.colourSpace = c.colourSpace;
    out.x = chosenFit.geometry.x;
    out.y = chosenFit.geometry.y;
    out.contentMatrix = MatrixName(chosenFit.best.matrix);
    out.contentRange = CodingName(chosenFit.best.coding);
    out.contentClipping = ClipName(chosenFit.best.clip);

    std::vector<RegionReading> readings;
    CodingFaults(c, chosenFit, first, base.clean, tolerance, readings, out.faults);
    out.regions = std::move(readings);
    const double shift = chosenFit.geometry.LargestShift(first.width, first.height);
    if (shift > tolerances.geometryPixels)
        AddFault(out.faults,
                 Fault{kind::kGeometry,
                       Printf("the bars' edges moved by up to %.1f pixels (x: %.4f scale, %+.1f; y: %.4f scale, %+.1f)",
                              shift, chosenFit.geometry.x.scale, chosenFit.geometry.x.offset,
                              chosenFit.geometry.y.scale, chosenFit.geometry.y.offset),
                       {{"largest_shift", shift},
                        {"x_scale", chosenFit.geometry.x.scale},
                        {"x_offset", chosenFit.geometry.x.offset},
                        {"y_scale", chosenFit.geometry.y.scale},
                        {"y_offset", chosenFit.geometry.y.offset}},
                       {}},
                 first.frameIndex);

    // The stream's tags against the content.
    const ColourTags& tags = facts.tags;
    const Hypothesis& best = chosenFit.best;
    if (first.family != Family::Gray) {
        Matrix tagged{};
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
            out.faults.push_back(Fault{kind::kPicture,
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
        const std::int64_t sarNum = facts.sarNum > 0 ? facts.sarNum : 1;
        const std::int64_t sarDen = facts.sarNum > 0 ? facts.sarDen : 1;
        if (sarNum * clip->parDen != sarDen * clip->parNum)
            out.faults.push_back(Fault{kind::kSize,
                                       Printf("the pixel aspect ratio is %lld/%lld%s; the clip's is %u/%u",
                                              static_cast<long long>(sarNum), static_cast<long long>(sarDen),
                                              facts.sarNum > 0 ? "" : " (not declared)", clip->parNum, clip->parDen),
                                       {{"par", static_cast<double>(sarNum) / static_cast<double>(sarDen)},
                                        {"clip_par", static_cast<double>(clip->parNum) / clip->parDen}},
                                       {}});
    }
    return base;
}

} // namespace btcheck
