#pragma once
// A number field with a range and a number of decimal places shown.

#include "zelui/controls/UI_ControlView.h"

#include <limits>

namespace zelui::controls {

class BT_PLATFORM_API UI_NumberEdit : public UI_ControlView {
public:
    using UI_ControlView::UI_ControlView;
    ~UI_NumberEdit() override;

    /// Sets the value silently, as given (the range holds what users type).
    void SetValue(double value) noexcept { mValue = value; }
    [[nodiscard]] double GetValue() const noexcept { return mValue; }
    void SetMinValue(double minimum) noexcept { mMin = minimum; }
    void SetMaxValue(double maximum) noexcept { mMax = maximum; }
    [[nodiscard]] double GetMinValue() const noexcept { return mMin; }
    [[nodiscard]] double GetMaxValue() const noexcept { return mMax; }
    void SetDecimalPlaces(int places) noexcept { mDecimalPlaces = places; }
    [[nodiscard]] int GetDecimalPlaces() const noexcept { return mDecimalPlaces; }

    /// User action: types a number, held to the range. Refused (false) when
    /// disabled or when the number is not a number.
    bool TypeValue(double value);

private:
    double mValue = 0.0;
    double mMin = -std::numeric_limits<double>::infinity();
    double mMax = std::numeric_limits<double>::infinity();
    int mDecimalPlaces = 0;
};

} // namespace zelui::controls
