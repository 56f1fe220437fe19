#include "DialogActions.h"

#include "Commands.h"

#include "ImporterBarsAndTone/ColorSpaces.h"
#include "ImporterBarsAndTone/DialogControls.h"
#include "ImporterBarsAndTone/IdentifierFormats.h"
#include "zellyrafactory/ScriptedDriver.h"
#include "zelui/controls/UI_HotTextNumber.h"
#include "zelui/controls/UI_NumberEdit.h"
#include "zelui/controls/UI_Popup.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace btcli {

namespace hc = zellyrafactory::hostcontrol;

namespace {

namespace ids = bt::dialog::ids;
constexpr const char* kPresetPopup = ids::kPresetPopup;
constexpr const char* kWidthEdit = ids::kFrameWidthNumberEdit;
constexpr const char* kHeightEdit = ids::kFrameHeightNumberEdit;
constexpr const char* kVideoRatePopup = ids::kVideoFrameRatePopup;
constexpr const char* kParPopup = ids::kParPopup;
constexpr const char* kColourSpacePopup = ids::kColorSpaceTypePopup;
constexpr const char* kAudioRatePopup = ids::kAudioFrameRatePopup;
constexpr const char* kSteadyButton = ids::kSteadyTonesBtn;
constexpr const char* kIdentifyButton = ids::kIdentifyChannelsBtn;
constexpr const char* kFrequency = ids::kFrequencyHotTextNumber;
constexpr const char* kAmplitude = ids::kAmplitudeHotTextNumber;
constexpr const char* kIdentifierPopup = ids::kIdentifierFormatPopup;
constexpr const char* kOk = ids::kOkButton;
constexpr const char* kCancel = ids::kCancelButton;

// Why a person finds a control disabled, for the flags that act on it.
struct DisabledHint {
    const char* control;
    const char* hint;
};
constexpr DisabledHint kDisabledHints[] = {
    {kFrequency, "it sets a steady tone, and --tone identify turns that off"},
    {kAmplitude, "it sets a steady tone, and --tone identify turns that off"},
    {kIdentifierPopup, "it names a channel identification, which needs --tone identify"},
};

// A number whose range depends on another control's choice says so.
struct RangeContext {
    const char* control;
    const char* dependsOn;
};
constexpr RangeContext kRangeContexts[] = {{kFrequency, kAudioRatePopup}};

/// The item a short name stands for: a colour space's token names its
/// dialog item, an identifier format's its own.
std::optional<std::string> ItemOfShortName(const std::string& name)
{
    for (const bt::ColorSpaceFacts& space : bt::kColorSpaces)
        if (name == space.token)
            return std::string(bt::DisplayName(space));
    for (const bt::IdentifierFormatFacts& format : bt::kIdentifierFormats)
        if (name == format.token)
            return std::string(bt::DisplayName(format));
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
    auto whole = [](const std::optional<double>& v) { return v && std::isfinite(*v) && *v >= 1 && *v == std::floor(*v); };
    if (!whole(w) || !whole(h))
        throw UsageError(std::string(flag) + " takes a width and height in whole pixels, such as 1920x1080, not \"" +
                         text + "\"");
    width = *w;
    height = *h;
}

/// A number typed into a control; `positive`: only more than zero makes sense.
double TypedNumber(const std::string& text, const char* flag, const char* unit, bool positive)
{
    const auto v = Number(text);
    if (!v || !std::isfinite(*v) || (positive && *v <= 0))
        throw UsageError(std::string(flag) + " takes " + (positive ? "a number above 0, in " : "a number, in ") + unit +
                         ", not \"" + text + "\"");
    return *v;
}

/// A control's number as a person reads it: its decimal places, no trailing zeros.
std::string Shown(double value, int decimalPlaces)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", std::clamp(decimalPlaces, 0, 6), value);
    std::string out = text;
    if (out.find('.') != std::string::npos) {
        while (out.back() == '0')
            out.pop_back();
        if (out.back() == '.')
            out.pop_back();
    }
    return out;
}

struct NumberControl {
    double value = 0, min = 0, max = 0;
    int decimalPlaces = 0;
    std::string unit;
};

std::optional<NumberControl> ReadNumberControl(zelui::ui::UI_Node* node)
{
    using namespace zelui::controls;
    if (auto* edit = dynamic_cast<UI_NumberEdit*>(node))
        return NumberControl{edit->GetValue(), edit->GetMinValue(), edit->GetMaxValue(), edit->GetDecimalPlaces(),
                             Utf8(edit->GetPostLabel())};
    if (auto* hot = dynamic_cast<UI_HotTextNumber*>(node))
        return NumberControl{hot->GetValue(), hot->GetMinValue(), hot->GetMaxValue(), hot->GetDecimalPlaces(),
                             Utf8(hot->GetPostLabel())};
    return std::nullopt;
}

