#include "btcheck/SoundJudge.h"

#include "btcheck/SoundMeasure.h"
#include "ImporterBarsAndTone/IdentifierFormats.h"
#include "btmedia/ChannelOrder.h"
#include "Text.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace btcheck {

namespace {

// Re-labelled rates: a frequency this close to the ratio is explained by it.
constexpr double kSameRatio = 0.002;

std::string HostChannelName(int channels, int index)
{
    return btmedia::HostChannelName(static_cast<std::size_t>(channels), static_cast<std::size_t>(index));
}

std::string Against(const LineUp& lineUp)
{
    return Printf(lineUp.source == LineUp::Source::Nearest ? "the nearest usual level, %s (%.2f dBFS)" : "%s (%.2f dBFS)",
                  lineUp.name.c_str(), lineUp.dbfs);
}

Fault LevelFault(const std::string& who, double levelDbfs, double gainDb, const LineUp& lineUp,
                 const std::string& channel)
{
    Fault f(kind::kLevel,
            Printf("%s at %.2f dBFS, %+.2f dB from %s", who.c_str(), levelDbfs, levelDbfs - lineUp.dbfs,
                   Against(lineUp).c_str()),
            Fault::Values{{"level_dbfs", levelDbfs},
                          {"lineup_dbfs", lineUp.dbfs},
                          {"off_db", levelDbfs - lineUp.dbfs},
                          {"gain_db", gainDb}},
            Fault::Texts{{"lineup", lineUp.name}});
    if (!channel.empty())
        f.texts.emplace_back("channel", channel);
    return f;
}

FaultTime TimeOf(std::int64_t first, std::int64_t end, double rate, double startSeconds)
{
    FaultTime t;
    t.startSeconds = startSeconds + static_cast<double>(first) / rate;
    t.endSeconds = startSeconds + static_cast<double>(end) / rate;
    return t;
}

} // namespace

std::vector<LineUp> UsualLineUps(double moduleDefaultDbfs)
{
    return {{"the EBU line-up level", -18, LineUp::Source::Recognised},
            {"the SMPTE line-up level", -20, LineUp::Source::Recognised},
            {"the module's default level", moduleDefaultDbfs, LineUp::Source::Recognised}};
}

LineUp ChooseLineUp(std::optional<double> asked, const std::optional<LineUp>& own, double toneDbfs,
                    const std::vector<LineUp>& usual, double tolerance)
{
    if (asked)
        return {"the reference level", *asked, LineUp::Source::Asked};
    if (own)
        return *own;
    const auto nearest = std::min_element(usual.begin(), usual.end(), [&](const LineUp& a, const LineUp& b) {
        return std::abs(a.dbfs - toneDbfs) < std::abs(b.dbfs - toneDbfs);
    });
    if (nearest == usual.end())
        return {"none", toneDbfs, LineUp::Source::Nearest};
    LineUp out = *nearest;
    out.source = std::abs(out.dbfs - toneDbfs) <= tolerance ? LineUp::Source::Recognised : LineUp::Source::Nearest;
    return out;
}

std::string ToneName(const ToneSpec& t)
{
    if (t.identify) {
        const bt::IdentifierFormatFacts* format =
            t.cadence >= 0 && t.cadence < 256 ? bt::FindIdentifierFormat(static_cast<std::uint8_t>(t.cadence)) : nullptr;
        return format != nullptr ? std::string(bt::DisplayName(*format)) : "unknown identification";
    }
    return Printf("steady %.1f Hz at %.2f dBFS", static_cast<double>(t.frequency),
                  Decibels(static_cast<double>(t.amplitude)));
}

std::vector<Fault> LevelFaults(const std::vector<ChannelReading>& channels, double moduleDbfs, const LineUp& lineUp,
                               double tolerance)
{
    std::vector<Fault> out;
    std::vector<double> gains;
    for (const ChannelReading& r : channels)
        if (r.carries >= 0)
            gains.push_back(r.gainDb);
    if (gains.empty())
        return out;
    const auto [low, high] = std::minmax_element(gains.begin(), gains.end());
    const double mean = std::accumulate(gains.begin(), gains.end(), 0.0) / static_cast<double>(gains.size());
    if (gains.size() > 1 && *high - *low <= tolerance) {
        if (std::abs(moduleDbfs + mean - lineUp.dbfs) > tolerance)
            out.push_back(LevelFault("every channel's tone is", moduleDbfs + mean, mean, lineUp, ""));
        return out;
    }
    for (const ChannelReading& r : channels)
        if (r.carries >= 0 && std::abs(moduleDbfs + r.gainDb - lineUp.dbfs) > tolerance)
            out.push_back(LevelFault(r.name + "'s tone is", moduleDbfs + r.gainDb, r.gainDb, lineUp, r.name));
    return out;
}

