#include "LyraVocabulary.h"

#include <string_view>

namespace zellyrafactory::detail {

namespace {

struct Rename {
    std::string_view older;
    std::string_view current;
};

constexpr Rename kWidgetKinds[] = {
    {"dialog", "zel_dialog"},
    {"popup", "zel_popup"},
    {"unit_edit_number", "zel_number_edit"},
    {"radiogroup", "zel_radio_button_group"},
    {"radio_button", "zel_radio_button"},
    {"inline_edit_number", "zel_hot_text_number"},
    {"ok_cancel_row", "zel_ok_cancel_row"},
};

constexpr Rename kPropertyNames[] = {
    {"width", "minWidth"},
    {"height", "minHeight"},
    {"min_value", "minValue"},
    {"max_value", "maxValue"},
    {"decimal_places", "decimalPlaces"},
};

// Widgets whose `name` is their label in the older dialect (the dialog and the
// radio buttons keep `name`).
constexpr std::string_view kNameIsLabel[] = {"zel_popup", "zel_hot_text_number"};

template <std::size_t N>
void Apply(const Rename (&table)[N], std::string& word)
{
    for (const Rename& rename : table)
        if (word == rename.older) {
            word = rename.current;
            return;
        }
}

} // namespace

void RewriteOlderDialect(LyraWidget& widget)
{
    Apply(kWidgetKinds, widget.kind);
    bool nameIsLabel = false;
    for (std::string_view kind : kNameIsLabel)
        nameIsLabel = nameIsLabel || widget.kind == kind;
    for (LyraProperty& property : widget.properties) {
        Apply(kPropertyNames, property.name);
        if (nameIsLabel && property.name == "name")
            property.name = "label";
    }
    for (LyraWidget& child : widget.children)
        RewriteOlderDialect(child);
}

} // namespace zellyrafactory::detail