/// "--frequency 1e9 was held to 24000 Hz, the highest the dialog allows at 48000 Hz".
std::string HeldMessage(const DialogStep& step, const NumberControl& now, hc::DialogSession& session)
{
    const std::string unit = now.unit.empty() ? "" : " " + now.unit;
    std::string text = step.part.empty() ? step.flag + " was held to " : step.flag + ": the " + step.part + " was held to ";
    text += Shown(now.value, now.decimalPlaces) + unit + ", the " +
            (now.value >= now.max ? "highest" : "lowest") + " the dialog allows";
    for (const RangeContext& c : kRangeContexts)
        if (step.control == c.control)
            if (auto* popup = dynamic_cast<zelui::controls::UI_Popup*>(session.Find(c.dependsOn)))
                if (popup->GetValue() >= 0 && popup->GetValue() < popup->GetItemCount())
                    text += " at " + Utf8(popup->GetItemText(popup->GetValue()));
    return text;
}

/// A refusal in the user's terms: the flag, and why the control would not take it.
std::string Refusal(const DialogStep& step, const hc::ActionOutcome& outcome, hc::DialogSession& session)
{
    const std::string who = step.flag.empty() ? step.control : step.flag;
    auto* control = dynamic_cast<zelui::controls::UI_ControlView*>(session.Find(step.control));
    if (control != nullptr && !control->IsEnabled()) {
        std::string label = Utf8(control->GetLabel());
        while (!label.empty() && (label.back() == ':' || label.back() == ' '))
            label.pop_back();
        std::string text = who + ": the dialog's " + (label.empty() ? std::string("control") : "\"" + label + "\"") +
                           " is disabled";
        for (const DisabledHint& h : kDisabledHints)
            if (step.control == h.control)
                text += std::string("; ") + h.hint;
        return text;
    }
    return who + ": " + outcome.reason;
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
    auto choose = [&](const char* control, const char* flag, const std::string& text) {
        if (!text.empty())
            steps.push_back({K::Choose, control, text, 0, flag, {}}); // the refusal quotes the text
    };
    choose(kPresetPopup, "--preset", d.preset);
    if (!d.size.empty()) {
        double w = 0, h = 0;
        ParseSize(d.size, "--size", w, h);
        steps.push_back({K::Type, kWidthEdit, {}, w, "--size " + d.size, "width"});
        steps.push_back({K::Type, kHeightEdit, {}, h, "--size " + d.size, "height"});
    }
    choose(kVideoRatePopup, "--video-rate", d.videoRate);
    choose(kParPopup, "--par", d.par);
    choose(kColourSpacePopup, "--colour-space", d.colourSpace);
    choose(kAudioRatePopup, "--audio-rate", d.audioRate);
    if (d.tone == "steady")
        steps.push_back({K::Select, kSteadyButton, {}, 0, "--tone steady", {}});
    else if (d.tone == "identify")
        steps.push_back({K::Select, kIdentifyButton, {}, 0, "--tone identify", {}});
    else if (!d.tone.empty())
        throw UsageError("--tone is steady or identify, not \"" + d.tone + "\"");
    if (!d.frequency.empty())
        steps.push_back({K::Type, kFrequency, {}, TypedNumber(d.frequency, "--frequency", "Hz", true),
                         "--frequency " + d.frequency, {}});
    if (!d.amplitude.empty())
        steps.push_back({K::Type, kAmplitude, {}, TypedNumber(d.amplitude, "--amplitude", "dB", false),
                         "--amplitude " + d.amplitude, {}});
    choose(kIdentifierPopup, "--identifier", d.identifier);
    for (const std::string& raw : d.actions) {
        hc::ScriptedAction a;
        try {
            a = hc::ScriptedAction::Parse(raw);
        } catch (const std::invalid_argument& e) {
            throw UsageError(std::string("--action: ") + e.what());
        }
        const std::string flag = "--action " + raw;
        switch (a.kind) {
        case hc::ScriptedAction::Kind::ChooseItem:
            steps.push_back({K::Choose, a.identifier, Utf8(a.itemText), 0, flag, {}});
            break;
        case hc::ScriptedAction::Kind::TypeNumber: steps.push_back({K::Type, a.identifier, {}, a.number, flag, {}}); break;
        case hc::ScriptedAction::Kind::SelectRadioButton: steps.push_back({K::Select, a.identifier, {}, 0, flag, {}}); break;
        case hc::ScriptedAction::Kind::PressButton: steps.push_back({K::Press, a.identifier, {}, 0, flag, {}}); break;
        case hc::ScriptedAction::Kind::CloseWindow: steps.push_back({K::Close, {}, {}, 0, flag, {}}); break;
        }
    }
    if (d.close)
        steps.push_back({K::Close, {}, {}, 0, "--close", {}});
    else
        steps.push_back({K::Press, d.cancel ? kCancel : kOk, {}, 0, d.cancel ? "--cancel" : "", {}});
    return steps;
}

void FlagDriver::RunModal(hc::DialogSession& session)
{
    ++mRuns;
    mFailure.clear();
    mAdjustments.clear();
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
        case DialogStep::Kind::Type:
            outcome = session.TypeNumber(step.control, step.number);
            if (const auto now = ReadNumberControl(session.Find(step.control)); outcome && now && now->value != step.number)
                mAdjustments.push_back(HeldMessage(step, *now, session));
            break;
        case DialogStep::Kind::Select: outcome = session.SelectRadioButton(step.control); break;
        case DialogStep::Kind::Press: outcome = session.PressButton(step.control); break;
        case DialogStep::Kind::Close: session.CloseWindow(); break;
        }
        if (!outcome) {
            mFailure = Refusal(step, outcome, session);
            session.CloseWindow();
            return;
        }
    }
}

} // namespace btcli
