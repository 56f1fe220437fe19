// A new clip made the way an editing host makes one, through selector 38:
// the module reads the host's current sequence, shows its settings dialog
// (driven by the recipe's flags, or by a person at the terminal with
// --interactive) and fills the clip's record.

#include "ClipRecipe.h"

#include "ClipRules.h"
#include "Commands.h"
#include "DialogActions.h"
#include "Session.h"

#include "ImporterBarsAndTone/Channels.h"
#include "ImporterBarsAndTone/ColorSpaces.h"
#include "ImporterBarsAndTone/IdentifierFormats.h"
#include "ImporterBarsAndTone/Presets.h"
#include "MediaBridge/Locale.h"
#include "MediaBridge/WorkingSpace.h"
#include "bthost/DialogControl.h"
#include "bthost/NewClip.h"
#include "bthost/SequenceInfoSuite.h"
#include "btmedia/StopSignals.h"
#include "bttui/TerminalDriver.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <iterator>
#include <memory>
#include <utility>

namespace btcli {

namespace {

struct WorkingSpaceName {
    const char* name;
    CvSDKGuid id;
};
const WorkingSpaceName kWorkingSpaces[] = {
    {"rec709", MB::WorkingSpace::OR709CvSDKColorSpaceID},   {"hlg", MB::WorkingSpace::OR2100HLGCvSDKColorSpaceID},
    {"pq", MB::WorkingSpace::OR2100PQCvSDKColorSpaceID},    {"rec601", MB::WorkingSpace::OR601CvSDKColorSpaceID},
    {"dci-p3", MB::WorkingSpace::ORDCIP3CvSDKColorSpaceID},
};

std::string WorkingSpaceNames(const char* last)
{
    std::string names;
    for (std::size_t i = 0; i < std::size(kWorkingSpaces); ++i)
        names += std::string(i == 0 ? "" : i + 1 == std::size(kWorkingSpaces) ? last : ", ") + kWorkingSpaces[i].name;
    return names;
}

CvSDKGuid WorkingSpaceGuid(const std::string& text)
{
    for (const WorkingSpaceName& w : kWorkingSpaces)
        if (text == w.name)
            return w.id;
    // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
    unsigned a = 0, b = 0, c = 0, d[8] = {};
    char close = 0;
    if (text.size() == 38 &&
        std::sscanf(text.c_str(), "{%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x%c", &a, &b, &c, &d[0], &d[1], &d[2], &d[3],
                    &d[4], &d[5], &d[6], &d[7], &close) == 12 &&
        close == '}') {
        CvSDKGuid g{a, static_cast<std::uint16_t>(b), static_cast<std::uint16_t>(c), {}};
        for (int i = 0; i < 8; ++i)
            g.Data4[i] = static_cast<std::uint8_t>(d[i]);
        return g;
    }
    throw UsageError("--seq-space takes " + WorkingSpaceNames(" or ") + " or a {GUID}, not \"" + text + "\"");
}

/// "N", "N/D" or a decimal ("29.97") as a ratio of two 32-bit integers.
std::array<std::int64_t, 2> Ratio(const std::string& text, const char* flag)
{
    const std::size_t slash = text.find('/');
    char* end = nullptr;
    if (slash != std::string::npos) {
        const long long n = std::strtoll(text.c_str(), &end, 10);
        const bool numOk = end == text.c_str() + slash;
        const long long d = std::strtoll(text.c_str() + slash + 1, &end, 10);
        if (numOk && *end == 0 && slash + 1 < text.size() && n >= 0 && d > 0 && n <= INT32_MAX && d <= INT32_MAX)
            return {n, d};
    } else {
        const double v = std::strtod(text.c_str(), &end);
        if (!text.empty() && *end == 0 && v >= 0 && v <= 1e6) {
            const std::int64_t scaled = std::llround(v * 1000.0);
            return std::abs(static_cast<double>(scaled) - v * 1000.0) < 1e-6 && scaled % 1000 == 0
                       ? std::array<std::int64_t, 2>{scaled / 1000, 1}
                       : std::array<std::int64_t, 2>{scaled, 1000};
        }
    }
    throw UsageError(std::string(flag) + " takes N or N/D, such as 25 or 30000/1001, not \"" + text + "\"");
}

std::array<std::int32_t, 2> Size(const std::string& text, const char* flag)
{
    const std::size_t x = text.find_first_of("xX");
    auto whole = [](const std::string& part) -> long long {
        char* end = nullptr;
        const long long v = std::strtoll(part.c_str(), &end, 10);
        return !part.empty() && std::isdigit(static_cast<unsigned char>(part[0])) && *end == 0 ? v : -1;
    };
    const long long w = x == std::string::npos ? -1 : whole(text.substr(0, x));
    const long long h = x == std::string::npos ? -1 : whole(text.substr(x + 1));
    if (w < 1 || h < 1 || w > INT32_MAX || h > INT32_MAX)
        throw UsageError(std::string(flag) + " takes a width and height in whole pixels, such as 1920x1080, not \"" +
                         text + "\"");
    return {static_cast<std::int32_t>(w), static_cast<std::int32_t>(h)};
}

/// The input locale the dialog's NTSC or PAL defaults follow.
MB::Locale::HostControl::InputLocale LocaleFor(const std::string& text)
{
    using IL = MB::Locale::HostControl::InputLocale;
    if (text.empty())
        return IL::FromProcess;
    if (text == "ntsc" || text == "NTSC")
        return IL::NTSC;
    if (text == "pal" || text == "PAL")
        return IL::PAL;
    const std::string_view territory = MB::Locale::TerritoryOf(text);
    if (territory.empty())
        throw UsageError("--locale takes ntsc, pal or a locale name such as en_US.UTF-8, not \"" + text + "\"");
    return MB::Locale::IsNTSCTerritory(territory) ? IL::NTSC : IL::PAL;
}

/// Whether any flag acts on the dialog in the person's place.
bool ActsOnTheDialog(const DialogOptions& d)
{
    return !d.preset.empty() || !d.size.empty() || !d.videoRate.empty() || !d.par.empty() ||
           !d.colourSpace.empty() || !d.audioRate.empty() || !d.tone.empty() || !d.frequency.empty() ||
           !d.amplitude.empty() || !d.identifier.empty() || !d.actions.empty() || d.cancel || d.close;
}

/// The cadence `--channels` stores: the one `--identifier` names among those
/// that identify that layout.
const bt::IdentifierFormatFacts& IdentificationFor(const std::string& channels, const std::string& identifier)
{
    std::string tokens;
    for (const bt::IdentifierFormatFacts& format : bt::kIdentifierFormats) {
        if (channels != bt::FactsOf(format.channels).token)
            continue;
        if (identifier == format.token)
            return format;
        tokens += (tokens.empty() ? "" : " or ") + std::string(format.token);
    }
    throw UsageError("--channels " + channels + " needs --identifier " + tokens + ", the " + channels +
                     " identification sequences");
}

/// The sequence flag that set a part of the clip, and its value; none for
/// the parts the dialog or the flags' own checks hold.
std::pair<const char*, std::string> SequenceFlagOf(ClipPart part, const SequenceOptions& seq)
{
    switch (part) {
    case ClipPart::Picture: return {"--seq-size", seq.size};
    case ClipPart::PixelAspect: return {"--seq-par", seq.par};
    case ClipPart::FrameRate: return {"--seq-rate", seq.rate};
    default: return {nullptr, {}};
    }
}

/// A dialog choice that a row's short token may name ("rec601", "blits"):
/// the help lists the tokens and completion offers them.
template <typename Rows>
Flag TokenChoice(Flags& flags, const std::string& names, std::string& value, const std::string& what,
                 const Rows& rows)
{
    std::vector<std::string> tokens;
    for (const auto& row : rows)
        tokens.emplace_back(row.token);
    std::string list;
    for (const std::string& token : tokens)
        list += (list.empty() ? "" : ", ") + token;
    return flags.Option(names, value, what + ": " + list + " or the dialog's text").Offers(tokens);
}

} // namespace

std::vector<Flag> AddRecipeFlags(Flags& flags, ClipRecipe& recipe)
{
    std::vector<Flag> all;
    SequenceOptions& seq = recipe.sequence;
    Flags sequence = flags.Group("Sequence", "The host's current sequence, which the clip starts from");
    all.push_back(sequence.Option("--seq-size", seq.size, "Frame size, WxH").ShowDefault());
    all.push_back(sequence.Option("--seq-rate", seq.rate, "Frame rate, N or N/D frames per second").ShowDefault());
    all.push_back(sequence.Option("--seq-par", seq.par, "Pixel aspect ratio, N/D").ShowDefault());
    all.push_back(
        sequence.Option("--seq-audio-rate", seq.audioRate, "Audio sample rate, Hz").ShowDefault().Check(Above0("Hz")));
    all.push_back(sequence.Switch("--seq-drop-frame", seq.dropFrame, "The sequence counts drop-frame timecode"));
    std::vector<std::string> spaces;
    for (const WorkingSpaceName& w : kWorkingSpaces)
        spaces.emplace_back(w.name);
    all.push_back(sequence
                      .Option("--seq-space", seq.workingSpace,
                              "Working colour space: " + WorkingSpaceNames(", ") + ", or a {GUID}")
                      .ShowDefault()
                      .Offers(spaces));
    all.push_back(sequence.Option("--locale", seq.locale,
                                  "Input locale for NTSC/PAL defaults, e.g. en_US or de_DE (default: the process's)"));

    DialogOptions& dlg = recipe.dialog;
    Flags dialog = flags.Group("Dialog", "What to do in the dialog, in this order, then OK");
    std::vector<std::string> presets;
    for (const bt::PresetFacts& preset : bt::kPresets)
        presets.emplace_back(bt::DisplayName(preset));
    all.push_back(dialog.Option("--preset", dlg.preset, "Preset, e.g. \"HD Rec.709\", \"UHD Rec.2100 PQ\", Custom")
                      .Offers(presets));
    all.push_back(dialog.Option("--size", dlg.size, "Frame size, WxH"));
    all.push_back(dialog.Option("--video-rate", dlg.videoRate, "Timebase, e.g. 25 or \"29.97 fps\""));
    all.push_back(dialog.Option("--par", dlg.par, "Pixel aspect ratio, e.g. 1.0 or \"D1/DV PAL(1.0940)\""));
    all.push_back(TokenChoice(dialog, "--colour-space,--color-space", dlg.colourSpace, "Colour space", bt::kColorSpaces));
    all.push_back(dialog.Option("--audio-rate", dlg.audioRate, "Audio sample rate, e.g. 48000"));
    all.push_back(dialog.Option("--tone", dlg.tone, "steady or identify").OneOf({"steady", "identify"}));
    all.push_back(dialog.Option("--frequency", dlg.frequency, "Steady tone frequency, Hz"));
    all.push_back(dialog.Option("--amplitude", dlg.amplitude, "Steady tone level, dB (0 is full scale)"));
    all.push_back(
        TokenChoice(dialog, "--identifier", dlg.identifier, "Channel identification", bt::kIdentifierFormats));
    all.push_back(dialog.Option("--action", dlg.actions,
                                "A raw action, after the ones above: choose:<id>=<item>, type:<id>=<number>, "
                                "select:<id>, press:<id>"));
    Flag cancel = dialog.Switch("--cancel", dlg.cancel, "Press Cancel instead of OK (nothing is written)");
    Flag close = dialog.Switch("--close", dlg.close, "Close the window instead of pressing OK");
    cancel.Excludes(close);
    all.push_back(cancel);
    all.push_back(close);
    all.push_back(dialog.Switch("--interactive", dlg.interactive,
                                "Show the dialog in the terminal and let the user decide"));

    Flags record = flags.Group(
        "Stored record", "After the dialog, a host-side edit of the clip's stored record, as a host edits a clip it holds");
    all.push_back(record
                      .Option("--channels", recipe.channels,
                              "5.1: six channels identifying themselves with --identifier blits or "
                              "ebu51 (the dialog makes stereo clips)")
                      .OneOf({bt::FactsOf(bt::ChannelType::Surround51).token}));
    return all;
}

ClipFile CreateClip(Session& session, const ClipRecipe& recipe)
{
    // The dialog offers stereo identification only: a 5.1 clip is the
    // dialog's identifying clip with its stored record edited afterwards,
    // as a host edits a clip it holds.
    DialogOptions dialog = recipe.dialog;
    const bt::IdentifierFormatFacts* storedIdentification = nullptr;
    if (!recipe.channels.empty()) {
        storedIdentification = &IdentificationFor(recipe.channels, dialog.identifier);
        if (dialog.tone == "steady")
            throw UsageError("--channels " + recipe.channels + " makes an identifying clip; leave out --tone steady");
        dialog.identifier.clear();
        dialog.tone = "identify";
    }
    const SequenceOptions& seq = recipe.sequence;
    const auto size = Size(seq.size, "--seq-size");
    const auto rate = Ratio(seq.rate, "--seq-rate");
    const auto par = Ratio(seq.par, "--seq-par");
    bthost::SequenceInfoSuite::Sequence answers;
    answers.dropFrame = seq.dropFrame ? 1 : 0;
    answers.workingColorSpace = WorkingSpaceGuid(seq.workingSpace);
    const auto locale = LocaleFor(seq.locale);
    std::shared_ptr<FlagDriver> flags;
    std::shared_ptr<zellyrafactory::hostcontrol::ModalDriver> driver;
    if (dialog.interactive) {
        if (ActsOnTheDialog(dialog))
            throw UsageError("--interactive leaves the dialog to the person at the terminal; "
                             "leave out the dialog flags");
        if (!bttui::StandardInputIsTerminal())
            throw UsageError("--interactive shows the settings dialog for a person to use, but standard input "
                             "is not a terminal; run it from a terminal, or choose with the dialog flags");
        driver = std::make_shared<bttui::TerminalDriver>([] { return btmedia::StopSignal() != 0; });
    } else {
        flags = std::make_shared<FlagDriver>(StepsFor(dialog));
        driver = flags;
    }

    bthost::SequenceProperties sequence;
    sequence.width = size[0];
    sequence.height = size[1];
    sequence.parNum = static_cast<std::uint32_t>(par[0]);
    sequence.parDen = static_cast<std::uint32_t>(par[1]);
    sequence.rateNum = static_cast<std::int32_t>(rate[0]);
    sequence.rateDen = static_cast<std::int32_t>(rate[1]);
    sequence.audioRate = static_cast<float>(seq.audioRate);

    bthost::SequenceInfoSuite suite(session.Host());
    suite.SetSequence(sequence.sequenceId, answers);
    bthost::NewClipSettings made;
    {
        bthost::ScopedInputLocale localeScope(locale);
        bthost::ScopedDialogDriver driverScope(driver);
        made = bthost::AcquireNewClipSettings(session.Host(), sequence);
    }
    btmedia::StopPoint(); // a stop signal closed the dialog: the run ends here
    if (flags) {
        for (const std::string& adjustment : flags->Adjustments())
            std::cerr << "barsandtone: " << adjustment << "\n";
        if (!flags->Failure().empty())
            throw UsageError(flags->Failure());
    }
    if (made.result == BT_RESULT_CANCELLED)
        throw Cancelled(std::string("cancelled: the dialog was ") +
                        (dialog.close || dialog.interactive ? "closed without OK" : "cancelled") + ", no clip made");
    if (made.sizeResult != 0 || made.size != kSettingsSize)
        throw std::runtime_error("the module asked for a settings record of " + std::to_string(made.size) +
                                 " bytes (selector 38 answered " + std::to_string(made.sizeResult) + ")");
    if (made.result != 0)
        throw std::runtime_error("the module made no clip (selector 38 answered " + std::to_string(made.result) + ")");

    ClipFile clip;
    std::copy(made.stored.begin(), made.stored.end(), clip.settings.begin());
    clip.name = made.clipName ? Utf8(*made.clipName) : std::string();
    if (storedIdentification != nullptr)
        StoreIdentification(clip.settings, *storedIdentification);
    if (const auto fault = FaultOf(clip.settings)) {
        // The dialog holds what is typed to what a clip may hold; the rest
        // comes from the host's sequence as it is.
        const auto [flag, value] = SequenceFlagOf(fault->part, seq);
        if (flag == nullptr)
            throw UsageError("the dialog made a clip that cannot be used: " + fault->text);
        throw UsageError(std::string(flag) + " " + value + " makes a clip that cannot be used: " + fault->text +
                         "; choose another " + flag +
                         (fault->part == ClipPart::Picture ? ", or a --size or --preset" : ""));
    }
    return clip;
}

} // namespace btcli
