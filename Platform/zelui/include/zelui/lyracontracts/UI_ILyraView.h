#pragma once
// What a view built from a layout offers its layout library: the callback
// that runs once the controls exist.

#include "barsandtone/PlatformApi.h"
#include "zelcore/utility/RefCountedObjectWithWeakPtr.h"

namespace zelui::lyracontracts {

/// The signal callbacks of a layout view; the layout library adds none beyond
/// the change notifications of the controls themselves.
class BT_PLATFORM_API UI_LyraSignalCallbackSuite {
public:
    virtual ~UI_LyraSignalCallbackSuite();
};

class BT_PLATFORM_API UI_ILyraView : public zelcore::utility::RefCountedObjectWithWeakPtr,
                                     public UI_LyraSignalCallbackSuite {
public:
    ~UI_ILyraView() override;
    /// Called once, after the controls have been built and before the modal run.
    virtual void Initialize() = 0;
};

} // namespace zelui::lyracontracts
