#pragma once
// The view base of a dialog built from a layout script. A plug-in derives
// from it, names its layout, overrides Initialize (to find, connect and fill
// its controls) and GetResourceModule (the module that carries the script),
// then asks for the script (GetScriptStream) and runs it (ParseLyraScript):
// parsing, building the controls, Initialize and the modal run happen inside
// that one call.

#include "barsandtone/PlatformApi.h"
#include "zelcore/utility/RefCountedObjectWithWeakPtr.h"
#include "zellyrafactory/HostControl.h"
#include "zellyrafactory/LyraDocument.h"
#include "zellyrafactory/ResourceModule.h"
#include "zelui/lyracontracts/UI_ILyraView.h"
#include "zelui/lyracontracts/UI_LyraDialogBase.h"
#include "zelui/paintbox/SupplierInterface.h"
#include "zelui/ui/UI_Node.h"

#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace zellyrafactory {

class BT_PLATFORM_API UI_LyraViewBase : public zelui::lyracontracts::UI_ILyraView {
public:
    /// `layoutVersionPreference` 0 prefers the current dialect's script, any
    /// other value the older dialect's; the other is taken when the preferred
    /// one is missing.
    UI_LyraViewBase(const std::u16string& layoutName, const zelui::paintbox::SupplierInterface* drawSupplier,
                    zelui::ui::UI_Node* parentNode, std::int32_t layoutVersionPreference);
    ~UI_LyraViewBase() override;

    void Initialize() override;

    /// Lets go of the built dialog and its controls.
    virtual void Destruction();
    /// Called with the close result once the modal run has ended.
    virtual void SetupPostCloseCallback(std::function<void(std::int32_t)> onClosed);
    /// Parses the script, builds the controls, calls Initialize and runs the
    /// dialog modally. Throws LyraSyntaxError for a malformed script.
    /// Rationale: the stand-in runs every dialog modally; `modeless` is kept
    /// for the host's signature and must be false.
    virtual void ParseLyraScript(std::istream& script, bool modeless);
    [[nodiscard]] virtual const zelui::paintbox::SupplierInterface* GetDrawSupplier() const noexcept;
    /// The dialog built by ParseLyraScript; null before.
    [[nodiscard]] virtual zelcore::utility::IntrusivePtr<zelui::lyracontracts::UI_LyraDialogBase> GetView() const;
    /// The node with this identifier; null when there is none. Rationale: the
    /// layout's identifiers are unique over the whole dialog, so `recursive`
    /// changes nothing.
    [[nodiscard]] virtual zelcore::utility::IntrusivePtr<zelui::ui::UI_Node> GetUINodePtr(std::string_view identifier,
                                                                                         bool recursive) const;
    /// The raw bytes of one layout resource into `out`; false when missing.
    virtual bool GetLayoutStream(const std::string& resourceName, std::ostream& out);
    /// The script for a layout name, preferred dialect first; false when the
    /// module carries neither.
    virtual bool GetScriptStream(const std::u16string& layoutName, std::stringstream& out);
    /// The resource name of a layout: upper case, as a resource compiler stores it.
    [[nodiscard]] virtual std::string InterpretFileName(const std::u16string& layoutName) const;
    /// What marks the older dialect's resource: ".ORIN".
    [[nodiscard]] virtual std::string GetFileExtension() const;
    /// The module carrying the layout resources; empty in the base (no module).
    [[nodiscard]] virtual ResourceModule GetResourceModule() const;

    [[nodiscard]] const std::u16string& GetLayoutName() const noexcept { return mLayoutName; }
    [[nodiscard]] zelui::ui::UI_Node* GetParentNode() const noexcept { return mParentNode; }

private:
    std::u16string mLayoutName;
    const zelui::paintbox::SupplierInterface* mDrawSupplier;
    zelui::ui::UI_Node* mParentNode;
    std::int32_t mLayoutVersionPreference;
    std::function<void(std::int32_t)> mOnClosed;
    std::unique_ptr<LyraDocument> mLayout;
    std::vector<hostcontrol::DialogEntry> mEntries;
    zelcore::utility::IntrusivePtr<zelui::lyracontracts::UI_LyraDialogBase> mDialog;
};

} // namespace zellyrafactory
