#include "bttui/TerminalDriver.h"

#include "bttui/ScreenPlan.h"
#include "zelcore/text/Utf.h"
#include "zelui/controls/UI_Button.h"
#include "zelui/controls/UI_HotTextNumber.h"
#include "zelui/controls/UI_NumberEdit.h"
#include "zelui/controls/UI_Popup.h"
#include "zelui/controls/UI_RadioButton.h"

#include <final/final.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace bttui {

namespace {

using zellyrafactory::hostcontrol::ActionOutcome;
using zellyrafactory::hostcontrol::DialogSession;
using namespace zelui::controls;

constexpr int kMarginColumns = 2; ///< blank cells between the frame and the controls, each side
constexpr int kMarginLines = 1;

finalcut::FString Screen(const std::string& utf8) { return finalcut::FString(utf8); }

bool IsEnter(finalcut::FKey key) { return key == finalcut::FKey::Return || key == finalcut::FKey::Enter; }
/// Esc, and Ctrl-C, which a terminal program in raw mode receives as a key.
bool IsCancel(finalcut::FKey key)
{
    return key == finalcut::FKey::Escape || key == finalcut::FKey::Escape_mintty || key == finalcut::FKey::Ctrl_c;
}
bool IsEscape(finalcut::FKey key) { return key == finalcut::FKey::Escape || key == finalcut::FKey::Escape_mintty; }
/// A key that types a character (not a control or function key).
std::optional<char> TypedCharacter(finalcut::FKey key)
{
    const auto code = static_cast<std::uint32_t>(key);
    return code >= 0x20 && code < 0x7F ? std::optional<char>(static_cast<char>(code)) : std::nullopt;
}

// What the keys do, shown on the dialog's last line for the focused control.
constexpr const char* kPopupKeys = "Up/Down change, Enter opens the list";
constexpr const char* kNumberKeys = "Typing replaces it, Enter takes it";
constexpr const char* kRadioKeys = "Up/Down or Space select";
constexpr const char* kButtonKeys = "Enter or Space presses";
constexpr const char* kCommonKeys = " · Tab moves · Esc cancels";

const char* KeysFor(FieldKind kind)
{
    switch (kind) {
    case FieldKind::Popup: return kPopupKeys;
    case FieldKind::Number: return kNumberKeys;
    case FieldKind::RadioButton: return kRadioKeys;
    case FieldKind::Button: return kButtonKeys;
    }
    return "";
}

class SettingsWindow;

/// A screen control that shows one live control.
class Shown {
public:
    virtual ~Shown() = default;
    Shown() = default;
    Shown(const Shown&) = delete;
    Shown& operator=(const Shown&) = delete;
    virtual void Refresh() = 0;
    [[nodiscard]] virtual finalcut::FWidget& Widget() = 0;
};

class SettingsWindow final : public finalcut::FDialog {
public:
    SettingsWindow(finalcut::FWidget* parent, DialogSession& session, const ScreenPlan& plan);

    /// Performs a user action, then shows the dialog as it now is; closes
    /// the window when the action closed the dialog.
    void Act(const std::function<ActionOutcome()>& action);
    [[nodiscard]] bool Refreshing() const noexcept { return mRefreshing; }
    [[nodiscard]] DialogSession& Session() noexcept { return mSession; }
    /// The radio buttons of the group `identifier` belongs to, in layout order.
    [[nodiscard]] const std::vector<std::string>& RadioGroupOf(const std::string& identifier) const;
    void FocusControl(const std::string& identifier);
    /// Esc or Ctrl-C pressed on any control closes the window, as its close box does.
    bool TakesAsClose(finalcut::FKeyEvent* event);
    /// Says on the last line what the keys do in the focused control.
    void ShowKeys(const char* keys);
    /// Shows what focusing `widget` means for the keys.
    void HintOnFocus(finalcut::FWidget& widget, const char* keys);
    /// The terminal size the whole dialog needs.
    [[nodiscard]] finalcut::FSize Needed() const noexcept { return mNeeded; }
    /// Centres the dialog on the terminal, or shows a notice in place of its
    /// controls while the terminal is too small to show all of them.
    void Place();

protected:
    void onKeyPress(finalcut::FKeyEvent* event) override;
    void onClose(finalcut::FCloseEvent* event) override;
    void adjustSize() override;

private:
    void Refresh();

