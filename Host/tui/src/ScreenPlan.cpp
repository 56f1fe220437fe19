#include "bttui/ScreenPlan.h"

#include "zelcore/text/Utf.h"
#include "zelui/controls/UI_Button.h"
#include "zelui/controls/UI_HotTextNumber.h"
#include "zelui/controls/UI_NumberEdit.h"
#include "zelui/controls/UI_Popup.h"
#include "zelui/controls/UI_RadioButton.h"
#include "zelui/lyracontracts/UI_LyraDialogBase.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace bttui {

namespace {

using zellyrafactory::hostcontrol::DialogEntry;
using namespace zelui::controls;

constexpr double kPixelsPerCell = 8.0;
constexpr double kPixelsPerLine = 30.0;
constexpr int kDefaultGap = 2;         ///< cells between the controls of a row without spacing
constexpr int kRadioIndent = 4;        ///< a radio group's other controls sit under the buttons' texts
constexpr int kRadioMark = 4;          ///< "(•) " before a radio button's text
constexpr int kPopupArrow = 3;         ///< the pop-up's arrow and its margins
constexpr int kMinButtonWidth = 10;

struct Node {
    const DialogEntry* entry = nullptr;
    std::vector<Node> children;
};

/// What the controls stacked in one column share: the width of their labels,
/// so the controls line up, and the width of their pop-ups, so the arrows do.
struct Alignment {
    int label = 0;
    int popup = 0;
};

struct Box {
    int width = 0;
    int height = 0;
};

enum class Flow { Down, Across, Leaf };

Flow FlowOf(const std::string& kind)
{
    if (kind == "zel_dialog" || kind == "column" || kind == "zel_radio_button_group")
        return Flow::Down;
    if (kind == "row" || kind == "zel_ok_cancel_row")
        return Flow::Across;
    return Flow::Leaf;
}

/// A number property of the widget as written, or `otherwise`.
double NumberProperty(const DialogEntry& e, std::initializer_list<std::string_view> names, double otherwise)
{
    if (e.widget == nullptr || e.kind == "zel_button") // OK/Cancel carry their row's widget
        return otherwise;
    for (std::string_view name : names)
        if (const auto* p = e.widget->Find(name); p != nullptr && p->value.kind == zellyrafactory::LyraValue::Kind::Number)
            return p->value.number;
    return otherwise;
}

int Cells(double pixels) { return static_cast<int>(std::lround(pixels / kPixelsPerCell)); }
int Lines(double pixels) { return static_cast<int>(std::lround(pixels / kPixelsPerLine)); }

std::string Utf8(const std::u16string& text) { return zelcore::text::Utf16ToUtf8(text); }

int NumberWidth(double value, double minimum, double maximum, int places)
{
    int widest = TextCells(FormatNumber(value, places));
    for (double bound : {minimum, maximum})
        if (std::isfinite(bound))
            widest = std::max(widest, TextCells(FormatNumber(bound, places)));
    return widest + 2; // room for the cursor and the field's margin
}

/// The leaf's kind, texts and size; its position comes later.
ScreenField Measure(const DialogEntry& e)
{
    ScreenField f;
    f.identifier = e.identifier;
    const int minWidth = Cells(NumberProperty(e, {"minWidth", "width"}, 0.0));
    zelui::ui::UI_Node* node = e.node.Get();
    if (auto* control = dynamic_cast<UI_ControlView*>(node)) {
        f.label = Utf8(control->GetLabel());
        f.postLabel = Utf8(control->GetPostLabel());
    }
    if (auto* popup = dynamic_cast<UI_Popup*>(node)) {
        f.kind = FieldKind::Popup;
        int longest = 0;
        for (std::int64_t i = 0; i < popup->GetItemCount(); ++i)
            longest = std::max(longest, TextCells(Utf8(popup->GetItemText(i))));
        f.fieldWidth = std::max(minWidth, longest + kPopupArrow);
    } else if (auto* edit = dynamic_cast<UI_NumberEdit*>(node)) {
        f.kind = FieldKind::Number;
        f.decimalPlaces = edit->GetDecimalPlaces();
        f.fieldWidth = std::max(minWidth, NumberWidth(edit->GetValue(), edit->GetMinValue(), edit->GetMaxValue(),
                                                      f.decimalPlaces));
    } else if (auto* hot = dynamic_cast<UI_HotTextNumber*>(node)) {
        f.kind = FieldKind::Number;
        f.decimalPlaces = hot->GetDecimalPlaces();
        f.fieldWidth = std::max(minWidth, NumberWidth(hot->GetValue(), hot->GetMinValue(), hot->GetMaxValue(),
                                                      f.decimalPlaces));
    } else if (dynamic_cast<UI_RadioButton*>(node) != nullptr) {
        f.kind = FieldKind::RadioButton;
        f.fieldWidth = kRadioMark + TextCells(f.label);
    } else if (dynamic_cast<UI_Button*>(node) != nullptr) {
        f.kind = FieldKind::Button;
        f.fieldWidth = std::max(kMinButtonWidth, TextCells(f.label) + 4);
    } else {
        throw std::invalid_argument("no screen control for '" + e.kind + "'");
    }
    return f;
}

/// Label and control side by side: radio buttons and buttons hold their text.
bool HasSeparateLabel(const ScreenField& f)
{
    return (f.kind == FieldKind::Popup || f.kind == FieldKind::Number) && !f.label.empty();
}

class Planner {
public:
    std::vector<ScreenField> fields;

