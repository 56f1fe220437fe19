#include "DialogActions.h"

#include "ImporterBarsAndTone/ColorSpaces.h"
#include "zellyrafactory/ScriptedDriver.h"
#include "zelui/controls/UI_Popup.h"

#include <cctype>
#include <cstdlib>
#include <optional>

namespace btcli {

namespace hc = zellyrafactory::hostcontrol;

namespace {

// Control identifiers of the settings dialog's layout.
constexpr const char* kPresetPopup = "presetPopup";
constexpr const char* kWidthEdit = "frameWidthNumberEdit";
constexpr const char* kHeightEdit = "frameHeightNumberEdit";
constexpr const char* kVideoRatePopup = "videoFrameRatePopup";
constexpr const char* kParPopup = "parPopup";
constexpr const char* kColourSpacePopup = "colorSpaceTypePopup";
constexpr const char* kAudioRatePopup = "audioFrameRatePopup";
constexpr const char* kSteadyButton = "steadyTonesBtn";
constexpr const char* kIdentifyButton = "identifyChannelsBtn";
constexpr const char* kFrequency = "frequencyHotTextNumber";
constexpr const char* kAmplitude = "amplitudeHotTextNumber";
constexpr const char* kIdentifierPopup = "identifierFormatPopup";
constexpr const char* kOk = "okButton";
constexpr const char* kCancel = "cancelButton";

struct ShortName {
    const char* name;
    const char* item;
};
constexpr ShortName kIdentifierShortNames[] = {
    {"ebu1000", "EBU Stereo (1000 Hz)"}, {"ebu400", "EBU Stereo (400 Hz)"},
    {"ebu51", "EBU Multichannel (5.1)"}, {"blits", "BLITS (5.1)"},
};

/// The item a short name stands for: a colour space's token names its
/// dialog item, an identifier format's its own.
std::optional<std::string> ItemOfShortName(const std::string& name)
{
    for (const bt::ColorSpaceFacts& space : bt::kColorSpaces)
        if (name == space.token)
            return std::string(bt::DisplayName(space));
    for (const ShortName& s : kIdentifierShortNames)
        if (name == s.name)
            return s.item;
    return std::nullopt;
}

std::string Plain(const std::string& text)
{
    std::string out;
    for (unsigned char c : text)
        if (std::isalnum(c))
            out += static_cast<char>(std::tolower(c));
    return out;
}

std::optional<double> Number(const std::string& text)
{
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || end == text.c_str() || *end != 0)
        return std::nullopt;
    return v;
}

std::optional<double> LastNumber(const std::string& text)
{
    std::optional<double> last;
    for (std::size_t i = 0; i < text.size();) {
        if (std::isdigit(static_cast<unsigned char>(text[i]))) {
            std::size_t j = i;
            while (j < text.size() && (std::isdigit(static_cast<unsigned char>(text[j])) || text[j] == '.'))
                ++j;
            last = std::strtod(text.substr(i, j - i).c_str(), nullptr);
            i = j;
        } else {
            ++i;
        }
    }
    return last;
}

template <typename Pred>
long Unique(const std::vector<std::string>& items, Pred pred, int& found)
{
    long index = -1;
    found = 0;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (pred(items[i])) {
            ++found;
            index = static_cast<long>(i);
        }
    return found == 1 ? index : -1;
}

} // namespace

std::string Utf8(const std::u16string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size())
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

namespace {

void ParseSize(const std::string& text, const char* flag, double& width, double& height)
{
    const std::size_t x = text.find_first_of("xX");
    const auto w = x == std::string::npos ? std::nullopt : Number(text.substr(0, x));
    const auto h = x == std::string::npos ? std::nullopt : Number(text.substr(x + 1));
    if (!w || !h || *w <= 0 || *h <= 0)
        throw UsageError(std::string(flag) + " takes WxH, such as 1920x1080, not \"" + text + "\"");
    width = *w;
    height = *h;
}

} // namespace

long MatchItem(const std::vector<std::string>& items, const std::string& wanted, std::string& why)
{
    int found = 0;
    long index = Unique(items, [&](const std::string& item) { return item == wanted; }, found);
    if (index >= 0)
        return index;
    const std::string plain = Plain(wanted);
    if (!plain.empty()) {
        index = Unique(items, [&](const std::string& item) { return Plain(item) == plain; }, found);
        if (index >= 0)
            return index;
    }
    if (const auto n = Number(wanted)) {
        index = Unique(items, [&](const std::string& item) { return LastNumber(item) == n; }, found);
        if (index >= 0)
            return index;
    }
    if (const auto shortItem = ItemOfShortName(plain)) {
        index = Unique(items, [&](const std::string& item) { return item == *shortItem; }, found);
        if (index >= 0)
            return index;
    }
    int containing = 0;
    if (!plain.empty()) {
        index = Unique(items, [&](const std::string& item) { return Plain(item).find(plain) != std::string::npos; },
                       containing);
        if (index >= 0)
            return index;
    }
    std::string list;
    for (const std::string& item : items)
        list += (list.empty() ? "\"" : ", \"") + item + "\"";
    why = "\"" + wanted + "\" " + (containing > 1 ? "names more than one item" : "is not an item") +
          (items.empty() ? "; the list is empty" : "; the items are " + list);
    return -1;
}

