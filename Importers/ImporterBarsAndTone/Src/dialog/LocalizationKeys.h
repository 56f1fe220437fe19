#pragma once
// The dialog's user-visible texts: localisation keys with their default text
// after the '='.

/// A label of the choice lists: "<prefix><key name>=<default text>".
#define DIALOG_KEY(nameAndDefault) "$$$/Kestrel/Importers/BarsAndTone/ToneSettingsDialog/" nameAndDefault

namespace bt::dialog {

inline constexpr const char* kInputContractViolationKey =
    "$$$/zelcore/utility/Error/Contract/InputContractViolation=An input contract violation has occurred!";
inline constexpr const char* kInvalidTypeConversionKey =
    "$$$/zelcore/utility/Error/InvalidTypeConversion=Invalid type conversion.";

} // namespace bt::dialog
