// The sound analysis on the module's own sound, asked for through the
// module, with damage made in memory: each fault found with its kind and
// time, each threshold from both sides.

#include "btcheck/SoundAnalysis.h"
#include "btcheck/SoundIdentify.h"
#include "btcheck/SoundLock.h"
#include "btmedia/ChannelOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>

using namespace btcheck;

namespace {

constexpr double kRate = 48000;

bthost::Host& TheHost()
{
    static bthost::Host host(BT_MODULE_PATH);
    return host;
}

using Channels = std::vector<std::vector<float>>;

ToneSpec Cadence(int cadence, int channels)
{
    ToneSpec t;
    t.identify = true;
    t.cadence = cadence;
    t.channels = channels;
    return t;
}

/// The module's default tone (1 kHz at a quarter of full scale).
ToneSpec Default()
{
    return ToneOf(Reference::DefaultRecord(TheHost()));
}

ToneSpec Steady(double dbfs)
{
    ToneSpec t;
    t.amplitude = static_cast<float>(std::pow(10.0, dbfs / 20));
    return t;
}

class SoundAnalysisTest : public ::testing::Test {
protected:
    /// The module's sound for `tone` from clip sample `position`, in a
    /// file's channel order.
    Channels Module(const ToneSpec& tone, double seconds, std::int64_t position = 0)
    {
        const auto host = reference.Sound(tone, kRate, position, static_cast<std::int64_t>(seconds * kRate));
        Channels file(host.size());
        for (std::size_t c = 0; c < host.size(); ++c)
            file[c] = host[btmedia::FileChannelSource(host.size(), c)];
        return file;
    }

    /// The analysis of `sound`, fed in pieces of an odd size.
    SoundFinding Analyse(const Channels& sound, const SoundOptions& options = {}, const SoundTiming& timing = {},
                         const ClipExpectation* clip = nullptr, double declaredSeconds = 0)
    {
        SoundFacts facts;
        facts.rate = static_cast<int>(kRate);
        facts.channels = static_cast<int>(sound.size());
        facts.channelNames = sound.size() == 2 ? std::vector<std::string>{"FL", "FR"}
                                               : std::vector<std::string>{"FL", "FR", "FC", "LFE", "BL", "BR"};
        facts.durationSeconds = declaredSeconds;
        SoundAnalysis analysis(reference, clip, options, facts, timing);
        constexpr std::size_t kPiece = 1001;
        SoundBlock block;
        block.channels.resize(sound.size());
        for (std::size_t done = 0; done < sound[0].size(); done += kPiece) {
            block.firstSample = static_cast<std::int64_t>(done);
            block.count = std::min(kPiece, sound[0].size() - done);
            for (std::size_t c = 0; c < sound.size(); ++c)
                block.channels[c] = sound[c].data() + done;
            analysis.Feed(block);
        }
        return analysis.Finish();
    }

    static std::set<std::string> Kinds(const SoundFinding& f)
    {
        std::set<std::string> kinds;
        for (const Fault& fault : f.faults)
            kinds.insert(fault.kind);
        return kinds;
    }

    static const Fault* Find(const SoundFinding& f, const std::string& kind)
    {
        const auto it = std::find_if(f.faults.begin(), f.faults.end(), [&](const Fault& x) { return x.kind == kind; });
        return it != f.faults.end() ? &*it : nullptr;
    }

    static void Scale(Channels& sound, double from, double to, double gain)
    {
        for (auto& channel : sound)
            for (auto i = static_cast<std::size_t>(from * kRate); i < static_cast<std::size_t>(to * kRate); ++i)
                channel[i] = static_cast<float>(static_cast<double>(channel[i]) * gain);
    }

