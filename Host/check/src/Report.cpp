#include "btcheck/Report.h"

#include "Text.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <sstream>

namespace btcheck {

namespace {

using nlohmann::json;

const char* FamilyName(Family f)
{
    switch (f) {
    case Family::YCbCr: return "Y'CbCr";
    case Family::Rgb: return "R'G'B'";
    case Family::Gray: return "grey";
    }
    return "";
}

json FaultsJson(const std::vector<Fault>& faults)
{
    json out = json::array();
    for (const Fault& f : faults) {
        json j{{"kind", f.kind}, {"sentence", f.sentence}};
        for (const auto& [name, value] : f.values)
            j[name] = value;
        for (const auto& [name, value] : f.texts)
            j[name] = value;
        if (!f.frames.empty())
            j["frames"] = f.frames;
        if (f.time)
            j["time"] = json{{"start_seconds", f.time->startSeconds},
                             {"end_seconds", f.time->endSeconds},
                             {"first_frame", f.time->firstFrame},
                             {"last_frame", f.time->lastFrame}};
        out.push_back(std::move(j));
    }
    return out;
}

json PictureJson(const PictureFinding& p)
{
    if (!p.present)
        return json{{"present", false}, {"faults", json::array()}};
    json regions = json::array();
    for (const RegionReading& r : p.regions)
        regions.push_back(json{{"x0", r.x0},
                               {"y0", r.y0},
                               {"x1", r.x1},
                               {"y1", r.y1},
                               {"ramp", r.region.ramp},
                               {"expected", r.expected},
                               {"measured", r.measured},
                               {"deviation", r.deviation},
                               {"ok", r.ok}});
    return json{{"present", true},
                {"bars", p.bars},
                {"bars_name", p.barsName},
                {"match_share", p.matchShare},
                {"width", p.width},
                {"height", p.height},
                {"depth", p.depth},
                {"family", FamilyName(p.family)},
                {"tolerance_codes", p.tolerance},
                {"content_matrix", p.contentMatrix},
                {"content_range", p.contentRange},
                {"content_clipping", p.contentClipping},
                {"geometry", {{"x_scale", p.x.scale}, {"x_offset", p.x.offset}, {"x_edges", p.x.edges},
                              {"y_scale", p.y.scale}, {"y_offset", p.y.offset}, {"y_edges", p.y.edges}}},
                {"frames", p.frames},
                {"every_frame", p.everyFrame},
                {"pictures_read", p.picturesMet},
                {"pictures_measured", p.picturesMeasured},
                {"regions", regions},
                {"faults", FaultsJson(p.faults)}};
}

// A level in JSON: null where there is none to give (silence's -inf).
json Level(bool known, double value)
{
    return known && std::isfinite(value) ? json(value) : json(nullptr);
}

json SoundJson(const SoundFinding& s)
{
    if (!s.present)
        return json{{"present", false}, {"faults", json::array()}};
    json channels = json::array();
    for (const ChannelReading& c : s.channels)
        channels.push_back(json{{"name", c.name},
                                {"rms_dbfs", c.rmsDb},
                                {"peak_dbfs", c.peakDb},
                                {"frequency", c.frequency},
                                {"module_frequency", c.moduleFrequency},
                                {"carries", c.carries},
                                {"expected", c.expected},
                                {"gain_db", c.gainDb},
                                {"polarity", c.polarity}});
    return json{{"present", true},
                {"rate", s.rate},
                {"seconds", s.seconds},
                {"truncated", s.truncated},
                {"tone", s.tone},
                {"identified", s.identified},
                {"phase_seconds", s.phaseSeconds},
                {"rate_ratio", s.rateRatio},
                {"tone_dbfs", Level(s.identified, s.toneDbfs)},
                {"lineup", s.identified ? json{{"name", s.lineUp}, {"dbfs", s.lineUpDbfs}} : json(nullptr)},
                {"loudness",
                 {{"integrated_lufs", Level(s.loudnessMeasured, s.loudnessLufs)},
                  {"true_peak_dbtp", Level(s.loudnessMeasured, s.truePeakDbtp)}}},
                {"sync_seconds", Level(s.syncMeasured, s.syncSeconds)},
                {"channels", channels},
                {"faults", FaultsJson(s.faults)}};
}

json FileJson(const FileFinding& f)
{
    const FileFacts& facts = f.facts;
    json j{{"container", facts.container}, {"duration", facts.durationSeconds}, {"timecode", facts.timecode}};
    if (facts.picture) {
        const PictureFacts& p = *facts.picture;
        j["picture"] = json{{"codec", p.codec},
                            {"pixel_format", p.pixelFormat},
                            {"width", p.width},
                            {"height", p.height},
                            {"sar", Printf("%d/%d", p.sarNum, p.sarDen)},
                            {"frame_rate", Printf("%d/%d", p.rateNum, p.rateDen)},
                            {"frames", p.frameCount},
                            {"duration", p.durationSeconds},
                            {"primaries", p.tags.primaries},
                            {"transfer", p.tags.transfer},
                            {"matrix", p.tags.matrix},
                            {"range", p.tags.range == 2 ? "full" : p.tags.range == 1 ? "narrow" : "unspecified"},
                            {"chroma_location", p.chromaLocation}};
    }
    if (facts.sound) {
        const SoundFacts& s = *facts.sound;
        j["sound"] = json{{"codec", s.codec},      {"sample_format", s.sampleFormat}, {"rate", s.rate},
                          {"channels", s.channels}, {"layout", s.layout},             {"channel_names", s.channelNames},
                          {"duration", s.durationSeconds}};
    }
    j["carried_timecode"] = f.carried.told > 0 ? json{{"told", f.carried.told},
                                                       {"first_frame", f.carried.firstFrame},
                                                       {"first", f.carried.first},
                                                       {"start", f.carried.start}}
                                               : json(nullptr);
    const PassSummary& r = f.read;
    j["read"] = json{{"pictures", r.pictures},
                     {"pictures_decoded", r.picturesDecoded},
                     {"picture_ends", r.pictureEndSeconds},
                     {"samples", r.samples},
                     {"sound_starts", r.soundStartSeconds},
                     {"sound_ends", r.soundEndSeconds},
                     {"decode_errors", r.decodeErrors},
                     {"read_error", r.readError},
                     {"stopped", r.stopped}};
    j["faults"] = FaultsJson(f.faults);
    return j;
}

void Lines(std::ostringstream& out, const std::vector<Fault>& faults)
{
    for (const Fault& f : faults) {
        out << "  FAIL " << f.kind << ": " << f.sentence;
        for (std::size_t i = 0; i < f.frames.size(); ++i)
            out << (i == 0 ? (f.frames.size() == 1 ? " (frame " : " (frames ") : ", ") << f.frames[i];
        out << (f.frames.empty() ? "\n" : ")\n");
    }
}

} // namespace

std::string ReportText(const CheckReport& r)
{
    std::ostringstream out;
    out << "Checked " << r.path << (r.withClip ? " against its clip" : "") << "\n";

    const FileFacts& facts = r.file.facts;
    const CarriedTimecode& carried = r.file.carried;
    out << "File     " << facts.container << Printf(", %.3f s", facts.durationSeconds)
        << (!facts.timecode.empty()   ? ", timecode " + facts.timecode
            : !carried.start.empty() ? ", timecode " + carried.start + " (the pictures')"
                                     : ", no timecode")
        << "\n";
    if (facts.picture) {
        const PictureFacts& p = *facts.picture;
        out << Printf("  ok   picture: %s %s %d x %d, %d/%d fps, %lld frames, %.3f s; tags %d/%d/%d, %s range\n",
                      p.codec.c_str(), p.pixelFormat.c_str(), p.width, p.height, p.rateNum, p.rateDen,
                      static_cast<long long>(p.frameCount), p.durationSeconds, p.tags.primaries, p.tags.transfer,
                      p.tags.matrix, p.tags.range == 2 ? "full" : p.tags.range == 1 ? "narrow" : "unspecified");
    }
    if (facts.sound) {
        const SoundFacts& s = *facts.sound;
        out << Printf("  ok   sound: %s %d channels (%s) at %d Hz, %.3f s\n", s.codec.c_str(), s.channels,
                      s.layout.c_str(), s.rate, s.durationSeconds);
    }
    const PassSummary& read = r.file.read;
    out << Printf("  ok   read: %lld pictures to %.3f s, %lld samples to %.3f s, %lld decoder errors%s\n",
                  static_cast<long long>(read.pictures), read.pictureEndSeconds, static_cast<long long>(read.samples),
                  read.soundEndSeconds, static_cast<long long>(read.decodeErrors), read.stopped ? ", stopped early" : "");
    if (carried.told > 0)
        out << Printf("  note timecode: %lld carried by the pictures, the first %s at frame %lld\n",
                      static_cast<long long>(carried.told), carried.first.c_str(),
                      static_cast<long long>(carried.firstFrame));
    Lines(out, r.file.faults);

    const PictureFinding& p = r.picture;
    if (!p.present) {
        out << "Picture  none\n";
    } else {
        out << Printf("Picture  %s bars, %d-bit %s, ", p.colourSpace >= 0 ? p.barsName.c_str() : "no", p.depth,
                      FamilyName(p.family));
        if (p.everyFrame) {
            out << Printf("every frame: %lld read, %lld measured\n", static_cast<long long>(p.picturesMet),
                          static_cast<long long>(p.picturesMeasured));
        } else {
            out << "frames";
            for (std::int64_t f : p.frames)
                out << " " << f;
            out << "\n";
        }
        if (p.colourSpace >= 0) {
            const auto within = std::count_if(p.regions.begin(), p.regions.end(), [](const RegionReading& g) { return g.ok; });
            out << Printf("  %s regions: %lld of %zu within %.0f codes of the bars\n",
                          within == static_cast<long>(p.regions.size()) ? "ok  " : "note",
                          static_cast<long long>(within), p.regions.size(), p.tolerance);
            out << Printf("  note coding: %s coefficients, %s range, clipping: %s\n", p.contentMatrix.c_str(),
                          p.contentRange.c_str(), p.contentClipping.c_str());
            out << Printf("  note geometry: x %.4f scale %+.2f px (%d edges), y %.4f scale %+.2f px (%d edges)\n",
                          p.x.scale, p.x.offset, p.x.edges, p.y.scale, p.y.offset, p.y.edges);
        }
        Lines(out, p.faults);
    }

    const SoundFinding& s = r.sound;
    if (!s.present) {
        out << "Sound    none\n";
    } else {
        out << Printf("Sound    %s, %zu channels at %d Hz, %.1f s checked%s\n", s.tone.c_str(), s.channels.size(),
                      s.rate, s.seconds, s.truncated ? " (of more)" : "");
        if (s.identified)
            out << Printf("  note level: tone %.2f dBFS; %s %.2f dBFS\n", s.toneDbfs, s.lineUp.c_str(), s.lineUpDbfs);
        if (s.loudnessMeasured)
            out << Printf("  note loudness: %.1f LUFS integrated, true peak %.1f dBTP\n", s.loudnessLufs,
                          s.truePeakDbtp);
        if (s.syncMeasured)
            out << Printf("  note sync: the tone starts %+.1f ms from the first %s\n", 1000 * s.syncSeconds,
                          r.picture.present ? "picture" : "sample");
        for (const ChannelReading& c : s.channels)
            out << Printf("  note %-4s rms %7.2f dBFS, peak %7.2f dBFS, %8.2f Hz, gain %+.2f dB, polarity %s\n",
                          c.name.c_str(), c.rmsDb, c.peakDb, c.frequency, c.gainDb,
                          c.polarity > 0 ? "right" : c.polarity < 0 ? "inverted" : "not known");
        Lines(out, s.faults);
    }
    out << "Verdict  " << (r.Pass() ? "pass" : "fail") << "\n";
    return out.str();
}

std::string ReportJson(const CheckReport& r)
{
    json j{{"path", r.path},
           {"verdict", r.Pass() ? "pass" : "fail"},
           {"tolerances",
            {{"picture_codes_10bit", r.tolerances.pictureCodes},
             {"geometry_pixels", r.tolerances.geometryPixels},
             {"level_db", r.soundOptions.levelDb},
             {"frequency_hz", r.soundOptions.frequencyHz},
             {"sync_ms", r.soundOptions.syncMs},
             {"click_percent", r.soundOptions.clickPercent}}},
           {"picture", PictureJson(r.picture)},
           {"sound", SoundJson(r.sound)},
           {"file", FileJson(r.file)}};
    return j.dump() + "\n";
}

} // namespace btcheck
