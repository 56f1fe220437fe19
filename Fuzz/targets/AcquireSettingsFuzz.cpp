// Selector 38: a new clip's settings from a sequence, the host's sequence
// suite and the settings dialog, all from the fuzzer: the request's fields,
// what the suite answers (or that there is none), the input locale, the
// layout text the library receives (the module's, none, or a mutated one),
// and the user's actions in the dialog. Input:
//   host profile; u8 locale; u8 script choice; u8 request flags;
//   u32 sequence id, i32 width, i32 height, u32 par numerator, u32 par
//   denominator, i32 rate numerator, i32 rate denominator, f32 audio rate;
//   u8 action count, then per action u8 kind, u8 control, f64 value;
//   the rest: a layout text (script choice 2) or a driver command line.

#include "ImporterBarsAndTone/ColorSpaces.h"
#include "ImporterBarsAndTone/HostRecords.h"
#include "ImporterBarsAndTone/ImporterAbi.h"
#include "MediaBridge/Locale.h"
#include "barsandtone/PackedBytes.h"
#include "ImporterBarsAndTone/DialogControls.h"
#include "harness/FuzzHost.h"
#include "zellyrafactory/HostControl.h"
#include "zellyrafactory/ScriptedDriver.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace btfuzz;
using namespace bt::packed;
namespace req = bt::records::SettingsRequest;
namespace tsr = bt::records::ToneSettingsRecord;
namespace hc = zellyrafactory::hostcontrol;

constexpr std::size_t kMostActions = 24;

struct Action {
    std::uint8_t kind;
    std::uint8_t control;
    double value;
};

/// Performs the fuzzer's actions on the running dialog, as a user would.
class FuzzDriver : public hc::ModalDriver {
public:
    explicit FuzzDriver(std::vector<Action> actions) : mActions(std::move(actions)) {}

    void RunModal(hc::DialogSession& session) override
    {
        constexpr std::size_t kControls = std::size(bt::dialog::ids::kAll);
        for (const Action& a : mActions) {
            if (session.IsClosed())
                return;
            const char* id = a.control < kControls ? bt::dialog::ids::kAll[a.control] : "noSuchControl";
            switch (a.kind % 6) {
            case 0: (void)session.ChooseItemAt(id, static_cast<std::int64_t>(std::fmod(a.value, 1e12))); break;
            case 1: (void)session.TypeNumber(id, a.value); break;
            case 2: (void)session.SelectRadioButton(id); break;
            case 3: (void)session.PressButton(id); break;
            case 4: (void)session.ChooseItem(id, u"44100 Hz"); break;
            default: session.CloseWindow(); break;
            }
        }
    }

private:
    std::vector<Action> mActions;
};