    DialogSession& mSession;
    finalcut::FSize mNeeded;
    std::string mTitle;
    std::unique_ptr<finalcut::FLabel> mKeys;
    std::unique_ptr<finalcut::FLabel> mTooSmall; ///< the notice shown instead of the controls
    std::vector<finalcut::FWidget*> mControls; ///< ours, not the window's own (its menu)
    finalcut::FWidget* mFocusBeforeNotice = nullptr;
    bool mShowingNotice = false;
    bool mRefreshing = false;
    std::vector<std::unique_ptr<Shown>> mShown;
    std::map<std::string, Shown*> mByIdentifier;
    std::map<std::string, std::vector<std::string>> mRadioGroups;
};

/// The label before a control and the unit after it; dimmed with it.
class Captions {
public:
    Captions(finalcut::FWidget* parent, const ScreenField& f)
    {
        auto place = [parent](const std::string& text, int column, int line) {
            auto label = std::make_unique<finalcut::FLabel>(Screen(text), parent);
            label->setGeometry(finalcut::FPoint{column + 1 + kMarginColumns, line + 1 + kMarginLines},
                               finalcut::FSize{static_cast<std::size_t>(TextCells(text)), 1});
            return label;
        };
        if (!f.label.empty())
            mLabel = place(f.label, f.labelColumn, f.line);
        if (!f.postLabel.empty())
            mPostLabel = place(f.postLabel, f.fieldColumn + f.fieldWidth + 1, f.line);
    }

    void SetEnabled(bool enabled)
    {
        for (finalcut::FLabel* label : {mLabel.get(), mPostLabel.get()})
            if (label != nullptr)
                label->setEnable(enabled);
    }

private:
    std::unique_ptr<finalcut::FLabel> mLabel;
    std::unique_ptr<finalcut::FLabel> mPostLabel;
};

void PlaceField(finalcut::FWidget& widget, const ScreenField& f)
{
    widget.setGeometry(finalcut::FPoint{f.fieldColumn + 1 + kMarginColumns, f.line + 1 + kMarginLines},
                       finalcut::FSize{static_cast<std::size_t>(f.fieldWidth), 1});
}

class PopupShown final : public finalcut::FComboBox, public Shown {
public:
    PopupShown(SettingsWindow& window, const ScreenField& f)
        : finalcut::FComboBox(&window), mWindow(window), mCaptions(&window, f), mIdentifier(f.identifier)
    {
        PlaceField(*this, f);
        unsetShadow();
        addCallback("row-changed", [this] { Chosen(); });
        // Enter reaches the pop-up's text field, not the pop-up: it opens the list there.
        window.HintOnFocus(*this, kPopupKeys);
        for (finalcut::FObject* child : getChildren())
            if (auto* field = dynamic_cast<finalcut::FLineEdit*>(child)) {
                field->addCallback("activate", [this] {
                    if (!mItems.empty() && isEnabled())
                        showDropDown();
                });
                window.HintOnFocus(*field, kPopupKeys);
            }
    }

    void Refresh() override
    {
        auto* popup = dynamic_cast<UI_Popup*>(mWindow.Session().Find(mIdentifier));
        if (popup == nullptr)
            return;
        std::vector<std::string> items;
        for (std::int64_t i = 0; i < popup->GetItemCount(); ++i)
            items.push_back(zelcore::text::Utf16ToUtf8(popup->GetItemText(i)));
        if (items != mItems) {
            clear();
            for (const std::string& item : items)
                insert(Screen(item));
            mItems = std::move(items);
        }
        const std::int64_t selected = popup->GetValue();
        if (selected >= 0 && selected < static_cast<std::int64_t>(mItems.size()))
            setCurrentItem(static_cast<std::size_t>(selected) + 1); // the list counts from 1
        else
            clearText(); // the dialog selected no item of the list
        setEnable(popup->IsEnabled());
        mCaptions.SetEnabled(popup->IsEnabled());
    }