std::vector<Fault> ChannelFaults(const std::vector<ChannelReading>& channels, const Identification& identified,
                                 const std::string& toneName)
{
    std::vector<Fault> out;
    const Pattern& p = identified.pattern;
    const int hostChannels = p.shared ? static_cast<int>(channels.size()) : p.hostChannels;
    std::string order;
    for (const ChannelReading& r : channels)
        if (r.carries >= 0 && r.expected >= 0 && r.carries != r.expected)
            order += Printf("%s%s carries %s", order.empty() ? "" : ", ", r.name.c_str(),
                            HostChannelName(hostChannels, r.carries).c_str());
    if (!order.empty())
        out.emplace_back(kind::kChannelOrder, "the channels are out of order: " + order + " (" + toneName + ")");
    std::vector<int> silentFor;
    for (const ChannelReading& r : channels)
        if (r.peakDb <= -80 && r.expected >= 0) {
            silentFor.push_back(r.expected);
            out.emplace_back(kind::kMissingChannel,
                             Printf("%s is silent where it should carry %s", r.name.c_str(),
                                    HostChannelName(hostChannels, r.expected).c_str()),
                             Fault::Values{{"peak_dbfs", r.peakDb}}, Fault::Texts{{"channel", r.name}});
        }
    // A channel of the cadence nobody carries, unless its own place was found silent.
    if (!p.shared && static_cast<int>(channels.size()) >= hostChannels)
        for (int host : p.hostChannel) {
            const bool carried = std::any_of(channels.begin(), channels.end(),
                                             [&](const ChannelReading& r) { return r.carries == host; });
            if (!carried && std::find(silentFor.begin(), silentFor.end(), host) == silentFor.end())
                out.emplace_back(kind::kMissingChannel,
                                 Printf("no channel carries %s's identification", HostChannelName(hostChannels, host).c_str()),
                                 Fault::Values{}, Fault::Texts{{"channel", HostChannelName(hostChannels, host)}});
        }
    for (const ChannelReading& r : channels)
        if (r.polarity < 0)
            out.emplace_back(kind::kPolarity, r.name + " is inverted", Fault::Values{}, Fault::Texts{{"channel", r.name}});
    return out;
}

std::vector<Fault> FrequencyFaults(const std::vector<ChannelReading>& channels, const Pattern& pattern, double tolerance)
{
    std::vector<Fault> out;
    for (const ChannelReading& r : channels) {
        if (r.carries < 0 || r.moduleFrequency <= 0 || r.frequency <= 0)
            continue;
        const double ratio = r.frequency / r.moduleFrequency;
        const bool relabelled = pattern.ratio != 1.0 && std::abs(ratio / pattern.ratio - 1) < kSameRatio;
        if (!relabelled && std::abs(r.frequency - r.moduleFrequency) > tolerance)
            out.emplace_back(kind::kFrequency,
                             Printf("%s sounds at %.2f Hz where the module's tone is %.2f Hz (%+.2f Hz, x%.5f)",
                                    r.name.c_str(), r.frequency, r.moduleFrequency, r.frequency - r.moduleFrequency,
                                    ratio),
                             Fault::Values{{"frequency", r.frequency}, {"expected", r.moduleFrequency}, {"ratio", ratio}},
                             Fault::Texts{{"channel", r.name}});
    }
    if (pattern.ratio != 1.0)
        out.emplace_back(kind::kFrequency,
                         Printf("every tone is x%.5f of the module's: the sound was re-labelled from %.0f to %.0f Hz "
                                "without resampling",
                                pattern.ratio, pattern.ratioFrom, pattern.ratioTo),
                         Fault::Values{{"ratio", pattern.ratio}});
    return out;
}

std::optional<Fault> SyncFault(double lateSeconds, double frameRate, double toleranceMs)
{
    const double ms = lateSeconds * 1000;
    if (frameRate <= 0 || std::abs(ms) <= toleranceMs)
        return std::nullopt;
    const double frames = lateSeconds * frameRate;
    const std::string count = std::abs(frames - std::round(frames)) < 0.05 ? Printf("%.0f", std::abs(std::round(frames)))
                                                                          : Printf("%.1f", std::abs(frames));
    Fault f(kind::kSync,
            Printf("sound %.0f ms, %s frame%s, %s against the first picture", std::abs(ms), count.c_str(),
                   count == "1" ? "" : "s", ms > 0 ? "late" : "early"),
            Fault::Values{{"offset_ms", ms}, {"frames", frames}});
    return f;
}