std::vector<DialogStep> StepsFor(const DialogOptions& d)
{
    using K = DialogStep::Kind;
    std::vector<DialogStep> steps;
    auto choose = [&](const char* control, const std::string& text) {
        if (!text.empty())
            steps.push_back({K::Choose, control, text, 0});
    };
    choose(kPresetPopup, d.preset);
    if (!d.size.empty()) {
        double w = 0, h = 0;
        ParseSize(d.size, "--size", w, h);
        steps.push_back({K::Type, kWidthEdit, {}, w});
        steps.push_back({K::Type, kHeightEdit, {}, h});
    }
    choose(kVideoRatePopup, d.videoRate);
    choose(kParPopup, d.par);
    choose(kColourSpacePopup, d.colourSpace);
    choose(kAudioRatePopup, d.audioRate);
    if (d.tone == "steady")
        steps.push_back({K::Select, kSteadyButton, {}, 0});
    else if (d.tone == "identify")
        steps.push_back({K::Select, kIdentifyButton, {}, 0});
    else if (!d.tone.empty())
        throw UsageError("--tone is steady or identify, not \"" + d.tone + "\"");
    if (d.frequency)
        steps.push_back({K::Type, kFrequency, {}, *d.frequency});
    if (d.amplitude)
        steps.push_back({K::Type, kAmplitude, {}, *d.amplitude});
    choose(kIdentifierPopup, d.identifier);
    for (const std::string& raw : d.actions) {
        hc::ScriptedAction a;
        try {
            a = hc::ScriptedAction::Parse(raw);
        } catch (const std::invalid_argument& e) {
            throw UsageError(std::string("--action: ") + e.what());
        }
        switch (a.kind) {
        case hc::ScriptedAction::Kind::ChooseItem: steps.push_back({K::Choose, a.identifier, Utf8(a.itemText), 0}); break;
        case hc::ScriptedAction::Kind::TypeNumber: steps.push_back({K::Type, a.identifier, {}, a.number}); break;
        case hc::ScriptedAction::Kind::SelectRadioButton: steps.push_back({K::Select, a.identifier, {}, 0}); break;
        case hc::ScriptedAction::Kind::PressButton: steps.push_back({K::Press, a.identifier, {}, 0}); break;
        case hc::ScriptedAction::Kind::CloseWindow: steps.push_back({K::Close, {}, {}, 0}); break;
        }
    }
    if (d.close)
        steps.push_back({K::Close, {}, {}, 0});
    else
        steps.push_back({K::Press, d.cancel ? kCancel : kOk, {}, 0});
    return steps;
}

void FlagDriver::RunModal(hc::DialogSession& session)
{
    ++mRuns;
    mFailure.clear();
    for (const DialogStep& step : mSteps) {
        if (session.IsClosed())
            break;
        hc::ActionOutcome outcome;
        switch (step.kind) {
        case DialogStep::Kind::Choose: {
            auto* popup = dynamic_cast<zelui::controls::UI_Popup*>(session.Find(step.control));
            if (popup == nullptr) {
                outcome = {false, "the dialog has no pop-up " + step.control};
                break;
            }
            std::vector<std::string> items;
            for (std::int64_t i = 0; i < popup->GetItemCount(); ++i)
                items.push_back(Utf8(popup->GetItemText(i)));
            std::string why;
            const long index = MatchItem(items, step.text, why);
            outcome = index >= 0 ? session.ChooseItemAt(step.control, index) : hc::ActionOutcome{false, why};
            break;
        }
        case DialogStep::Kind::Type: outcome = session.TypeNumber(step.control, step.number); break;
        case DialogStep::Kind::Select: outcome = session.SelectRadioButton(step.control); break;
        case DialogStep::Kind::Press: outcome = session.PressButton(step.control); break;
        case DialogStep::Kind::Close: session.CloseWindow(); break;
        }
        if (!outcome) {
            mFailure = step.control + ": " + outcome.reason;
            session.CloseWindow();
            return;
        }
    }
}

} // namespace btcli