    finalcut::FWidget& Widget() override { return *this; }

    void onKeyPress(finalcut::FKeyEvent* event) override
    {
        if (mDropped && IsEscape(event->key())) { // Esc in the open list closes the list only
            hideDropDown();
            event->accept();
            return;
        }
        if (!mWindow.TakesAsClose(event))
            finalcut::FComboBox::onKeyPress(event);
    }

    void showDropDown() override
    {
        mDropped = true;
        finalcut::FComboBox::showDropDown();
    }

    void hideDropDown() override
    {
        mDropped = false;
        finalcut::FComboBox::hideDropDown();
    }

private:
    void Chosen()
    {
        if (mWindow.Refreshing() || mItems.empty())
            return;
        // The list shows the pop-up's items in order, so the text gives the index.
        const auto found = std::find(mItems.begin(), mItems.end(), getText().toString());
        if (found == mItems.end())
            return;
        const auto index = static_cast<std::int64_t>(found - mItems.begin());
        mWindow.Act([this, index] { return mWindow.Session().ChooseItemAt(mIdentifier, index); });
    }

    SettingsWindow& mWindow;
    Captions mCaptions;
    std::string mIdentifier;
    std::vector<std::string> mItems;
    bool mDropped = false;
};

class NumberShown final : public finalcut::FLineEdit, public Shown {
public:
    NumberShown(SettingsWindow& window, const ScreenField& f)
        : finalcut::FLineEdit(&window), mWindow(window), mCaptions(&window, f), mIdentifier(f.identifier),
          mDecimalPlaces(f.decimalPlaces)
    {
        PlaceField(*this, f);
        unsetShadow();
        setInputFilter("[-+.0-9]");
        window.HintOnFocus(*this, kNumberKeys);
    }

    void Refresh() override
    {
        zelui::ui::UI_Node* node = mWindow.Session().Find(mIdentifier);
        auto* control = dynamic_cast<UI_ControlView*>(node);
        if (control == nullptr)
            return;
        double value = 0.0;
        if (auto* edit = dynamic_cast<UI_NumberEdit*>(node))
            value = edit->GetValue();
        else if (auto* hot = dynamic_cast<UI_HotTextNumber*>(node))
            value = hot->GetValue();
        mShownText = FormatNumber(value, mDecimalPlaces);
        setText(Screen(mShownText));
        setEnable(control->IsEnabled());
        mCaptions.SetEnabled(control->IsEnabled());
    }

    finalcut::FWidget& Widget() override { return *this; }

    void onKeyPress(finalcut::FKeyEvent* event) override
    {
        if (mWindow.TakesAsClose(event))
            return;
        const finalcut::FKey key = event->key();
        if (IsEnter(key)) {
            Commit();
            event->accept();
            return;
        }
        if (key == finalcut::FKey::Tab || key == finalcut::FKey::Back_tab)
            Commit(); // and let the dialog move the focus
        if (mSelected) {
            // The whole number is selected: typing or erasing replaces it,
            // moving the cursor starts editing it instead.
            if (TypedCharacter(key) || key == finalcut::FKey::Backspace || key == finalcut::FKey::Del_char)
                clear();
            Select(false);
            if (key == finalcut::FKey::Backspace || key == finalcut::FKey::Del_char) {
                redraw();
                event->accept();
                return;
            }
        }
        finalcut::FLineEdit::onKeyPress(event);
    }

    void onFocusIn(finalcut::FFocusEvent* event) override
    {
        finalcut::FLineEdit::onFocusIn(event);
        Select(true);
    }

    void onFocusOut(finalcut::FFocusEvent* event) override
    {
        Select(false);
        Commit();
        finalcut::FLineEdit::onFocusOut(event);
    }

