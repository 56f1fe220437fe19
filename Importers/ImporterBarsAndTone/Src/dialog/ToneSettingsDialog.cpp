// The dialog object: creation from HandleToneSettingsDialog, the lookup and
// binding of its controls, and their filling when the dialog opens.

#include "dialog/ToneSettingsDialog.h"

#include "dialog/ChoiceTables.h"
#include "ImporterBarsAndTone/DialogControls.h"
#include "dialog/DialogErrors.h"
#include "dialog/Presets.h"
#include "MediaBridge/Locale.h"
#include "zelcore/config/Error.h"
#include "zelcore/config/Localizer.h"
#include "zelcore/debug/Debug.h"
#include "zelcore/memory/MemoryRecycler.h"
#include "zelui/controls/UI_Button.h"

#include <functional>
#include <memory>
#include <sstream>

namespace bt::dialog {

namespace {

using namespace zelui::controls;
using zelcore::utility::IntrusivePtr;

[[noreturn]] void InputContractViolation(int line, const char* function, const char* condition)
{
    if (zelcore::debug::DoSimpleAssert("ToneSettingsDialog", line, function, condition, "") &&
        zelcore::debug::IsDebuggerAttached())
        zelcore::debug::BreakIntoDebugger();
    Raise(kInputContractViolation);
}

template <typename Table, typename Label>
void FillValueTable(UI_Popup& popup, const Table& table, Label label)
{
    for (const auto& entry : table)
        popup.AddItem(label(entry));
}

} // namespace

void HandleToneSettingsDialog(const std::u16string& layoutName,
                              zelcore::classref::ClassRef<zelcore::classref::Unknown> dataExchange,
                              const zelui::paintbox::SupplierInterface* drawSupplier, zelui::ui::UI_Node* parentNode)
{
    const auto exchange = dataExchange.Query<IToneSettingsDialogDataExchange>();
    if (!exchange)
        InputContractViolation(__LINE__, "HandleToneSettingsDialog", "dataExchange != 0");

    const IntrusivePtr<ToneSettingsDialogImpl> dialog(
        new ToneSettingsDialogImpl(layoutName, drawSupplier, parentNode, dataExchange));
    std::stringstream script;
    if (!dialog->GetScriptStream(layoutName, script))
        return; // no layout: nothing shown, the exchange keeps the caller's record
    dialog->ParseLyraScript(script, false);
    // Only OK clears the flag; every other way out of the dialog cancels.
    if (!dialog->WasAccepted())
        exchange->SetCancelled();
}

ToneSettingsDialogImpl::ToneSettingsDialogImpl(const std::u16string& layoutName,
                                               const zelui::paintbox::SupplierInterface* drawSupplier,
                                               zelui::ui::UI_Node* parentNode,
                                               zelcore::classref::ClassRef<zelcore::classref::Unknown> dataExchange)
    : UI_LyraViewBase(layoutName, drawSupplier, parentNode, 0), mLayoutName(layoutName),
      mDataExchange(dataExchange.Query<IToneSettingsDialogDataExchange>())
{
    mSettings = Exchange().GetToneSettings();
}

ToneSettingsDialogImpl::~ToneSettingsDialogImpl() = default;

bool ToneSettingsDialogImpl::WasAccepted() const noexcept { return mDialogPtr && mDialogPtr->WasAccepted(); }

IToneSettingsDialogDataExchange& ToneSettingsDialogImpl::Exchange() const
{
    if (!mDataExchange)
        zelcore::config::DoThrowNullPtrException(zelcore::debug::GetTypeName<IToneSettingsDialogDataExchange>());
    return *mDataExchange.Get();
}

bool ToneSettingsDialogImpl::IsFullLayout() const noexcept { return mLayoutName == ids::kLayoutNameWide; }

template <typename T>
ToneSettingsDialogImpl::Ptr<T> ToneSettingsDialogImpl::FindControl(const char* identifier) const
{
    const auto node = GetUINodePtr(identifier, true);
    if (!node)
        return {};
    auto* control = dynamic_cast<T*>(node.Get());
    if (control == nullptr)
        Raise(kInvalidTypeConversion);
    return Ptr<T>(control);
}

template <typename T>
ToneSettingsDialogImpl::Ptr<T> ToneSettingsDialogImpl::Bind(const char* identifier, Handler handler)
{
    Ptr<T> control = FindControl<T>(identifier);
    if (control) {
        // The function holds only the dialog's weak key: a notification that
        // arrives after the dialog has gone does nothing.
        using Function = const std::function<void(zelui::ui::Message*)>;
        control->NotifyWhenChanged(std::allocate_shared<Function>(
            zelcore::memory::RecyclerAllocator<Function>(),
            [key = GetWeakKey(), handler](zelui::ui::Message* message) {
                if (const auto self = zelcore::utility::Lock<ToneSettingsDialogImpl>(key))
                    (self.Get()->*handler)(message);
            }));
    }
    return control;
}

void ToneSettingsDialogImpl::Initialize()
{
    mDialogPtr = GetView();
    if (!mDialogPtr)
        InputContractViolation(__LINE__, "ToneSettingsDialogImpl::Initialize", "mDialogPtr != 0");
    mOpeningSettings = mSettings;

    // Every handler is bound here, in this order.
    mFrequencyHotTextNumber = Bind<UI_HotTextNumber>(ids::kFrequencyHotTextNumber, &ToneSettingsDialogImpl::OnFrequencyChanged);
    if (mFrequencyHotTextNumber)
        mFrequencyHotTextNumber->SetMaxValue(static_cast<double>(mSettings.audioFrameRate) * 0.5);
    mAmplitudeHotTextNumber = Bind<UI_HotTextNumber>(ids::kAmplitudeHotTextNumber, &ToneSettingsDialogImpl::OnAmplitudeChanged);
    if (IsFullLayout()) {
        mSteadyTonesBtn = Bind<UI_RadioButton>(ids::kSteadyTonesBtn, &ToneSettingsDialogImpl::OnToneTypeChanged);
        mIdentifyChannelsBtn = Bind<UI_RadioButton>(ids::kIdentifyChannelsBtn, &ToneSettingsDialogImpl::OnToneTypeChanged);
        mIdentifierFormatPopup = Bind<UI_Popup>(ids::kIdentifierFormatPopup, &ToneSettingsDialogImpl::OnIdentifierFormatChanged);
        mColorSpaceTypePopup = Bind<UI_Popup>(ids::kColorSpaceTypePopup, &ToneSettingsDialogImpl::OnColorSpaceTypeChanged);
        mPresetPopup = Bind<UI_Popup>(ids::kPresetPopup, &ToneSettingsDialogImpl::OnPresetChanged);
        mVideoRatePopup = Bind<UI_Popup>(ids::kVideoFrameRatePopup, &ToneSettingsDialogImpl::OnVideoRateChanged);
    }
    Bind<UI_NumberEdit>(ids::kFrameWidthNumberEdit, &ToneSettingsDialogImpl::OnFrameWidthChanged);
    Bind<UI_NumberEdit>(ids::kFrameHeightNumberEdit, &ToneSettingsDialogImpl::OnFrameHeightChanged);
    Bind<UI_Popup>(ids::kParPopup, &ToneSettingsDialogImpl::OnParChanged);
    mAudioRatePopup = Bind<UI_Popup>(ids::kAudioFrameRatePopup, &ToneSettingsDialogImpl::OnAudioRateChanged);
    Bind<UI_Button>(ids::kCancelButton, &ToneSettingsDialogImpl::OnCancel);
    Bind<UI_Button>(ids::kOkButton, &ToneSettingsDialogImpl::OnOK);

    FillControls();
}

void ToneSettingsDialogImpl::FillControls()
{
    if (mFrequencyHotTextNumber)
        mFrequencyHotTextNumber->SetValue(static_cast<double>(mSettings.frequency));
    if (mAmplitudeHotTextNumber)
        mAmplitudeHotTextNumber->SetValue(static_cast<double>(AmplitudeToDb(mSettings.amplitude)));
    if (!IsFullLayout())
        return;

    if (mSteadyTonesBtn)
        mSteadyTonesBtn->SetValue(mSettings.identifyChannels == 0 ? 1 : 0);
    if (mIdentifyChannelsBtn)
        mIdentifyChannelsBtn->SetValue(mSettings.identifyChannels == 1 ? 1 : 0);

    if (mIdentifierFormatPopup) {
        FillFixedList(*mIdentifierFormatPopup, mIdentifierFormatMap, IdentifierFormatChoices(mSettings.audioChannelType));
        SelectFixedValue(*mIdentifierFormatPopup, mIdentifierFormatMap, mSettings.identifierFormat);
        OnIdentifierFormatChanged(nullptr);
    }
    if (mColorSpaceTypePopup) {
        FillFixedList(*mColorSpaceTypePopup, mColorSpaceTypeMap, ColorSpaceChoices());
        SelectFixedValue(*mColorSpaceTypePopup, mColorSpaceTypeMap, mSettings.colorSpaceType);
        OnColorSpaceTypeChanged(nullptr);
    }
    UpdateToneControlsEnabled();

    const bool ntsc = MB::Locale::IsCurrentInputLocaleNTSC();
    if (const auto size = FrameSizeOfPreset(mSettings.preset, ntsc)) {
        mSettings.frameWidth = size->width;
        mSettings.frameHeight = size->height;
    }
    WriteFrameSize(mSettings.frameWidth, mSettings.frameHeight);

    // The locale's SD ratio, whatever the record held.
    mSettings.par = ParForColorSpace(RecordValue(ColorSpace::Rec601), ntsc);
    if (const auto parPopup = FindControl<UI_Popup>(ids::kParPopup)) {
        FillValueTable(*parPopup, GetPixelAspectRatios(), [](const PixelAspectRatioEntry& e) { return e.label; });
        SelectPar(mSettings.par);
    }
    if (mAudioRatePopup) {
        FillValueTable(*mAudioRatePopup, GetAudioRates(), [](const AudioRateEntry& e) { return e.label; });
        SelectAudioRate(48000.0f);
    }
    if (mVideoRatePopup) {
        FillValueTable(*mVideoRatePopup, GetVideoRates(), [](const VideoRateEntry& e) { return e.label; });
        SelectVideoRate(ReferenceRecord(ntsc).videoFrameRate);
    }
    if (mPresetPopup) {
        FillFixedList(*mPresetPopup, mPresetMap, PresetChoices());
        const std::uint8_t opening =
            MatchesReference(mSettings, ReferenceRecord(ntsc)) ? kPresetHD709 : kPresetMatchSequence;
        SelectFixedValue(*mPresetPopup, mPresetMap, opening);
        OnPresetChanged(nullptr);
    }
}

void ToneSettingsDialogImpl::FillFixedList(UI_Popup& popup, IndexMap& map, std::span<const FixedChoice> list)
{
    map.clear();
    for (const FixedChoice& choice : list)
        map[popup.AddItem(zelcore::config::Localizer::Get().Localize(choice.key))] = choice.value;
}

void ToneSettingsDialogImpl::SelectFixedValue(UI_Popup& popup, const IndexMap& map, std::uint8_t value)
{
    popup.SetValue(0);
    for (const auto& [index, itemValue] : map)
        if (itemValue == value)
            popup.SetValue(index);
}

bool ToneSettingsDialogImpl::ReadFixedValue(const UI_Popup& popup, const IndexMap& map, std::uint8_t& value)
{
    const auto found = map.find(popup.GetValue());
    if (found == map.end())
        return false;
    value = found->second;
    return true;
}

} // namespace bt::dialog
