#pragma once
// Where each control of a layout-built dialog goes on a character screen.
//
// The plan is made from the running dialog's entries: the parsed widgets give
// the arrangement (columns, rows, the radio group, sizes and spacing), the live
// controls give the localised labels, the pop-up items and the ranges the
// dialog set. It knows nothing of the terminal library, so placement can be
// checked on its own; the terminal driver only turns each field into a widget.
//
// Rationale: layout sizes are in pixels. A character cell stands for 8 pixels
// across, and a line for 30 pixels of spacing (a 20-pixel control plus its
// gap), rounded to the nearest cell or line; a control is never narrower than
// the longest text it has to show.

#include "zellyrafactory/HostControl.h"

#include <string>
#include <string_view>
#include <vector>

namespace bttui {

enum class FieldKind { Popup, Number, RadioButton, Button };

struct ScreenField {
    FieldKind kind = FieldKind::Popup;
    std::string identifier;
    std::string label;     ///< UTF-8; for radio buttons and buttons, their text
    std::string postLabel; ///< the unit shown after a number ("Hz", "dB"); empty when none
    int line = 0;          ///< from the top of the dialog's client area, from 0
    int labelColumn = 0;   ///< where the label starts, from 0
    int fieldColumn = 0;   ///< where the control starts
    int fieldWidth = 0;    ///< cells of the control itself (a radio button's or button's includes its text)
    int decimalPlaces = 0; ///< numbers
};

struct ScreenPlan {
    std::string title; ///< UTF-8
    int width = 0;     ///< client area, cells
    int height = 0;    ///< client area, lines
    std::vector<ScreenField> fields; ///< in the layout's order
};

/// Places every control of the entries (DialogSession::Entries()). Throws
/// std::invalid_argument when the first entry is not the dialog.
[[nodiscard]] ScreenPlan PlanScreen(const std::vector<zellyrafactory::hostcontrol::DialogEntry>& entries);

/// A number as a control shows it: fixed with its decimal places.
[[nodiscard]] std::string FormatNumber(double value, int decimalPlaces);

/// Character cells taken by UTF-8 text (one per code point).
[[nodiscard]] int TextCells(std::string_view utf8) noexcept;

/// Text broken at spaces into lines of at most `width` cells; a word longer
/// than that has a line of its own. Always at least one line.
[[nodiscard]] std::vector<std::string> WrapWords(std::string_view text, int width);

} // namespace bttui