    void resetColors() override
    {
        finalcut::FLineEdit::resetColors();
        if (mSelected) { // drawn as selected text is: the field's colours the other way round
            const finalcut::FColor fg = getForegroundColor();
            setForegroundColor(getBackgroundColor());
            setBackgroundColor(fg);
        }
    }

private:
    /// Types the edited text into the control, unless it is what was shown.
    void Commit()
    {
        if (mWindow.Refreshing())
            return;
        const std::string typed = getText().toString();
        if (typed == mShownText)
            return;
        char* end = nullptr;
        const double value = std::strtod(typed.c_str(), &end);
        if (typed.empty() || end != typed.c_str() + typed.size()) {
            Refresh(); // not a number: show the control's value again
            redraw();
            return;
        }
        mWindow.Act([this, value] { return mWindow.Session().TypeNumber(mIdentifier, value); });
    }

    void Select(bool selected)
    {
        if (mSelected == selected)
            return;
        mSelected = selected;
        resetColors();
        redraw();
    }

    SettingsWindow& mWindow;
    Captions mCaptions;
    std::string mIdentifier;
    int mDecimalPlaces;
    std::string mShownText;
    bool mSelected = false;
};

class RadioShown final : public finalcut::FRadioButton, public Shown {
public:
    RadioShown(SettingsWindow& window, const ScreenField& f)
        : finalcut::FRadioButton(Screen(f.label), &window), mWindow(window), mIdentifier(f.identifier)
    {
        setGeometry(finalcut::FPoint{f.labelColumn + 1 + kMarginColumns, f.line + 1 + kMarginLines},
                    finalcut::FSize{static_cast<std::size_t>(f.fieldWidth), 1});
        addCallback("clicked", [this] { SelectFrom(mIdentifier); });
        window.HintOnFocus(*this, kRadioKeys);
    }

    void Refresh() override
    {
        auto* radio = dynamic_cast<UI_RadioButton*>(mWindow.Session().Find(mIdentifier));
        if (radio == nullptr)
            return;
        setChecked(radio->GetValue() == 1);
        setEnable(radio->IsEnabled());
    }

    finalcut::FWidget& Widget() override { return *this; }

    void onKeyPress(finalcut::FKeyEvent* event) override
    {
        if (mWindow.TakesAsClose(event))
            return;
        const finalcut::FKey key = event->key();
        if (IsEnter(key) || key == finalcut::FKey::Space) {
            SelectFrom(mIdentifier);
            event->accept();
        } else if (key == finalcut::FKey::Down || key == finalcut::FKey::Right) {
            Step(+1);
            event->accept();
        } else if (key == finalcut::FKey::Up || key == finalcut::FKey::Left) {
            Step(-1);
            event->accept();
        } else {
            finalcut::FRadioButton::onKeyPress(event);
        }
    }

private:
    void SelectFrom(const std::string& identifier)
    {
        if (mWindow.Refreshing())
            return;
        mWindow.Act([this, identifier] { return mWindow.Session().SelectRadioButton(identifier); });
    }

    /// Arrows move the selection to the next button of the group that can take it.
    void Step(int direction)
    {
        const std::vector<std::string>& group = mWindow.RadioGroupOf(mIdentifier);
        const auto here = std::find(group.begin(), group.end(), mIdentifier);
        if (group.size() < 2 || here == group.end())
            return;
        const auto n = static_cast<std::ptrdiff_t>(group.size());
        std::ptrdiff_t at = here - group.begin();
        for (std::ptrdiff_t tried = 1; tried < n; ++tried) {
            at = ((at + direction) % n + n) % n;
            const auto* radio = dynamic_cast<UI_RadioButton*>(mWindow.Session().Find(group[static_cast<std::size_t>(at)]));
            if (radio != nullptr && radio->IsEnabled()) {
                const std::string next = group[static_cast<std::size_t>(at)];
                SelectFrom(next);
                mWindow.FocusControl(next);
                return;
            }
        }
    }

    SettingsWindow& mWindow;
    std::string mIdentifier;
};

class ButtonShown final : public finalcut::FButton, public Shown {
public:
    ButtonShown(SettingsWindow& window, const ScreenField& f)
        : finalcut::FButton(Screen(f.label), &window), mWindow(window), mIdentifier(f.identifier)
    {
        PlaceField(*this, f);
        unsetShadow();
        addCallback("clicked", [this] {
            if (!mWindow.Refreshing())
                mWindow.Act([this] { return mWindow.Session().PressButton(mIdentifier); });
        });
        window.HintOnFocus(*this, kButtonKeys);
    }

