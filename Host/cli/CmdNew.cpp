// new: a clip made the way an editing host makes one, through selector 38:
// the module reads the host's current sequence, shows its settings dialog
// (driven here by the command line's flags) and fills the clip's record.

#include "ClipOutputs.h"
#include "Commands.h"
#include "DialogActions.h"
#include "Session.h"

#include "ImporterBarsAndTone/HostRecords.h"
#include "MediaBridge/Locale.h"
#include "barsandtone/PackedBytes.h"
#include "zellyrafactory/HostControl.h"

#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace btcli {

namespace rec = bt::records;
using namespace bt::packed;

namespace {

struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0, data3 = 0;
    std::uint8_t data4[8] = {};
};
static_assert(sizeof(Guid) == 16);

struct WorkingSpaceName {
    const char* name;
    std::uint8_t last[2]; // the working spaces differ in their last two bytes
};
constexpr WorkingSpaceName kWorkingSpaces[] = {
    {"rec709", {0x07, 0x09}}, {"hlg", {0x21, 0x00}}, {"pq", {0x20, 0x84}},
    {"rec601", {0x06, 0x01}}, {"dci-p3", {0xD0, 0xC1}},
};

Guid WorkingSpaceGuid(const std::string& text)
{
    for (const WorkingSpaceName& w : kWorkingSpaces)
        if (text == w.name)
            return {0x5D1A6C2E, 0x0B7F, 0x4E21, {0x9A, 0x35, 0x7C, 0x0E, 0x11, 0xD4, w.last[0], w.last[1]}};
    // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
    unsigned a = 0, b = 0, c = 0, d[8] = {};
    char close = 0;
    if (text.size() == 38 &&
        std::sscanf(text.c_str(), "{%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x%c", &a, &b, &c, &d[0], &d[1], &d[2], &d[3],
                    &d[4], &d[5], &d[6], &d[7], &close) == 12 &&
        close == '}') {
        Guid g{a, static_cast<std::uint16_t>(b), static_cast<std::uint16_t>(c), {}};
        for (int i = 0; i < 8; ++i)
            g.data4[i] = static_cast<std::uint8_t>(d[i]);
        return g;
    }
    throw UsageError("--seq-space takes rec709, hlg, pq, rec601, dci-p3 or a {GUID}, not \"" + text + "\"");
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
    int w = 0, h = 0;
    char extra = 0;
    if (std::sscanf(text.c_str(), "%dx%d%c", &w, &h, &extra) != 2 || w <= 0 || h <= 0)
        throw UsageError(std::string(flag) + " takes WxH, such as 1920x1080, not \"" + text + "\"");
    return {w, h};
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

// The host's "Kestrel Sequence Info Suite": answers for the one sequence of
// this run. The suite's functions take no context, hence the file-level state.
struct SequenceAnswers {
    std::int32_t dropFrame = 0;
    Guid workingSpace;
};
SequenceAnswers gSequence;

std::int32_t SequenceDropFrame(std::uint32_t, std::int32_t* dropFrame)
{
    if (dropFrame != nullptr)
        *dropFrame = gSequence.dropFrame;
    return 0;
}

std::int32_t SequenceWorkingSpace(std::uint32_t, void* id)
{
    if (id != nullptr)
        std::memcpy(id, &gSequence.workingSpace, sizeof gSequence.workingSpace);
    return 0;
}

struct SequenceSuiteTable {
    std::array<std::uint8_t, 80> bytes{};
    SequenceSuiteTable()
    {
        StorePtr(bytes.data(), rec::SequenceInfoSuite::kGetDropFrame, reinterpret_cast<const void*>(&SequenceDropFrame));
        StorePtr(bytes.data(), rec::SequenceInfoSuite::kGetWorkingColorSpace,
                 reinterpret_cast<const void*>(&SequenceWorkingSpace));
    }
};

std::string Utf8FromUtf16(const std::uint16_t* text)
{
    std::u16string wide;
    for (; text != nullptr && *text != 0; ++text)
        wide += static_cast<char16_t>(*text);
    return Utf8(wide);
}

/// Installs a dialog driver for the length of one selector-38 call.
class DriverScope {
public:
    explicit DriverScope(std::shared_ptr<zellyrafactory::hostcontrol::ModalDriver> driver)
    {
        zellyrafactory::hostcontrol::InstallModalDriver(std::move(driver));
    }
    ~DriverScope() { zellyrafactory::hostcontrol::InstallModalDriver(nullptr); }
    DriverScope(const DriverScope&) = delete;
    DriverScope& operator=(const DriverScope&) = delete;
};

} // namespace

