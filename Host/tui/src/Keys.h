#pragma once
// What a key means to the settings dialog, and the line that tells a person
// which keys the focused control takes.

#include "bttui/ScreenPlan.h"

#include <final/final.h>

#include <optional>

namespace bttui {

[[nodiscard]] bool IsEnter(finalcut::FKey key) noexcept;
/// Esc, and Ctrl-C, which a terminal program in raw mode receives as a key.
[[nodiscard]] bool IsCancel(finalcut::FKey key) noexcept;
[[nodiscard]] bool IsEscape(finalcut::FKey key) noexcept;
/// A key that types a character (not a control or function key).
[[nodiscard]] std::optional<char> TypedCharacter(finalcut::FKey key) noexcept;

/// What the keys do in a control of `kind`, as the dialog's last line says it
/// (the keys every control shares included).
[[nodiscard]] std::string KeysFor(FieldKind kind);
/// Cells of the longest KeysFor line: the width the last line needs.
[[nodiscard]] int WidestKeys();

} // namespace bttui
