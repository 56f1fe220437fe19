#pragma once
// The dialog's user-visible texts: localisation keys with their default text
// after the '='. The texts of its errors are with the errors (DialogErrors.h).

/// A label of the choice lists: "<prefix><key name>=<default text>".
#define DIALOG_KEY(nameAndDefault) "$$$/Kestrel/Importers/BarsAndTone/ToneSettingsDialog/" nameAndDefault
