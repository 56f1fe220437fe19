#include "zellyrafactory/UI_LyraViewBase.h"

#include "ControlBuilder.h"
#include "ScriptSource.h"
#include "StreamText.h"
#include "zellyrafactory/LyraParser.h"

#include <stdexcept>

namespace zellyrafactory {

using zelcore::utility::IntrusivePtr;

UI_LyraViewBase::UI_LyraViewBase(const std::u16string& layoutName,
                                 const zelui::paintbox::SupplierInterface* drawSupplier,
                                 zelui::ui::UI_Node* parentNode, std::int32_t layoutVersionPreference)
    : mLayoutName(layoutName), mDrawSupplier(drawSupplier), mParentNode(parentNode),
      mLayoutVersionPreference(layoutVersionPreference)
{
}

UI_LyraViewBase::~UI_LyraViewBase() { UI_LyraViewBase::Destruction(); }

void UI_LyraViewBase::Initialize() {}

void UI_LyraViewBase::Destruction()
{
    mEntries.clear();
    mDialog.Reset();
    mLayout.reset();
}

void UI_LyraViewBase::SetupPostCloseCallback(std::function<void(std::int32_t)> onClosed)
{
    mOnClosed = std::move(onClosed);
}

void UI_LyraViewBase::ParseLyraScript(std::istream& script, bool modeless)
{
    if (modeless)
        throw std::logic_error("layout dialogs run modally only");
    const std::string text = detail::ReadAll(script);

    Destruction();
    auto layout = std::make_unique<LyraDocument>(ParseLyraText(text));
    std::vector<hostcontrol::DialogEntry> entries = detail::BuildControls(*layout);
    mDialog = IntrusivePtr<zelui::lyracontracts::UI_LyraDialogBase>(
        dynamic_cast<zelui::lyracontracts::UI_LyraDialogBase*>(entries.front().node.Get()));
    mLayout = std::move(layout);
    mEntries = std::move(entries);

    Initialize();

    if (!mDialog->IsClosed()) {
        hostcontrol::DialogSession session(*mLayout, mEntries, *mDialog);
        hostcontrol::CurrentModalDriver()->RunModal(session);
        session.CloseWindow();
    }
    if (mOnClosed)
        mOnClosed(mDialog->GetCloseResult());
}

const zelui::paintbox::SupplierInterface* UI_LyraViewBase::GetDrawSupplier() const noexcept { return mDrawSupplier; }

IntrusivePtr<zelui::lyracontracts::UI_LyraDialogBase> UI_LyraViewBase::GetView() const { return mDialog; }

IntrusivePtr<zelui::ui::UI_Node> UI_LyraViewBase::GetUINodePtr(std::string_view identifier, bool) const
{
    if (identifier.empty())
        return {};
    for (const hostcontrol::DialogEntry& entry : mEntries)
        if (entry.identifier == identifier)
            return entry.node;
    return {};
}

bool UI_LyraViewBase::GetLayoutStream(const std::string& resourceName, std::ostream& out)
{
    const std::optional<std::string> bytes = detail::ReadLayoutResource(GetResourceModule(), resourceName);
    if (!bytes)
        return false;
    out.write(bytes->data(), static_cast<std::streamsize>(bytes->size()));
    return static_cast<bool>(out);
}

bool UI_LyraViewBase::GetScriptStream(const std::u16string& layoutName, std::stringstream& out)
{
    const std::string current = InterpretFileName(layoutName);
    const std::string older = current + GetFileExtension();
    const bool preferOlder = mLayoutVersionPreference != 0;
    return GetLayoutStream(preferOlder ? older : current, out) || GetLayoutStream(preferOlder ? current : older, out);
}

std::string UI_LyraViewBase::InterpretFileName(const std::u16string& layoutName) const
{
    std::string name;
    name.reserve(layoutName.size());
    for (char16_t c : layoutName) {
        // Resource names are ASCII; anything else cannot name a resource.
        if (c >= 0x80)
            return {};
        const char ascii = static_cast<char>(c);
        name.push_back(ascii >= 'a' && ascii <= 'z' ? static_cast<char>(ascii - 'a' + 'A') : ascii);
    }
    return name;
}

std::string UI_LyraViewBase::GetFileExtension() const { return ".ORIN"; }

ResourceModule UI_LyraViewBase::GetResourceModule() const { return {}; }

} // namespace zellyrafactory