/// The clip's name by its stored colour space (untranslated, all ASCII); a
/// value without a row gives the plain name.
std::u16string ExpectedName(std::uint8_t colorSpaceType)
{
    const bt::ColorSpaceFacts* facts = bt::FindColorSpace(colorSpaceType);
    const std::string_view text = bt::DefaultText(facts != nullptr ? facts->clipNameKey : bt::kPlainClipNameKey);
    return {text.begin(), text.end()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ByteReader in(data, size);
    FuzzHost host(ReadHostProfile(in));
    const auto locale = in.Take<std::uint8_t>();
    const auto scriptChoice = in.Take<std::uint8_t>();
    const auto flags = in.Take<std::uint8_t>();

    ExactBlock request(req::kMinSize);
    in.TakeBytes(request.data() + req::kSequenceId, req::kMinSize - req::kSequenceId);
    ExactBlock buffer(tsr::kSize);
    ExactBlock nameRecord(bt::records::ClipNameRecord::kMinSize);
    const bool withBuffer = (flags & 1u) == 0;
    const bool setup = (flags & 2u) == 0;
    const bool withNameRecord = (flags & 4u) == 0;
    StorePtr(request.data(), req::kSettingsBuffer, withBuffer ? buffer.data() : nullptr);
    StoreU8(request.data(), req::kSetupRequested, setup ? 1 : 0);

    std::vector<Action> actions(in.Take<std::uint8_t>() % (kMostActions + 1));
    for (Action& a : actions) {
        a.kind = in.Take<std::uint8_t>();
        a.control = in.Take<std::uint8_t>();
        a.value = in.Take<double>();
    }
    std::string rest(in.Remaining(), '\0');
    in.TakeBytes(rest.data(), rest.size());

    // The scripted driver's command form is host input too.
    if ((flags & 8u) != 0) {
        try {
            (void)hc::ScriptedAction::Parse(rest);
        } catch (const std::invalid_argument&) {
        }
    }

    const int scriptKind = scriptChoice % 4; // 0, 1: the module's texts; 2: the fuzzer's; 3: none
    if (scriptKind >= 2)
        hc::SetScriptProvider([&](std::string_view) -> std::optional<std::string> {
            if (scriptKind == 3)
                return std::nullopt;
            return rest;
        });
    MB::Locale::HostControl::SetInputLocaleOverride(static_cast<MB::Locale::HostControl::InputLocale>(locale % 3));
    hc::InstallModalDriver(std::make_shared<FuzzDriver>(std::move(actions)));

    const ExactBlock before = [&] {
        ExactBlock copy(request.size());
        std::memcpy(copy.data(), request.data(), request.size());
        return copy;
    }();
    const std::int32_t result = host.Call(BT_SEL_ACQUIRE_SETTINGS, withNameRecord ? nameRecord.data() : nullptr,
                                          request.data());

    hc::InstallModalDriver(nullptr);
    hc::SetScriptProvider({});
    MB::Locale::HostControl::SetInputLocaleOverride(MB::Locale::HostControl::InputLocale::FromProcess);

    const auto untouched = [](const ExactBlock& b) {
        for (std::size_t i = 0; i < b.size(); ++i)
            if (b.data()[i] != kUntouched)
                return false;
        return true;
    };
    // The request record: only the size word, and only for the size query.
    BT_FUZZ_CHECK(std::memcmp(before.data(), request.data(), req::kSettingsSize) == 0);
    BT_FUZZ_CHECK(std::memcmp(before.data() + req::kSetupRequested, request.data() + req::kSetupRequested,
                              req::kMinSize - req::kSetupRequested) == 0);
    if (!withBuffer) {
        BT_FUZZ_CHECK(result == 0 && LoadU32(request.data(), req::kSettingsSize) == tsr::kSize);
        BT_FUZZ_CHECK(untouched(nameRecord) && host.LiveBlocks() == 0);
        return 0;
    }
    BT_FUZZ_CHECK(LoadU32(request.data(), req::kSettingsSize) == LoadU32(before.data(), req::kSettingsSize));
    // The module's own layout texts never fail; a foreign one may be refused.
    BT_FUZZ_CHECK(result == 0 || result == 300 || (scriptKind == 2 && result == 3));
    if (!setup || result != 0) {
        BT_FUZZ_CHECK(untouched(buffer) && untouched(nameRecord) && host.LiveBlocks() == 0);
        return 0;
    }

    BT_FUZZ_CHECK(LoadU32(buffer.data(), tsr::kVersion) == tsr::kCurrentVersion &&
                  LoadU32(buffer.data(), tsr::kAudioChannelCount) == 2 &&
                  LoadU32(buffer.data(), tsr::kAudioChannelType) == 2);
    if (!withNameRecord) {
        BT_FUZZ_CHECK(host.LiveBlocks() == 0);
        return 0;
    }
    void* name = LoadPtr(nameRecord.data(), bt::records::ClipNameRecord::kClipName);
    if (name == nullptr) {
        BT_FUZZ_CHECK(host.LiveBlocks() == 0);
        return 0;
    }
    // The name is the host's block: the text of the stored colour space and
    // its terminating zero, exactly.
    const std::size_t bytes = host.BlockSize(name);
    BT_FUZZ_CHECK(host.LiveBlocks() == 1 && bytes >= 2 && bytes % 2 == 0);
    std::u16string text(bytes / 2 - 1, u'\0');
    std::memcpy(text.data(), name, bytes - 2);
    BT_FUZZ_CHECK(LoadU16(name, bytes - 2) == 0);
    const std::uint8_t space = LoadU8(buffer.data(), tsr::kColorSpaceType);
    BT_FUZZ_CHECK(text == ExpectedName(space));
    host.Release(name);
    return 0;
}
