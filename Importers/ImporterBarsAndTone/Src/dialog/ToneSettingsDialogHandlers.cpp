// What each control does to the record being edited, the presets, and OK and
// Cancel. Handlers run on the user-interface thread, one at a time, for user
// changes only; the dialog calls them itself where it needs their effect.

#include "dialog/ChoiceTables.h"
#include "ImporterBarsAndTone/DialogControls.h"
#include "ImporterBarsAndTone/FrameSizes.h"
#include "dialog/Presets.h"
#include "dialog/ToneSettingsDialog.h"
#include "MediaBridge/Locale.h"

#include <cmath>
#include <limits>

namespace bt::dialog {

namespace {

using namespace zelui::controls;

/// A number-edit value as a frame dimension: truncated toward zero.
/// Rationale: a value that is not a number gives 0 and one beyond the 32-bit
/// range the nearest end, so no entry makes the conversion undefined.
std::int32_t TruncateToInt32(double value) noexcept
{
    if (std::isnan(value))
        return 0;
    constexpr double lowest = std::numeric_limits<std::int32_t>::min();
    constexpr double highest = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::trunc(value < lowest ? lowest : (value > highest ? highest : value)));
}

} // namespace

void ToneSettingsDialogImpl::OnFrequencyChanged(zelui::ui::Message*)
{
    if (!mFrequencyHotTextNumber)
        return;
    mSettings.frequency = static_cast<float>(mFrequencyHotTextNumber->GetValue());
    if (!(mSettings.frequency == kDefaultFrequency))
        SetPresetCustom();
}

void ToneSettingsDialogImpl::OnAmplitudeChanged(zelui::ui::Message*)
{
    if (!mAmplitudeHotTextNumber)
        return;
    const auto decibels = static_cast<float>(mAmplitudeHotTextNumber->GetValue());
    mSettings.amplitude = DbToAmplitude(decibels);
    if (!(decibels == kDefaultAmplitudeDb))
        SetPresetCustom();
}

void ToneSettingsDialogImpl::OnToneTypeChanged(zelui::ui::Message*)
{
    mSettings.identifyChannels = mSteadyTonesBtn && mSteadyTonesBtn->GetValue() == 1 ? 0 : 1;
    UpdateToneControlsEnabled();
}

void ToneSettingsDialogImpl::OnIdentifierFormatChanged(zelui::ui::Message*)
{
    if (mIdentifierFormatPopup && ReadFixedValue(*mIdentifierFormatPopup, mIdentifierFormatMap, mSettings.identifierFormat))
        SetPresetCustom();
}

void ToneSettingsDialogImpl::OnColorSpaceTypeChanged(zelui::ui::Message*)
{
    if (mColorSpaceTypePopup && ReadFixedValue(*mColorSpaceTypePopup, mColorSpaceTypeMap, mSettings.colorSpaceType))
        SetPresetCustom();
}

void ToneSettingsDialogImpl::OnPresetChanged(zelui::ui::Message*)
{
    if (mPresetPopup)
        ReadFixedValue(*mPresetPopup, mPresetMap, mSettings.preset);
    ApplyPreset();
}

void ToneSettingsDialogImpl::OnVideoRateChanged(zelui::ui::Message*)
{
    if (!mVideoRatePopup)
        return;
    const auto& table = GetVideoRates();
    const std::int64_t index = mVideoRatePopup->GetValue();
    if (!IsInsideTable(index, table.size()))
        return;
    const VideoRateEntry& entry = table[static_cast<std::uint32_t>(index)];
    mSettings.videoFrameRate = entry.frameDuration;
    mSettings.dropFrame = entry.dropFrame;
    SetPresetCustom();
}

void ToneSettingsDialogImpl::OnFrameWidthChanged(zelui::ui::Message*)
{
    if (const auto edit = FindControl<UI_NumberEdit>(ids::kFrameWidthNumberEdit)) {
        mSettings.frameWidth = TruncateToInt32(edit->GetValue());
        SetPresetCustom();
    }
}

void ToneSettingsDialogImpl::OnFrameHeightChanged(zelui::ui::Message*)
{
    if (const auto edit = FindControl<UI_NumberEdit>(ids::kFrameHeightNumberEdit)) {
        mSettings.frameHeight = TruncateToInt32(edit->GetValue());
        SetPresetCustom();
    }
}

void ToneSettingsDialogImpl::OnParChanged(zelui::ui::Message*)
{
    const auto popup = FindControl<UI_Popup>(ids::kParPopup);
    const auto& table = GetPixelAspectRatios();
    if (!popup || !IsInsideTable(popup->GetValue(), table.size()))
        return;
    mSettings.par = table[static_cast<std::uint32_t>(popup->GetValue())].par;
    SetPresetCustom();
}

void ToneSettingsDialogImpl::OnAudioRateChanged(zelui::ui::Message*)
{
    const auto& table = GetAudioRates();
    if (!mAudioRatePopup || !IsInsideTable(mAudioRatePopup->GetValue(), table.size()))
        return;
    mSettings.audioFrameRate = static_cast<float>(AudioRateOf(table[static_cast<std::uint32_t>(mAudioRatePopup->GetValue())]));
    SetPresetCustom();
}

void ToneSettingsDialogImpl::OnOK(zelui::ui::Message*)
{
    Exchange().SetToneSettings(mSettings);
    if (const auto view = GetView())
        view->CloseDialog(1);
}

void ToneSettingsDialogImpl::OnCancel(zelui::ui::Message*)
{
    Exchange().SetCancelled();
    if (const auto view = GetView())
        view->CloseDialog(0);
}

