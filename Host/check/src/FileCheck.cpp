#include "btcheck/Check.h"

#include "ImporterBarsAndTone/HostRecords.h"
#include "Text.h"
#include "btcheck/Timecode.h"

#include <cmath>

namespace btcheck {

FileFinding CheckFileFacts(const FileFacts& facts, const ClipExpectation* clip, const std::string& startTimecode,
                           const CarriedTimecode& carried)
{
    FileFinding out;
    out.facts = facts;
    out.carried = carried;
    const auto& p = facts.picture;
    const auto& s = facts.sound;
    const double fps = p && p->rateNum > 0 ? static_cast<double>(p->rateNum) / p->rateDen : 0.0;

    if (p && s && facts.lengthsDeclared && p->durationSeconds > 0 && s->durationSeconds > 0 && fps > 0 && !p->still) {
        const double gap = s->durationSeconds - p->durationSeconds;
        if (std::abs(gap) > 1.0 / fps + 1e-3)
            out.faults.push_back(Fault{kind::kDuration,
                                       Printf("the file says the sound lasts %.3f s %s than the picture (%.3f s "
                                              "against %.3f s), more than a frame",
                                              std::abs(gap), gap > 0 ? "longer" : "shorter", s->durationSeconds,
                                              p->durationSeconds),
                                       {{"sound_seconds", s->durationSeconds}, {"picture_seconds", p->durationSeconds}},
                                       {}});
    }

    // The container's start timecode as written; the pictures' own, where
    // the container has none, counts as the file's start.
    const long nominal = NominalRate(fps);
    if (!facts.timecode.empty()) {
        Timecode tc;
        if (!ParseTimecode(facts.timecode, tc)) {
            out.faults.push_back(Fault{kind::kTimecode, "the start timecode \"" + facts.timecode + "\" is not a timecode",
                                       {}, {{"timecode", facts.timecode}}});
        } else {
            if (nominal > 0 && tc.f >= nominal)
                out.faults.push_back(Fault{kind::kTimecode,
                                           Printf("the start timecode %s counts frame %d at %ld frames per second",
                                                  facts.timecode.c_str(), tc.f, nominal),
                                           {}, {{"timecode", facts.timecode}}});
            if (tc.dropFrame && fps > 0 && !HasDropFrame(fps))
                out.faults.push_back(Fault{kind::kTimecode,
                                           Printf("the start timecode %s is drop-frame at %.3f fps, which has no "
                                                  "drop-frame count",
                                                  facts.timecode.c_str(), fps),
                                           {}, {{"timecode", facts.timecode}}});
        }
    }
    const std::string& start = !facts.timecode.empty() ? facts.timecode : carried.start;
    Timecode tc;
    if (!start.empty() && ParseTimecode(start, tc)) {
        if (clip != nullptr && tc.dropFrame != clip->dropFrame)
            out.faults.push_back(Fault{kind::kTimecode,
                                       Printf("the start timecode %s is %s; the clip counts %s", start.c_str(),
                                              tc.dropFrame ? "drop-frame" : "non-drop-frame",
                                              clip->dropFrame ? "drop-frame" : "non-drop-frame"),
                                       {}, {{"timecode", start}}});
        Timecode expected;
        if (!startTimecode.empty() && nominal > 0 && ParseTimecode(startTimecode, expected) &&
            FramesSinceMidnight(expected, static_cast<int>(nominal)) != FramesSinceMidnight(tc, static_cast<int>(nominal)))
            out.faults.push_back(Fault{kind::kTimecode,
                                       Printf("the start timecode is %s; %s was expected", start.c_str(),
                                              startTimecode.c_str()),
                                       {}, {{"timecode", start}, {"expected", startTimecode}}});
    } else if (start.empty() && !startTimecode.empty()) {
        out.faults.push_back(Fault{kind::kTimecode,
                                   "the file carries no timecode; " + startTimecode + " was expected", {},
                                   {{"expected", startTimecode}}});
    }

    if (clip != nullptr && p && !p->still && fps > 0 && clip->frameDuration > 0) {
        const double clipFps = static_cast<double>(bt::records::kTicksPerSecond) / static_cast<double>(clip->frameDuration);
        if (std::abs(fps - clipFps) > 1e-3 * clipFps)
            out.faults.push_back(Fault{kind::kDuration,
                                       Printf("frames last 1/%.3f s; the clip's last 1/%.3f s", fps, clipFps),
                                       {{"fps", fps}, {"clip_fps", clipFps}}, {}});
    }
    return out;
}

namespace {

// Sound codecs code in frames (AAC's 1024 samples, MP2's 1152) and pad the
// last one; sound may end this much either side of what is declared.
constexpr double kSoundCodecFrame = 2048;

} // namespace

std::vector<Fault> CheckLengths(const FileFacts& facts, const PassSummary& read)
{
    std::vector<Fault> out;
    const auto& p = facts.picture;
    const auto& s = facts.sound;
    const bool moving = p && !p->still && p->rateNum > 0;
    const double frame = moving ? static_cast<double>(p->rateDen) / p->rateNum : 0.0;
    const double soundSlack = s && s->rate > 0 ? kSoundCodecFrame / s->rate : 0.0;
    const std::string why = read.readError.empty() ? "" : " (the reader stopped: " + read.readError + ")";

    if (!read.stopped) {
        // A stream format's lengths are guessed from the very timestamps read.
        const double pictureDeclared = moving && facts.lengthsDeclared ? p->durationSeconds : 0.0;
        if (pictureDeclared > 0 && read.pictureEndSeconds < pictureDeclared - frame - 1e-6) {
            Fault f{kind::kTruncated,
                    Printf("the picture ends at %.3f s after %lld frames; the file says %.3f s, %lld frames%s",
                           read.pictureEndSeconds, static_cast<long long>(read.pictures), pictureDeclared,
                           static_cast<long long>(p->frameCount), why.c_str()),
                    {{"ends_seconds", read.pictureEndSeconds},
                     {"declared_seconds", pictureDeclared},
                     {"frames", static_cast<double>(read.pictures)},
                     {"declared_frames", static_cast<double>(p->frameCount)}},
                    {}};
            f.time = FaultTime{read.pictureEndSeconds, pictureDeclared, read.pictures, p->frameCount - 1};
            out.push_back(std::move(f));
        }
        const double soundDeclared = s && facts.lengthsDeclared ? s->durationSeconds : 0.0;
        const double soundLength = read.soundEndSeconds - read.soundStartSeconds;
        if (soundDeclared > 0 && soundLength < soundDeclared - std::max(frame, soundSlack) - 1e-6) {
            Fault f{kind::kTruncated,
                    Printf("the sound ends at %.3f s; the file says it lasts %.3f s%s", read.soundEndSeconds,
                           soundDeclared, why.c_str()),
                    {{"ends_seconds", read.soundEndSeconds}, {"declared_seconds", soundDeclared}},
                    {}};
            f.time = FaultTime{read.soundEndSeconds, read.soundStartSeconds + soundDeclared, -1, -1};
            out.push_back(std::move(f));
        }
        // What was decoded of each, against the other, where that is not
        // what the file declares already (a fault of its facts).
        if (moving && read.pictures > 0 && read.samples > 0) {
            const double gap = read.soundEndSeconds - read.pictureEndSeconds;
            const double declaredGap = s ? s->durationSeconds - p->durationSeconds : 0.0;
            const bool declaredSo = facts.lengthsDeclared && p->durationSeconds > 0 && s && s->durationSeconds > 0 &&
                                    std::abs(declaredGap) > frame + 1e-3 && std::abs(gap - declaredGap) <= frame;
            if (std::abs(gap) > frame + soundSlack && !declaredSo)
                out.push_back(Fault{kind::kDuration,
                                    Printf("the sound decoded ends %.3f s %s the picture (at %.3f s against %.3f s)",
                                           std::abs(gap), gap > 0 ? "after" : "before", read.soundEndSeconds,
                                           read.pictureEndSeconds),
                                    {{"sound_ends", read.soundEndSeconds}, {"picture_ends", read.pictureEndSeconds}},
                                    {}});
        }
        if (!read.readError.empty() && out.empty())
            out.push_back(Fault{kind::kDecode, "the reader stopped before the end of the file: " + read.readError, {},
                                {{"error", read.readError}}});
    }
    if (read.decodeErrors > 0)
        out.push_back(Fault{kind::kDecode,
                            Printf("the decoders refused or marked damaged %lld packets or frames%s%s",
                                   static_cast<long long>(read.decodeErrors),
                                   read.firstDecodeError.empty() ? "" : "; the first: ",
                                   read.firstDecodeError.c_str()),
                            {{"errors", static_cast<double>(read.decodeErrors)}},
                            {{"first", read.firstDecodeError}}});
    return out;
}

} // namespace btcheck