    Reference reference{TheHost(), Reference::DefaultRecord(TheHost())};
};

TEST_F(SoundAnalysisTest, TheModulesOwnTonesPassWhateverTheirCadence)
{
    struct Case {
        ToneSpec tone;
        const char* name;
    };
    for (const Case& c : {Case{Default(), "steady 1000.0 Hz at -12.04 dBFS"},
                          Case{Cadence(0, 2), "EBU Stereo (1000 Hz)"},
                          Case{Cadence(1, 2), "EBU Stereo (400 Hz)"},
                          Case{Cadence(2, 6), "EBU Multichannel (5.1)"},
                          Case{Cadence(3, 6), "BLITS (5.1)"}}) {
        SCOPED_TRACE(c.name);
        const SoundFinding f = Analyse(Module(c.tone, 20), {}, SoundTiming{0, 25});
        EXPECT_TRUE(f.identified);
        EXPECT_EQ(f.tone, c.name);
        EXPECT_TRUE(f.faults.empty()) << f.faults[0].sentence;
        EXPECT_NEAR(f.syncSeconds, 0, 1e-9);
        for (const ChannelReading& r : f.channels) {
            EXPECT_EQ(r.carries, r.expected) << r.name;
            EXPECT_NEAR(r.gainDb, 0, 0.001) << r.name;
            EXPECT_EQ(r.polarity, 1) << r.name;
        }
    }
}

TEST_F(SoundAnalysisTest, AnLfeChannelWithoutTheModulesHigherTonesIsRight)
{
    // BLITS puts 2 kHz on all six channels from 10.2 s to 13.2 s; a codec
    // keeps the LFE below 120 Hz. Its own 88.5 Hz, though, must be there
    // (the 10 ms at either end lie where the module switches, and are not judged).
    Channels sound = Module(Cadence(3, 6), 20);
    std::fill(sound[3].begin() + 489600, sound[3].begin() + 633600, 0.0f);
    EXPECT_TRUE(Analyse(sound).faults.empty());
    std::fill(sound[3].begin() + 115200, sound[3].begin() + 144000, 0.0f);
    const SoundFinding f = Analyse(sound);
    ASSERT_TRUE(Find(f, kind::kDropout));
    EXPECT_NE(Find(f, kind::kDropout)->sentence.find("LFE drops out from 2.410 s to 2.990 s"), std::string::npos)
        << Find(f, kind::kDropout)->sentence;
}

TEST_F(SoundAnalysisTest, ADropOutLateInTheFileIsFoundWithItsTime)
{
    Channels sound = Module(Cadence(0, 2), 30);
    Scale(sound, 24.0, 24.2, 0);
    const SoundFinding f = Analyse(sound);
    ASSERT_EQ(f.faults.size(), 1u) << f.faults[0].sentence;
    const Fault& drop = f.faults[0];
    EXPECT_EQ(drop.kind, kind::kDropout);
    ASSERT_TRUE(drop.time);
    EXPECT_NEAR(drop.time->startSeconds, 24.0, 1e-9);
    EXPECT_NEAR(drop.time->endSeconds, 24.2, 1e-9);
    EXPECT_NE(drop.sentence.find("FL, FR drop out"), std::string::npos) << drop.sentence;
}

TEST_F(SoundAnalysisTest, MissingSamplesAreSaidOnceAndNotAlsoADropOut)
{
    const Channels sound = Module(Default(), 20);
    SoundFacts facts;
    facts.rate = static_cast<int>(kRate);
    facts.channels = 1;
    SoundAnalysis analysis(reference, nullptr, {}, facts, {});
    SoundBlock block{0, 0, {nullptr}};
    // Samples 912000 to 913024 never arrive (19.0 s to 19.0213 s).
    for (auto [first, count] : {std::pair<std::int64_t, std::size_t>{0, 912000}, {913024, 46976}}) {
        block.firstSample = first;
        block.count = count;
        block.channels[0] = sound[0].data() + first;
        analysis.Feed(block);
    }
    const SoundFinding f = analysis.Finish();
    ASSERT_EQ(f.faults.size(), 1u) << f.faults.back().sentence;
    EXPECT_EQ(f.faults[0].kind, kind::kDropout);
    EXPECT_NEAR(f.faults[0].time->startSeconds, 19.0, 1e-9);
    EXPECT_NE(f.faults[0].sentence.find("1024 samples are missing"), std::string::npos);
}

TEST_F(SoundAnalysisTest, ClicksLevelStepsAndFrequencyChangesAreFoundWhereTheyAre)
{
    const Channels clean = Module(Cadence(0, 2), 24);
    Channels sound = clean;
    for (std::size_t i = 1000000; i < 1000010; ++i)
        sound[1][i] += 0.02f; // a pulse on R at 20.833 s
    Scale(sound, 18.0, 19.0, std::pow(10.0, -1.0 / 20));
    SoundFinding f = Analyse(sound);
    ASSERT_EQ(Kinds(f), (std::set<std::string>{kind::kClick, kind::kLevel})) << f.faults[0].sentence;
    const Fault* click = Find(f, kind::kClick);
    // At either edge of the pulse, the step on or the step off.
    EXPECT_GE(click->time->startSeconds, 1000000 / kRate);
    EXPECT_LE(click->time->startSeconds, 1000011 / kRate);
    EXPECT_NE(click->sentence.find("FR clicks"), std::string::npos) << click->sentence;
    const Fault* step = Find(f, kind::kLevel);
    EXPECT_NEAR(step->time->startSeconds, 18.0, 0.011);
    EXPECT_NEAR(step->time->endSeconds, 19.0, 0.011);

    // A second of R a tenth of a hertz and a bit high, from 20 s, then on at
    // 1 kHz without a jump (a varispeed's course).
    sound = clean;
    double phase = 0; // the module's 1 kHz at 20 s: a whole number of cycles
    for (std::size_t i = 960000; i < sound[1].size(); ++i) {
        sound[1][i] = static_cast<float>(0.125 * std::sin(2 * std::numbers::pi * phase));
        phase += (i < 1008000 ? 1000.15 : 1000.0) / kRate;
    }
    f = Analyse(sound);
    ASSERT_EQ(Kinds(f), std::set<std::string>{kind::kFrequency}) << f.faults[0].sentence;
    const Fault* shift = Find(f, kind::kFrequency);
    EXPECT_NEAR(shift->time->startSeconds, 20.0, 0.11);
    EXPECT_NEAR(shift->time->endSeconds, 21.0, 0.11);
}

TEST_F(SoundAnalysisTest, SoundLateByAFewFramesIsSyncNotADropOut)
{
    // 120 ms of silence before the cadence: three frames at 25 fps.
    Channels late = Module(Cadence(0, 2), 20);
    for (auto& channel : late)
        channel.insert(channel.begin(), 5760, 0.0f);
    SoundFinding f = Analyse(late, {}, SoundTiming{0, 25});
    ASSERT_EQ(f.faults.size(), 1u) << f.faults[0].sentence;
    EXPECT_EQ(f.faults[0].kind, kind::kSync);
    EXPECT_EQ(f.faults[0].sentence, "sound 120 ms, 3 frames, late against the first picture");
    EXPECT_NEAR(f.syncSeconds, 0.12, 1e-9);

    // A file that starts 200 ms into the clip is early, by a steady tone's
    // start too, and where the container starts the sound counts.
    f = Analyse(Module(Cadence(0, 2), 20, 9600), {}, SoundTiming{0, 25});
    ASSERT_TRUE(Find(f, kind::kSync));
    EXPECT_EQ(Find(f, kind::kSync)->sentence, "sound 200 ms, 5 frames, early against the first picture");
    Channels steady = Module(Default(), 20);
    steady[0].insert(steady[0].begin(), 4800, 0.0f);
    steady[1].insert(steady[1].begin(), 4800, 0.0f);
    f = Analyse(steady, {}, SoundTiming{0.02, 50});
    EXPECT_NEAR(f.syncSeconds, 0.12, 1e-9);
    EXPECT_EQ(Kinds(f), std::set<std::string>{kind::kSync});

    // The tolerance from both sides: 43 samples late pass, 53 do not.
    for (std::size_t lateBy : {43u, 53u}) {
        Channels shifted = Module(Cadence(0, 2), 18);
        for (auto& channel : shifted)
            channel.insert(channel.begin(), lateBy, 0.0f);
        f = Analyse(shifted, {}, SoundTiming{0, 25});
        EXPECT_EQ(f.faults.empty(), lateBy == 43u) << lateBy;
        EXPECT_NEAR(f.syncSeconds, static_cast<double>(lateBy) / kRate, 1e-9);
    }
}

TEST_F(SoundAnalysisTest, AQuietToneIsALevelFaultWithItsMeasuredGain)
{
    Channels sound = Module(Default(), 20);
    Scale(sound, 0, 20, std::pow(10.0, -21.0 / 20));
    const SoundFinding f = Analyse(sound);
    EXPECT_EQ(Kinds(f), std::set<std::string>{kind::kLevel});
    for (const ChannelReading& r : f.channels)
        EXPECT_NEAR(r.gainDb, -21.0, 0.001);
    EXPECT_NEAR(f.toneDbfs, -33.04, 0.01);
}

TEST_F(SoundAnalysisTest, ATonePassesAtItsOwnLineUpLevel)
{
    struct Case {
        double dbfs;
        std::optional<double> asked;
        const char* lineUp;
        bool passes;
    };
    const char* ebu = "the EBU line-up level";
    for (const Case& c : {Case{-18.00, {}, ebu, true}, Case{-20.00, {}, "the SMPTE line-up level", true},
                          Case{-12.0412, {}, "the module's default level", true},
                          // The tolerance from both sides, around EBU's level.
                          Case{-18.09, {}, ebu, true}, Case{-18.11, {}, ebu, false},
                          Case{-17.91, {}, ebu, true}, Case{-17.89, {}, ebu, false},
                          // An asked level holds over the usual ones.
                          Case{-18.00, -20.0, "the reference level", false},
                          Case{-24.0, -24.0, "the reference level", true}}) {
        SCOPED_TRACE(c.dbfs);
        SoundOptions options;
        options.referenceLevel = c.asked;
        const SoundFinding f = Analyse(Module(Steady(c.dbfs), 17), options);
        EXPECT_EQ(f.lineUp, c.lineUp);
        EXPECT_EQ(f.faults.empty(), c.passes) << (f.faults.empty() ? "" : f.faults[0].sentence);
        EXPECT_NEAR(f.toneDbfs, c.dbfs, 0.001);
    }
    // Against its clip, the clip's level.
    ClipExpectation clip;
    clip.tone = Steady(-26);
    const SoundFinding f = Analyse(Module(Steady(-26), 17), {}, {}, &clip);
    EXPECT_TRUE(f.faults.empty());
    EXPECT_EQ(f.lineUp, "the clip's level");
}

TEST_F(SoundAnalysisTest, ACodecsPaddingAtTheEndIsNotADropOut)
{
    for (double padding : {0.04, 0.06}) {
        Channels sound = Module(Default(), 17);
        for (auto& channel : sound)
            channel.insert(channel.end(), static_cast<std::size_t>(padding * kRate), 0.0f);
        const SoundFinding f = Analyse(sound);
        EXPECT_EQ(f.faults.empty(), padding < 0.05) << padding;
        // Past the length the container declares, nothing is judged.
        EXPECT_TRUE(Analyse(sound, {}, {}, nullptr, 17).faults.empty());
    }
}

TEST_F(SoundAnalysisTest, LoudnessIsThatOfTheLineUpTone)
{
    // A 1 kHz sine at -18 dBFS on both front channels reads -18 LUFS.
    const SoundFinding f = Analyse(Module(Steady(-18), 10));
    ASSERT_TRUE(f.loudnessMeasured);
    EXPECT_NEAR(f.loudnessLufs, -18.0, 0.1);
    EXPECT_NEAR(f.truePeakDbtp, -18.0, 0.1);
}

TEST_F(SoundAnalysisTest, FaultsAreHandedOnWhileTheSoundIsRead)
{
    Channels sound = Module(Cadence(0, 2), 40);
    Scale(sound, 30.0, 30.5, 0);
    SoundFacts facts;
    facts.rate = static_cast<int>(kRate);
    facts.channels = 2;
    SoundAnalysis analysis(reference, nullptr, {}, facts, {});
    SoundBlock block{0, 48000, {nullptr, nullptr}};
    std::vector<Fault> live;
    for (std::size_t second = 0; second < 40; ++second) {
        block.firstSample = static_cast<std::int64_t>(second * 48000);
        block.channels = {sound[0].data() + second * 48000, sound[1].data() + second * 48000};
        analysis.Feed(block);
        for (Fault& fault : analysis.TakeNewFaults())
            live.push_back(fault);
        if (second == 31) { // the drop-out is known a second after it
            EXPECT_EQ(live.size(), 1u);
        }
    }
    const SoundFinding f = analysis.Finish();
    EXPECT_TRUE(analysis.TakeNewFaults().empty());
    ASSERT_EQ(f.faults.size(), live.size());
    EXPECT_EQ(f.faults[0].sentence, live[0].sentence);
}

TEST_F(SoundAnalysisTest, TheLockFindsWhereTheModulesToneBeginsToTheSample)
{
    // The file starts 1234 samples into the EBU 5.1 cadence, its channels in
    // the file's order.
    const Channels sound = Module(Cadence(2, 6), 16, 1234);
    const OpeningLevels opening = MeasureOpening(sound, kRate);
    const Identification identified = Identify(reference, Cadence(2, 6), opening);
    ASSERT_TRUE(identified.found);
    const auto roles = AssignChannels(identified, opening);
    for (std::size_t c = 0; c < roles.size(); ++c)
        EXPECT_EQ(roles[c].carries, static_cast<int>(btmedia::FileChannelSource(6, c)));
    ModuleSound module(reference, identified.pattern, kRate);
    const SoundLock lock = LockToModule(sound, opening, identified, roles, module);
    EXPECT_GT(lock.onsets, 0);
    EXPECT_EQ(lock.lateSamples, -1234);
    EXPECT_EQ(lock.offset, 1234);
}

} // namespace