void ToneSettingsDialogImpl::SetPresetCustom()
{
    mSettings.preset = kPresetCustom;
    if (mPresetPopup)
        SelectFixedValue(*mPresetPopup, mPresetMap, kPresetCustom);
}

void ToneSettingsDialogImpl::UpdateToneControlsEnabled()
{
    if (!mFrequencyHotTextNumber || !mAmplitudeHotTextNumber || !mIdentifierFormatPopup)
        return;
    const bool identify = mSettings.identifyChannels == 1;
    mFrequencyHotTextNumber->SetEnabled(!identify);
    mAmplitudeHotTextNumber->SetEnabled(!identify);
    mIdentifierFormatPopup->SetEnabled(identify);
}

void ToneSettingsDialogImpl::ResetTone()
{
    if (mFrequencyHotTextNumber && mFrequencyHotTextNumber->GetValue() != static_cast<double>(kDefaultFrequency)) {
        mFrequencyHotTextNumber->SetValue(static_cast<double>(kDefaultFrequency));
        mSettings.frequency = static_cast<float>(mFrequencyHotTextNumber->GetValue());
    }
    if (mAmplitudeHotTextNumber && !(static_cast<float>(mAmplitudeHotTextNumber->GetValue()) == kDefaultAmplitudeDb)) {
        mAmplitudeHotTextNumber->SetValue(static_cast<double>(kDefaultAmplitudeDb));
        mSettings.amplitude = DbToAmplitude(static_cast<float>(mAmplitudeHotTextNumber->GetValue()));
    }
    if (mIdentifierFormatPopup) {
        mIdentifierFormatPopup->SetValue(0);
        ReadFixedValue(*mIdentifierFormatPopup, mIdentifierFormatMap, mSettings.identifierFormat);
    }
    mSettings.identifyChannels = 0;
    if (mSteadyTonesBtn)
        mSteadyTonesBtn->SetValue(1);
    if (mIdentifyChannelsBtn)
        mIdentifyChannelsBtn->SetValue(0);
    UpdateToneControlsEnabled();
}

void ToneSettingsDialogImpl::ApplyPreset()
{
    const bool ntsc = MB::Locale::IsCurrentInputLocaleNTSC();
    const bool matchSequence = mSettings.preset == kPresetMatchSequence;
    // The record the common steps take their values from.
    const ToneSettings& source = matchSequence ? mOpeningSettings : mSettings;

    if (!matchSequence) {
        ApplyLocaleBase(mSettings, ntsc);
        if (const auto colorSpace = ColorSpaceOfPreset(mSettings.preset))
            mSettings.colorSpaceType = RecordValue(*colorSpace);
        if (mColorSpaceTypePopup)
            SelectFixedValue(*mColorSpaceTypePopup, mColorSpaceTypeMap, mSettings.colorSpaceType);
        if (const auto size = FrameSizeOfPreset(mSettings.preset, ntsc)) {
            mSettings.frameWidth = size->width;
            mSettings.frameHeight = size->height;
        }
        WriteFrameSize(mSettings.frameWidth, mSettings.frameHeight);
    } else {
        mSettings.colorSpaceType = source.colorSpaceType;
        if (mColorSpaceTypePopup)
            SelectFixedValue(*mColorSpaceTypePopup, mColorSpaceTypeMap, mSettings.colorSpaceType);
        WriteFrameSize(source.frameWidth, source.frameHeight);
        mSettings.frameWidth = source.frameWidth;
        mSettings.frameHeight = source.frameHeight;
    }

    const zelmediatypes::PixelAspectRatio sourcePar = matchSequence ? source.par : ParForColorSpace(source.colorSpaceType, ntsc);
    mSettings.par = ParForColorSpace(source.colorSpaceType, ntsc);
    SelectPar(sourcePar);
    ResetTone();
    if (mAudioRatePopup)
        SelectAudioRate(source.audioFrameRate);
    if (mVideoRatePopup)
        SelectVideoRate(source.videoFrameRate);
}

void ToneSettingsDialogImpl::WriteFrameSize(std::int32_t width, std::int32_t height)
{
    if (const auto edit = FindControl<UI_NumberEdit>(ids::kFrameWidthNumberEdit)) {
        edit->SetValue(width);
        edit->SetMaxValue(kFrameSizes.maxWidth);
    }
    if (const auto edit = FindControl<UI_NumberEdit>(ids::kFrameHeightNumberEdit)) {
        edit->SetValue(height);
        edit->SetMaxValue(kFrameSizes.maxHeight);
    }
}

void ToneSettingsDialogImpl::SelectPar(zelmediatypes::PixelAspectRatio par)
{
    if (const auto popup = FindControl<UI_Popup>(ids::kParPopup)) {
        const std::size_t index = ParEntryForRatio(par);
        popup->SetValue(static_cast<std::int64_t>(index));
        mSettings.par = GetPixelAspectRatios()[index].par;
    }
}

void ToneSettingsDialogImpl::SelectAudioRate(float rate)
{
    mSettings.audioFrameRate = rate;
    if (mAudioRatePopup)
        mAudioRatePopup->SetValue(static_cast<std::int64_t>(AudioEntryForRate(rate)));
}

void ToneSettingsDialogImpl::SelectVideoRate(std::int64_t frameDuration)
{
    const std::size_t index = VideoEntryForDuration(frameDuration);
    const VideoRateEntry& entry = GetVideoRates()[index];
    if (mVideoRatePopup)
        mVideoRatePopup->SetValue(static_cast<std::int64_t>(index));
    mSettings.videoFrameRate = entry.frameDuration;
    mSettings.dropFrame = entry.dropFrame;
}

} // namespace bt::dialog
