#include "btcheck/Check.h"

#include "ImporterBarsAndTone/HostRecords.h"
#include "Text.h"

#include <cmath>
#include <cstdio>

namespace btcheck {

namespace {

struct Timecode {
    int h = 0, m = 0, s = 0, f = 0;
    bool dropFrame = false;
};

bool ParseTimecode(const std::string& text, Timecode& tc)
{
    char a = 0, b = 0, c = 0;
    int n = 0;
    if (std::sscanf(text.c_str(), "%d%c%d%c%d%c%d%n", &tc.h, &a, &tc.m, &b, &tc.s, &c, &tc.f, &n) != 7 ||
        n != static_cast<int>(text.size()) || a != ':' || b != ':' || (c != ':' && c != ';' && c != '.'))
        return false;
    tc.dropFrame = c == ';' || c == '.';
    return tc.h >= 0 && tc.h < 24 && tc.m >= 0 && tc.m < 60 && tc.s >= 0 && tc.s < 60 && tc.f >= 0;
}

} // namespace

FileFinding CheckFileFacts(const FileFacts& facts, const ClipExpectation* clip)
{
    FileFinding out;
    out.facts = facts;
    const auto& p = facts.picture;
    const auto& s = facts.sound;
    const double fps = p && p->rateNum > 0 ? static_cast<double>(p->rateNum) / p->rateDen : 0.0;

    if (p && s && p->durationSeconds > 0 && s->durationSeconds > 0 && fps > 0 && !p->still) {
        const double gap = s->durationSeconds - p->durationSeconds;
        if (std::abs(gap) > 1.0 / fps + 1e-3)
            out.faults.push_back(Fault{kind::kDuration,
                                       Printf("the sound lasts %.3f s and the picture %.3f s: %+.3f s, more than a "
                                              "frame apart",
                                              s->durationSeconds, p->durationSeconds, gap),
                                       {{"sound_seconds", s->durationSeconds}, {"picture_seconds", p->durationSeconds}},
                                       {}});
    }

    if (!facts.timecode.empty()) {
        Timecode tc;
        if (!ParseTimecode(facts.timecode, tc)) {
            out.faults.push_back(Fault{kind::kTimecode, "the start timecode \"" + facts.timecode + "\" is not a timecode",
                                       {}, {{"timecode", facts.timecode}}});
        } else {
            const long nominal = fps > 0 ? std::lround(fps) : 0;
            const bool dropRate = fps > 0 && std::abs(fps * 1001.0 / 1000.0 - static_cast<double>(nominal)) < 0.01 &&
                                  (nominal == 30 || nominal == 60);
            if (nominal > 0 && tc.f >= nominal)
                out.faults.push_back(Fault{kind::kTimecode,
                                           Printf("the start timecode %s counts frame %d at %ld frames per second",
                                                  facts.timecode.c_str(), tc.f, nominal),
                                           {}, {{"timecode", facts.timecode}}});
            if (tc.dropFrame && fps > 0 && !dropRate)
                out.faults.push_back(Fault{kind::kTimecode,
                                           Printf("the start timecode %s is drop-frame at %.3f fps, which has no "
                                                  "drop-frame count",
                                                  facts.timecode.c_str(), fps),
                                           {}, {{"timecode", facts.timecode}}});
            if (clip != nullptr && tc.dropFrame != clip->dropFrame)
                out.faults.push_back(Fault{kind::kTimecode,
                                           Printf("the start timecode %s is %s; the clip counts %s", facts.timecode.c_str(),
                                                  tc.dropFrame ? "drop-frame" : "non-drop-frame",
                                                  clip->dropFrame ? "drop-frame" : "non-drop-frame"),
                                           {}, {{"timecode", facts.timecode}}});
        }
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

} // namespace btcheck