    Box Place(const Node& node, int column, int line, Alignment aligned)
    {
        switch (FlowOf(node.entry->kind)) {
        case Flow::Leaf:
            return PlaceLeaf(*node.entry, column, line, aligned);
        case Flow::Across:
            return PlaceAcross(node, column, line);
        case Flow::Down:
            return PlaceDown(node, column, line);
        }
        return {};
    }

private:
    Box PlaceLeaf(const DialogEntry& e, int column, int line, Alignment aligned)
    {
        ScreenField f = Measure(e);
        f.line = line;
        f.labelColumn = column;
        f.fieldColumn = column;
        if (HasSeparateLabel(f))
            f.fieldColumn += std::max(aligned.label, TextCells(f.label)) + 1;
        if (f.kind == FieldKind::Popup)
            f.fieldWidth = std::max(f.fieldWidth, aligned.popup);
        int right = f.fieldColumn + f.fieldWidth;
        if (!f.postLabel.empty())
            right += 1 + TextCells(f.postLabel);
        fields.push_back(std::move(f));
        return {right - column, 1};
    }

    Box PlaceAcross(const Node& node, int column, int line)
    {
        const double spacing = NumberProperty(*node.entry, {"spacing", "horizontalSpacing"}, -1.0);
        const int gap = spacing < 0.0 ? kDefaultGap : Cells(spacing);
        Box box;
        for (const Node& child : node.children) {
            if (box.width > 0)
                box.width += gap;
            const Box c = Place(child, column + box.width, line, Alignment{});
            box.width += c.width;
            box.height = std::max(box.height, c.height);
        }
        return box;
    }

    Box PlaceDown(const Node& node, int column, int line)
    {
        const bool isDialog = node.entry->kind == "zel_dialog";
        const bool isRadioGroup = node.entry->kind == "zel_radio_button_group";
        const int gap = Lines(NumberProperty(*node.entry, {"verticalSpacing", "spacing"}, 0.0));

        Alignment aligned;
        for (const Node& child : node.children)
            if (FlowOf(child.entry->kind) == Flow::Leaf) {
                const ScreenField f = Measure(*child.entry);
                if (HasSeparateLabel(f))
                    aligned.label = std::max(aligned.label, TextCells(f.label));
                if (f.kind == FieldKind::Popup)
                    aligned.popup = std::max(aligned.popup, f.fieldWidth);
            }

        Box box;
        std::vector<std::pair<std::size_t, int>> buttonRows; // first field, width
        for (const Node& child : node.children) {
            if (box.height > 0)
                box.height += gap;
            const bool indent = isRadioGroup && child.entry->kind != "zel_radio_button";
            const int at = column + (indent ? kRadioIndent : 0);
            const std::size_t first = fields.size();
            const Box c = Place(child, at, line + box.height, aligned);
            if (isDialog && child.entry->kind == "zel_ok_cancel_row")
                buttonRows.emplace_back(first, c.width);
            box.width = std::max(box.width, at - column + c.width);
            box.height += c.height;
        }
        // The OK/Cancel row keeps to the right edge, as dialogs have it.
        for (const auto& [first, width] : buttonRows)
            for (std::size_t i = first; i < fields.size(); ++i) {
                fields[i].labelColumn += box.width - width;
                fields[i].fieldColumn += box.width - width;
            }
        return box;
    }
};

Node BuildTree(const std::vector<DialogEntry>& entries, std::size_t& at)
{
    Node node{&entries[at], {}};
    const int depth = entries[at].depth;
    ++at;
    while (at < entries.size() && entries[at].depth > depth)
        node.children.push_back(BuildTree(entries, at));
    return node;
}

} // namespace

int TextCells(std::string_view utf8) noexcept
{
    int cells = 0;
    for (char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0U) != 0x80U) // continuation bytes add no cell
            ++cells;
    return cells;
}

std::string FormatNumber(double value, int decimalPlaces)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", std::clamp(decimalPlaces, 0, 15), value);
    return text;
}

std::vector<std::string> WrapWords(std::string_view text, int width)
{
    std::vector<std::string> lines(1);
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find(' ', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view word = text.substr(start, end - start);
        std::string& line = lines.back();
        if (line.empty())
            line = word;
        else if (TextCells(line) + 1 + TextCells(word) <= width)
            (line += ' ') += word;
        else
            lines.emplace_back(word);
        start = end + 1;
    }
    return lines;
}

ScreenPlan PlanScreen(const std::vector<DialogEntry>& entries)
{
    if (entries.empty() || entries.front().kind != "zel_dialog")
        throw std::invalid_argument("the first entry must be the dialog");
    std::size_t at = 0;
    const Node root = BuildTree(entries, at);

    ScreenPlan plan;
    if (auto* dialog = dynamic_cast<zelui::lyracontracts::UI_LyraDialogBase*>(root.entry->node.Get()))
        plan.title = Utf8(dialog->GetTitle());
    Planner planner;
    const Box box = planner.Place(root, 0, 0, Alignment{});
    plan.width = box.width;
    plan.height = box.height;
    plan.fields = std::move(planner.fields);
    return plan;
}

} // namespace bttui