    void Refresh() override
    {
        if (auto* button = dynamic_cast<UI_Button*>(mWindow.Session().Find(mIdentifier)))
            setEnable(button->IsEnabled());
    }

    void onKeyPress(finalcut::FKeyEvent* event) override
    {
        if (!mWindow.TakesAsClose(event))
            finalcut::FButton::onKeyPress(event);
    }

    finalcut::FWidget& Widget() override { return *this; }

private:
    SettingsWindow& mWindow;
    std::string mIdentifier;
};

SettingsWindow::SettingsWindow(finalcut::FWidget* parent, DialogSession& session, const ScreenPlan& plan)
    : finalcut::FDialog(parent), mSession(session)
{
    setText(Screen(plan.title));
    setResizeable(false);
    const auto ownChildren = getChildren();
    int keysWidth = 0;
    for (const char* keys : {kPopupKeys, kNumberKeys, kRadioKeys, kButtonKeys})
        keysWidth = std::max(keysWidth, TextCells(std::string(keys) + kCommonKeys));
    const int width = std::max({plan.width, TextCells(plan.title) + 8, keysWidth}) + 2 + 2 * kMarginColumns;
    // The client area: a margin, the controls, a blank line, the keys' line.
    const int height = plan.height + 2 + kMarginLines + 2;
    mNeeded = finalcut::FSize{static_cast<std::size_t>(width), static_cast<std::size_t>(height)};
    setSize(mNeeded);
    mKeys = std::make_unique<finalcut::FLabel>(this);
    mKeys->setGeometry(finalcut::FPoint{1 + kMarginColumns, plan.height + kMarginLines + 2},
                       finalcut::FSize{static_cast<std::size_t>(keysWidth), 1});
    mKeys->setEnable(false); // drawn dimmed: it tells, it does nothing

    mTitle = plan.title;
    mTooSmall = std::make_unique<finalcut::FLabel>(this);
    mTooSmall->hide();

    for (const auto& entry : session.Entries())
        if (auto* group = dynamic_cast<UI_RadioButtonGroup*>(entry.node.Get())) {
            std::vector<std::string> members;
            for (const auto& member : group->GetMembers())
                members.push_back(member->GetIdentifier());
            for (const std::string& member : members)
                mRadioGroups[member] = members;
        }

    for (const ScreenField& f : plan.fields) {
        std::unique_ptr<Shown> shown;
        switch (f.kind) {
        case FieldKind::Popup: shown = std::make_unique<PopupShown>(*this, f); break;
        case FieldKind::Number: shown = std::make_unique<NumberShown>(*this, f); break;
        case FieldKind::RadioButton: shown = std::make_unique<RadioShown>(*this, f); break;
        case FieldKind::Button: shown = std::make_unique<ButtonShown>(*this, f); break;
        }
        mByIdentifier[f.identifier] = shown.get();
        mShown.push_back(std::move(shown));
    }
    for (finalcut::FObject* child : getChildren())
        if (auto* widget = dynamic_cast<finalcut::FWidget*>(child); widget != nullptr && widget != mTooSmall.get() &&
                                                                    std::find(ownChildren.begin(), ownChildren.end(),
                                                                              child) == ownChildren.end())
            mControls.push_back(widget);
    Refresh();
    if (!plan.fields.empty()) // the first control has the focus as the dialog opens
        ShowKeys(KeysFor(plan.fields.front().kind));
}

void SettingsWindow::ShowKeys(const char* keys)
{
    if (!mKeys)
        return;
    mKeys->setText(Screen(std::string(keys) + kCommonKeys));
    mKeys->redraw();
}

void SettingsWindow::HintOnFocus(finalcut::FWidget& widget, const char* keys)
{
    widget.addCallback("focus-in", [this, keys] { ShowKeys(keys); });
}

void SettingsWindow::Place()
{
    const std::size_t columns = getDesktopWidth();
    const std::size_t lines = getDesktopHeight();
    const bool fits = columns >= mNeeded.getWidth() && lines >= mNeeded.getHeight();
    auto showControls = [this](bool shown) {
        for (finalcut::FWidget* widget : mControls)
            shown ? widget->show() : widget->hide();
    };
    if (fits) {
        if (mShowingNotice) {
            mShowingNotice = false;
            mTooSmall->hide();
            setText(Screen(mTitle));
            showControls(true);
            if (mFocusBeforeNotice != nullptr)
                mFocusBeforeNotice->setFocus();
        }
        setGeometry(finalcut::FPoint{static_cast<int>(columns - mNeeded.getWidth()) / 2 + 1,
                                     static_cast<int>(lines - mNeeded.getHeight()) / 2 + 1},
                    mNeeded);
        redraw();
        return;
    }
    // Cut off, the dialog would hide controls and their values: say so until
    // the terminal grows (Esc still cancels).
    const std::string text = "The dialog needs " + std::to_string(mNeeded.getWidth()) + " x " +
                             std::to_string(mNeeded.getHeight()) + " characters; this terminal has " +
                             std::to_string(columns) + " x " + std::to_string(lines) +
                             ". Enlarge it, or press Esc to cancel.";
    const std::size_t inner = std::clamp<std::size_t>(columns > 6 ? columns - 6 : 1, 1, 40);
    std::string wrapped;
    std::size_t lineLength = 0, rows = 1;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos)
            end = text.size();
        const std::size_t word = end - start;
        if (lineLength > 0 && lineLength + 1 + word > inner) {
            wrapped += '\n';
            lineLength = 0;
            ++rows;
        } else if (lineLength > 0) {
            wrapped += ' ';
            ++lineLength;
        }
        wrapped += text.substr(start, word);
        lineLength += word;
        start = end + 1;
    }
    if (!mShowingNotice) {
        mShowingNotice = true;
        mFocusBeforeNotice = getFocusWidget();
        showControls(false);
        setText("Terminal too small");
    }
    mTooSmall->setText(Screen(wrapped));
    mTooSmall->setGeometry(finalcut::FPoint{2, 1}, finalcut::FSize{inner, rows});
    mTooSmall->show();
    setGeometry(finalcut::FPoint{1, 1}, finalcut::FSize{inner + 4, rows + 3});
    redraw();
}

