#pragma once
// A number shown as text that the user drags or types; with a range, a step
// (increment), decimal places and a unit text after it.

#include "zelui/controls/UI_ControlView.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zelui::controls {

template <typename T>
class UI_HotTextNumberBaseT : public UI_ControlView {
public:
    using UI_ControlView::UI_ControlView;

    /// Sets the value silently, as given.
    void SetValue(T value) noexcept { mValue = value; }
    [[nodiscard]] T GetValue() const noexcept { return mValue; }
    void SetMinValue(T minimum) noexcept { mMin = minimum; }
    void SetMaxValue(T maximum) noexcept { mMax = maximum; }
    [[nodiscard]] T GetMinValue() const noexcept { return mMin; }
    [[nodiscard]] T GetMaxValue() const noexcept { return mMax; }
    void SetIncrement(T increment) noexcept { mIncrement = increment; }
    [[nodiscard]] T GetIncrement() const noexcept { return mIncrement; }
    void SetDecimalPlaces(int places) noexcept { mDecimalPlaces = places; }
    [[nodiscard]] int GetDecimalPlaces() const noexcept { return mDecimalPlaces; }

    /// User action: types a number, held to the range. Refused (false) when
    /// disabled or when the number is not a number.
    bool TypeValue(T value)
    {
        if (!IsEnabled() || std::isnan(value))
            return false;
        mValue = std::clamp(value, mMin, std::max(mMin, mMax));
        NotifyChanged(ui::Message::Kind::ValueChanged);
        return true;
    }

private:
    T mValue{};
    T mMin = -std::numeric_limits<T>::infinity();
    T mMax = std::numeric_limits<T>::infinity();
    T mIncrement{1};
    int mDecimalPlaces = 0;
};

class BT_PLATFORM_API UI_HotTextNumber : public UI_HotTextNumberBaseT<double> {
public:
    using UI_HotTextNumberBaseT<double>::UI_HotTextNumberBaseT;
    ~UI_HotTextNumber() override;
};

} // namespace zelui::controls
