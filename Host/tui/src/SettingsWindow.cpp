#include "SettingsWindow.h"

#include "Keys.h"
#include "zelui/controls/UI_RadioButton.h"

#include <algorithm>

namespace bttui {

using zellyrafactory::hostcontrol::ActionOutcome;
using zellyrafactory::hostcontrol::DialogSession;

SettingsWindow::SettingsWindow(finalcut::FWidget* parent, DialogSession& session, const ScreenPlan& plan)
    : finalcut::FDialog(parent), mSession(session), mTitle(plan.title)
{
    setText(Screen(plan.title));
    setResizeable(false);
    const auto ownChildren = getChildren();
    const int keysWidth = WidestKeys();
    const int width = std::max({plan.width, TextCells(plan.title) + 8, keysWidth}) + 2 + 2 * kMarginColumns;
    // The client area: a margin, the controls, a blank line, the keys' line.
    const int height = plan.height + 2 + kMarginLines + 2;
    mNeeded = finalcut::FSize{static_cast<std::size_t>(width), static_cast<std::size_t>(height)};
    setSize(mNeeded);
    mKeys = std::make_unique<finalcut::FLabel>(this);
    mKeys->setGeometry(finalcut::FPoint{1 + kMarginColumns, plan.height + kMarginLines + 2},
                       finalcut::FSize{static_cast<std::size_t>(keysWidth), 1});
    mKeys->setEnable(false); // drawn dimmed: it tells, it does nothing

    mTooSmall = std::make_unique<finalcut::FLabel>(this);
    mTooSmall->hide();

    for (const auto& entry : session.Entries())
        if (auto* group = dynamic_cast<zelui::controls::UI_RadioButtonGroup*>(entry.node.Get())) {
            std::vector<std::string> members;
            for (const auto& member : group->GetMembers())
                members.push_back(member->GetIdentifier());
            for (const std::string& member : members)
                mRadioGroups[member] = members;
        }

    for (const ScreenField& f : plan.fields) {
        std::unique_ptr<Shown> shown = MakeShown(*this, f);
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
        ShowKeys(plan.fields.front().kind);
}

void SettingsWindow::ShowKeys(FieldKind kind)
{
    if (!mKeys)
        return;
    mKeys->setText(Screen(KeysFor(kind)));
    mKeys->redraw();
}

// Rationale: the terminal library reads every key that has arrived in one go
// and hands them all to the widget that had the focus before the first of
// them. Keys typed fast, or sent together over a slow link, would then all go
// to one control: three Tabs would move the focus once, and the Enter after
// them would press what the person never reached. Wherever the focus moves,
// the keys still waiting follow it.
void SettingsWindow::KeysToFocus() { finalcut::FApplication::setKeyboardWidget(getFocusWidget()); }

void SettingsWindow::FollowFocus(finalcut::FWidget& widget, FieldKind kind)
{
    widget.addCallback("focus-in", [this, kind] {
        ShowKeys(kind);
        KeysToFocus();
    });
}

void SettingsWindow::ShowControls(bool shown)
{
    for (finalcut::FWidget* widget : mControls)
        shown ? widget->show() : widget->hide();
}

void SettingsWindow::Place()
{
    const std::size_t columns = getDesktopWidth();
    const std::size_t lines = getDesktopHeight();
    if (columns >= mNeeded.getWidth() && lines >= mNeeded.getHeight()) {
        if (mShowingNotice) {
            mShowingNotice = false;
            mTooSmall->hide();
            setText(Screen(mTitle));
            ShowControls(true);
            if (mFocusBeforeNotice != nullptr) {
                mFocusBeforeNotice->setFocus();
                KeysToFocus();
            }
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
    const std::vector<std::string> rows = WrapWords(text, static_cast<int>(inner));
    std::string wrapped;
    for (const std::string& row : rows)
        wrapped += (wrapped.empty() ? "" : "\n") + row;
    if (!mShowingNotice) {
        mShowingNotice = true;
        mFocusBeforeNotice = getFocusWidget();
        ShowControls(false);
        setText("Terminal too small");
    }
    mTooSmall->setText(Screen(wrapped));
    mTooSmall->setGeometry(finalcut::FPoint{2, 1}, finalcut::FSize{inner, rows.size()});
    mTooSmall->show();
    setGeometry(finalcut::FPoint{1, 1}, finalcut::FSize{inner + 4, rows.size() + 3});
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
        KeysToFocus();
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

} // namespace bttui
