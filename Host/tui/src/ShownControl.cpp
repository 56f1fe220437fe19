#include "ShownControl.h"

namespace bttui {

namespace {

finalcut::FPoint At(int column, int line) { return {column + 1 + kMarginColumns, line + 1 + kMarginLines}; }

} // namespace

std::unique_ptr<Shown> MakeShown(SettingsWindow& window, const ScreenField& field)
{
    switch (field.kind) {
    case FieldKind::Popup: return MakePopup(window, field);
    case FieldKind::Number: return MakeNumber(window, field);
    case FieldKind::RadioButton: return MakeRadioButton(window, field);
    case FieldKind::Button: return MakeButton(window, field);
    }
    return nullptr;
}

void PlaceField(finalcut::FWidget& widget, const ScreenField& field)
{
    // A radio button's text is its label, so it starts where labels do.
    const int column = field.kind == FieldKind::RadioButton ? field.labelColumn : field.fieldColumn;
    widget.setGeometry(At(column, field.line), finalcut::FSize{static_cast<std::size_t>(field.fieldWidth), 1});
}

Captions::Captions(finalcut::FWidget* parent, const ScreenField& field)
{
    auto place = [parent](const std::string& text, int column, int line) {
        auto label = std::make_unique<finalcut::FLabel>(Screen(text), parent);
        label->setGeometry(At(column, line), finalcut::FSize{static_cast<std::size_t>(TextCells(text)), 1});
        return label;
    };
    if (!field.label.empty())
        mLabel = place(field.label, field.labelColumn, field.line);
    if (!field.postLabel.empty())
        mPostLabel = place(field.postLabel, field.fieldColumn + field.fieldWidth + 1, field.line);
}

void Captions::SetEnabled(bool enabled)
{
    for (finalcut::FLabel* label : {mLabel.get(), mPostLabel.get()})
        if (label != nullptr)
            label->setEnable(enabled);
}

} // namespace bttui