void SettingsWindow::adjustSize()
{
    finalcut::FDialog::adjustSize();
    if (mTooSmall) // not while it is being built
        Place();
}

const std::vector<std::string>& SettingsWindow::RadioGroupOf(const std::string& identifier) const
{
    static const std::vector<std::string> kNone;
    const auto found = mRadioGroups.find(identifier);
    return found == mRadioGroups.end() ? kNone : found->second;
}

void SettingsWindow::FocusControl(const std::string& identifier)
{
    const auto found = mByIdentifier.find(identifier);
    if (found != mByIdentifier.end() && found->second->Widget().isEnabled()) {
        found->second->Widget().setFocus();
        redraw();
    }
}

void SettingsWindow::Refresh()
{
    mRefreshing = true;
    for (const auto& shown : mShown)
        shown->Refresh();
    mRefreshing = false;
}

void SettingsWindow::Act(const std::function<ActionOutcome()>& action)
{
    if (mSession.IsClosed())
        return;
    (void)action(); // a refused action changes nothing; the refresh shows that
    Refresh();
    redraw();
    if (mSession.IsClosed())
        close();
}

bool SettingsWindow::TakesAsClose(finalcut::FKeyEvent* event)
{
    if (!IsCancel(event->key()))
        return false;
    event->accept();
    close();
    return true;
}

void SettingsWindow::onKeyPress(finalcut::FKeyEvent* event)
{
    if (!TakesAsClose(event))
        finalcut::FDialog::onKeyPress(event);
}

void SettingsWindow::onClose(finalcut::FCloseEvent* event)
{
    // The window's close box and Esc: the dialog ends without being accepted.
    if (!mSession.IsClosed())
        mSession.CloseWindow();
    event->accept();
    finalcut::FApplication::getApplicationObject()->quit();
}

