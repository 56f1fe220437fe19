#pragma once
// The settings dialog of a new clip: HandleToneSettingsDialog runs it from its
// layout, modally, and reports through the data exchange.

#include "dialog/DataExchange.h"
#include "host/ToneSettings.h"
#include "zelcore/classref/Unknown.h"
#include "zelcore/utility/RefCountedObjectWithWeakPtr.h"
#include "zellyrafactory/UI_LyraViewBase.h"
#include "zelui/controls/UI_HotTextNumber.h"
#include "zelui/controls/UI_NumberEdit.h"
#include "zelui/controls/UI_Popup.h"
#include "zelui/controls/UI_RadioButton.h"
#include "zelui/lyracontracts/UI_LyraDialogBase.h"

#include <cstdint>
#include <map>
#include <span>
#include <string>

namespace bt::dialog {

struct FixedChoice;

/// Shows the dialog of layout `layoutName` for the record in `dataExchange`.
/// Afterwards the exchange holds the edited record when OK was pressed, and
/// is marked cancelled when the dialog closed any other way. With no layout
/// script for the name, nothing is shown and the exchange is left as it was.
/// [user-interface thread]
void HandleToneSettingsDialog(const std::u16string& layoutName,
                              zelcore::classref::ClassRef<zelcore::classref::Unknown> dataExchange,
                              const zelui::paintbox::SupplierInterface* drawSupplier, zelui::ui::UI_Node* parentNode);

class ToneSettingsDialogImpl final : public zellyrafactory::UI_LyraViewBase {
public:
    ToneSettingsDialogImpl(const std::u16string& layoutName, const zelui::paintbox::SupplierInterface* drawSupplier,
                           zelui::ui::UI_Node* parentNode,
                           zelcore::classref::ClassRef<zelcore::classref::Unknown> dataExchange);
    ~ToneSettingsDialogImpl() override;

    void Initialize() override;
    [[nodiscard]] zellyrafactory::ResourceModule GetResourceModule() const override;

    /// Whether the dialog closed through OK.
    [[nodiscard]] bool WasAccepted() const noexcept;

private:
    template <typename T>
    using Ptr = zelcore::utility::IntrusivePtr<T>;
    using Handler = void (ToneSettingsDialogImpl::*)(zelui::ui::Message*);
    using IndexMap = std::map<std::int64_t, std::uint8_t>;

    // Lookup and binding (ToneSettingsDialog.cpp).
    template <typename T>
    Ptr<T> FindControl(const char* identifier) const;
    template <typename T>
    Ptr<T> Bind(const char* identifier, Handler handler);
    [[nodiscard]] bool IsFullLayout() const noexcept;
    [[nodiscard]] IToneSettingsDialogDataExchange& Exchange() const;
    void FillControls();

    // Handlers (ToneSettingsDialogHandlers.cpp).
    void OnFrequencyChanged(zelui::ui::Message*);
    void OnAmplitudeChanged(zelui::ui::Message*);
    void OnToneTypeChanged(zelui::ui::Message*);
    void OnIdentifierFormatChanged(zelui::ui::Message*);
    void OnColorSpaceTypeChanged(zelui::ui::Message*);
    void OnPresetChanged(zelui::ui::Message*);
    void OnVideoRateChanged(zelui::ui::Message*);
    void OnFrameWidthChanged(zelui::ui::Message*);
    void OnFrameHeightChanged(zelui::ui::Message*);
    void OnParChanged(zelui::ui::Message*);
    void OnAudioRateChanged(zelui::ui::Message*);
    void OnOK(zelui::ui::Message*);
    void OnCancel(zelui::ui::Message*);

    // Shared steps (ToneSettingsDialogHandlers.cpp).
    void SetPresetCustom();
    void UpdateToneControlsEnabled();
    void ResetTone();
    void ApplyPreset();
    void WriteFrameSize(std::int32_t width, std::int32_t height);
    void SelectPar(zelmediatypes::PixelAspectRatio par);
    void SelectAudioRate(float rate);
    void SelectVideoRate(std::int64_t frameDuration);
    static void FillFixedList(zelui::controls::UI_Popup& popup, IndexMap& map, std::span<const FixedChoice> list);
    static void SelectFixedValue(zelui::controls::UI_Popup& popup, const IndexMap& map, std::uint8_t value);
    static bool ReadFixedValue(const zelui::controls::UI_Popup& popup, const IndexMap& map, std::uint8_t& value);

    Ptr<zelui::lyracontracts::UI_LyraDialogBase> mDialogPtr;
    Ptr<zelui::controls::UI_RadioButton> mSteadyTonesBtn;
    Ptr<zelui::controls::UI_RadioButton> mIdentifyChannelsBtn;
    Ptr<zelui::controls::UI_HotTextNumber> mFrequencyHotTextNumber;
    Ptr<zelui::controls::UI_HotTextNumber> mAmplitudeHotTextNumber;
    Ptr<zelui::controls::UI_Popup> mIdentifierFormatPopup;
    Ptr<zelui::controls::UI_Popup> mColorSpaceTypePopup;
    Ptr<zelui::controls::UI_Popup> mPresetPopup;
    Ptr<zelui::controls::UI_Popup> mAudioRatePopup;
    Ptr<zelui::controls::UI_Popup> mVideoRatePopup;
    IndexMap mIdentifierFormatMap;
    IndexMap mColorSpaceTypeMap;
    IndexMap mPresetMap;
    std::u16string mLayoutName;
    zelcore::classref::ClassRef<IToneSettingsDialogDataExchange> mDataExchange;
    ToneSettings mSettings;
    ToneSettings mOpeningSettings;
};

} // namespace bt::dialog