std::vector<Fault> EventFaults(const std::vector<SoundEvent>& events, const std::vector<std::string>& names,
                               double rate, double startSeconds, std::int64_t block)
{
    std::vector<Fault> out;
    std::vector<bool> used(events.size(), false);
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (used[i])
            continue;
        const SoundEvent& e = events[i];
        // Changes of level or frequency are seen only once each channel has
        // settled, which a cadence's switchings put at other times.
        const std::int64_t slack =
            e.kind == EventKind::LevelChange || e.kind == EventKind::FrequencyChange ? (kSettleBlocks + 1) * block : block;
        std::vector<int> who;
        double value = 0, expected = 0;
        int count = 0;
        std::int64_t first = e.first, end = e.end;
        for (std::size_t k = i; k < events.size(); ++k) {
            const SoundEvent& o = events[k];
            if (used[k] || o.kind != e.kind || std::abs(o.first - e.first) > slack || std::abs(o.end - e.end) > slack)
                continue;
            used[k] = true;
            first = std::min(first, o.first);
            end = std::max(end, o.end);
            who.push_back(o.channel);
            value += o.value;
            expected += o.expected;
            ++count;
        }
        value /= count;
        expected /= count;
        std::sort(who.begin(), who.end());
        std::string channels;
        for (int c : who)
            channels += (channels.empty() ? "" : ", ") +
                        (static_cast<std::size_t>(c) < names.size() ? names[static_cast<std::size_t>(c)] : Printf("ch%d", c + 1));
        const bool several = who.size() > 1;
        const FaultTime time = TimeOf(first, end, rate, startSeconds);
        const double length = time.endSeconds - time.startSeconds;
        Fault f(kind::kDropout, "");
        switch (e.kind) {
        case EventKind::Dropout:
            f = Fault(kind::kDropout,
                      Printf("%s drop%s out from %.3f s to %.3f s (%.3f s)", channels.c_str(), several ? "" : "s",
                             time.startSeconds, time.endSeconds, length),
                      Fault::Values{{"start", time.startSeconds}, {"end", time.endSeconds}, {"length", length}});
            break;
        case EventKind::Click:
            f = Fault(kind::kClick,
                      Printf("%s click%s at %.4f s: a sample leaves the tone's course by %.1f%% of its amplitude",
                             channels.c_str(), several ? "" : "s", time.startSeconds, 100 * value),
                      Fault::Values{{"start", time.startSeconds}, {"share", value}});
            break;
        case EventKind::LevelChange:
            f = Fault(kind::kLevel,
                      Printf("%s %s %+.2f dB off %s level from %.3f s to %.3f s", channels.c_str(),
                             several ? "are" : "is", value, several ? "their" : "its", time.startSeconds,
                             time.endSeconds),
                      Fault::Values{{"start", time.startSeconds}, {"end", time.endSeconds}, {"change_db", value}});
            break;
        case EventKind::FrequencyChange:
            f = Fault(kind::kFrequency,
                      Printf("%s sound%s at %.2f Hz where the module's tone is %.2f Hz, from %.3f s to %.3f s",
                             channels.c_str(), several ? "" : "s", value, expected, time.startSeconds, time.endSeconds),
                      Fault::Values{{"start", time.startSeconds},
                                    {"end", time.endSeconds},
                                    {"frequency", value},
                                    {"expected", expected}});
            break;
        }
        f.texts.emplace_back("channel", channels);
        f.time = time;
        out.push_back(std::move(f));
    }
    return out;
}

Fault MissingSamplesFault(std::int64_t first, std::int64_t count, double rate, double startSeconds)
{
    const FaultTime time = TimeOf(first, first + count, rate, startSeconds);
    Fault f(kind::kDropout,
            Printf("%lld samples are missing from the stream at %.3f s (%.3f s)", static_cast<long long>(count),
                   time.startSeconds, time.endSeconds - time.startSeconds),
            Fault::Values{{"start", time.startSeconds}, {"end", time.endSeconds}, {"missing_samples", static_cast<double>(count)}});
    f.time = time;
    return f;
}

} // namespace btcheck
