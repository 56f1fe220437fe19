#pragma once
// The identifiers of the settings dialog's layout and controls, declared
// once: the dialog looks its controls up by them, the layout texts use the
// same (a test checks them against both), and hosts that act on the dialog
// for a user name the controls by them.

namespace bt::dialog::ids {

inline constexpr const char* kLayoutName = "BarsAndToneSettingsWithIdentifiersDialog";
inline constexpr const char16_t* kLayoutNameWide = u"BarsAndToneSettingsWithIdentifiersDialog";

inline constexpr const char* kPresetPopup = "presetPopup";
inline constexpr const char* kFrameWidthNumberEdit = "frameWidthNumberEdit";
inline constexpr const char* kFrameHeightNumberEdit = "frameHeightNumberEdit";
inline constexpr const char* kVideoFrameRatePopup = "videoFrameRatePopup";
inline constexpr const char* kParPopup = "parPopup";
inline constexpr const char* kColorSpaceTypePopup = "colorSpaceTypePopup";
inline constexpr const char* kAudioFrameRatePopup = "audioFrameRatePopup";
inline constexpr const char* kSteadyTonesBtn = "steadyTonesBtn";
inline constexpr const char* kFrequencyHotTextNumber = "frequencyHotTextNumber";
inline constexpr const char* kAmplitudeHotTextNumber = "amplitudeHotTextNumber";
inline constexpr const char* kIdentifyChannelsBtn = "identifyChannelsBtn";
inline constexpr const char* kIdentifierFormatPopup = "identifierFormatPopup";
inline constexpr const char* kOkButton = "okButton";
inline constexpr const char* kCancelButton = "cancelButton";

/// Every control the dialog looks up, for checks against the layout.
inline constexpr const char* kAll[] = {
    kPresetPopup, kFrameWidthNumberEdit, kFrameHeightNumberEdit, kVideoFrameRatePopup, kParPopup,
    kColorSpaceTypePopup, kAudioFrameRatePopup, kSteadyTonesBtn, kFrequencyHotTextNumber,
    kAmplitudeHotTextNumber, kIdentifyChannelsBtn, kIdentifierFormatPopup, kOkButton, kCancelButton,
};

} // namespace bt::dialog::ids