/// The host's handlers of the stop signals, kept across the terminal
/// library's own, which would end the program where it stands.
class HostStopSignals {
public:
    HostStopSignals()
    {
        for (std::size_t i = 0; i < kSignals.size(); ++i)
            sigaction(kSignals[i], nullptr, &mSaved[i]);
    }
    ~HostStopSignals() { Restore(); }
    HostStopSignals(const HostStopSignals&) = delete;
    HostStopSignals& operator=(const HostStopSignals&) = delete;
    void Restore() const
    {
        for (std::size_t i = 0; i < kSignals.size(); ++i)
            sigaction(kSignals[i], &mSaved[i], nullptr);
    }

private:
    static constexpr std::array<int, 3> kSignals{SIGINT, SIGTERM, SIGHUP};
    std::array<struct sigaction, 3> mSaved{};
};

/// Closes the dialog unaccepted when the host says a stop signal arrived.
class StopWatch final : public finalcut::FObject {
public:
    StopWatch(finalcut::FWidget& window, std::function<bool()> stopRequested)
        : mWindow(window), mStopRequested(std::move(stopRequested))
    {
        addTimer(100);
    }

protected:
    void onTimer(finalcut::FTimerEvent*) override
    {
        if (mStopRequested())
            mWindow.close();
    }

private:
    finalcut::FWidget& mWindow;
    std::function<bool()> mStopRequested;
};

/// The terminal library's size-change handler, run from its event loop
/// instead of from the signal. The library's handler takes a lock that the
/// code it interrupts may hold; where the signal lands while the lock is
/// held (every time under the thread checker, which delivers signals as a
/// lock is taken) the program would hang. The signal now only raises a flag.
class ResizeRelay final : public finalcut::FObject {
public:
    ResizeRelay()
    {
        struct sigaction relay {};
        relay.sa_handler = &ResizeRelay::OnSignal;
        sigemptyset(&relay.sa_mask);
        relay.sa_flags = SA_RESTART;
        sigaction(SIGWINCH, &relay, &mLibrary);
        addTimer(100);
    }
    ~ResizeRelay() override { sigaction(SIGWINCH, &mLibrary, nullptr); }
    ResizeRelay(const ResizeRelay&) = delete;
    ResizeRelay& operator=(const ResizeRelay&) = delete;

protected:
    void onTimer(finalcut::FTimerEvent*) override
    {
        if (sResized == 0)
            return;
        sResized = 0;
        if ((mLibrary.sa_flags & SA_SIGINFO) != 0 && mLibrary.sa_sigaction != nullptr) {
            siginfo_t info{};
            info.si_signo = SIGWINCH;
            mLibrary.sa_sigaction(SIGWINCH, &info, nullptr);
        } else if (mLibrary.sa_handler != SIG_DFL && mLibrary.sa_handler != SIG_IGN && mLibrary.sa_handler != nullptr) {
            mLibrary.sa_handler(SIGWINCH);
        }
    }

private:
    static void OnSignal(int) { sResized = 1; }
    static inline volatile std::sig_atomic_t sResized = 0;
    struct sigaction mLibrary {};
};

} // namespace

TerminalDriver::TerminalDriver(std::function<bool()> stopRequested) : mStopRequested(std::move(stopRequested)) {}

TerminalDriver::~TerminalDriver() = default;

void TerminalDriver::RunModal(DialogSession& session)
{
    const ScreenPlan plan = PlanScreen(session.Entries());
    static char programName[] = "barsandtone";
    char* argv[] = {programName, nullptr};
    const int argc = 1;
    const HostStopSignals hostSignals; // put back when the terminal library goes, too
    finalcut::FApplication application(argc, argv);
    SettingsWindow window(&application, session, plan);
    finalcut::FWidget::setMainWidget(&window);
    window.show();
    window.Place();
    const ResizeRelay resizeRelay;
    std::unique_ptr<StopWatch> stopWatch;
    if (mStopRequested)
        stopWatch = std::make_unique<StopWatch>(window, mStopRequested);
    hostSignals.Restore();
    application.exec();
    if (!session.IsClosed())
        session.CloseWindow();
}

bool StandardInputIsTerminal() noexcept { return ::isatty(STDIN_FILENO) == 1; }

} // namespace bttui