ClipFile CreateClip(Session& session, const NewOptions& options)
{
    const SequenceOptions& seq = options.sequence;
    const auto size = Size(seq.size, "--seq-size");
    const auto rate = Ratio(seq.rate, "--seq-rate");
    const auto par = Ratio(seq.par, "--seq-par");
    gSequence.workingSpace = WorkingSpaceGuid(seq.workingSpace);
    gSequence.dropFrame = seq.dropFrame ? 1 : 0;
    MB::Locale::HostControl::SetInputLocaleOverride(LocaleFor(seq.locale));

    if (options.dialog.interactive)
        throw UsageError(isatty(STDIN_FILENO) == 1
                             ? "--interactive: this build has no terminal dialog yet; use the dialog flags"
                             : "--interactive needs a terminal on standard input");
    auto driver = std::make_shared<FlagDriver>(StepsFor(options.dialog));

    static const SequenceSuiteTable sequenceSuite;
    session.Host().Suites().Register(rec::SequenceInfoSuite::kName, rec::SequenceInfoSuite::kVersion,
                                     sequenceSuite.bytes.data());

    // First the size of the record, then the record itself.
    std::vector<std::uint8_t> request(rec::SettingsRequest::kMinSize, 0);
    std::vector<std::uint8_t> nameRecord(rec::ClipNameRecord::kMinSize, 0);
    std::int32_t result = session.Host().Call(BT_SEL_ACQUIRE_SETTINGS, nameRecord.data(), request.data());
    const std::uint32_t recordSize = LoadU32(request.data(), rec::SettingsRequest::kSettingsSize);
    if (result != 0 || recordSize != kSettingsSize)
        throw std::runtime_error("the module asked for a settings record of " + std::to_string(recordSize) +
                                 " bytes (selector 38 answered " + std::to_string(result) + ")");

    SettingsBytes settings{};
    StorePtr(request.data(), rec::SettingsRequest::kSettingsBuffer, settings.data());
    StoreU8(request.data(), rec::SettingsRequest::kSetupRequested, 1);
    StoreU32(request.data(), rec::SettingsRequest::kSequenceId, 1);
    StoreI32(request.data(), rec::SettingsRequest::kWidth, size[0]);
    StoreI32(request.data(), rec::SettingsRequest::kHeight, size[1]);
    StoreU32(request.data(), rec::SettingsRequest::kParNum, static_cast<std::uint32_t>(par[0]));
    StoreU32(request.data(), rec::SettingsRequest::kParDen, static_cast<std::uint32_t>(par[1]));
    StoreI32(request.data(), rec::SettingsRequest::kRateNum, static_cast<std::int32_t>(rate[0]));
    StoreI32(request.data(), rec::SettingsRequest::kRateDen, static_cast<std::int32_t>(rate[1]));
    StoreF32(request.data(), rec::SettingsRequest::kAudioRate, static_cast<float>(seq.audioRate));
    {
        DriverScope scope(driver);
        result = session.Host().Call(BT_SEL_ACQUIRE_SETTINGS, nameRecord.data(), request.data());
    }
    if (!driver->Failure().empty())
        throw UsageError("the dialog refused an action: " + driver->Failure());
    if (result == BT_RESULT_CANCELLED)
        throw Cancelled(std::string("the dialog was ") + (options.dialog.close ? "closed" : "cancelled") +
                        ": no clip written");
    if (result != 0)
        throw std::runtime_error("the module made no clip (selector 38 answered " + std::to_string(result) + ")");

    ClipFile clip;
    clip.settings = settings;
    auto* name = static_cast<std::uint16_t*>(LoadPtr(nameRecord.data(), rec::ClipNameRecord::kClipName));
    clip.name = Utf8FromUtf16(name);
    if (name != nullptr)
        session.Host().Memory().Release(name);
    return clip;
}

int RunNew(const CommonOptions& common, const NewOptions& options)
{
    Session session(common);
    const ClipFile clip = CreateClip(session, options);
    SaveClipFile(options.output, clip);
    Say(common, "wrote " + options.output + ": \"" + clip.name + "\", " +
                    SettingsSummary(DecodeSettings(clip.settings)));
    return 0;
}

} // namespace btcli
