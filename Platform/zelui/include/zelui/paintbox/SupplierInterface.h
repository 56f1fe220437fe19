#pragma once
// What draws a dialog's widgets. The stand-in draws nothing itself: a modal
// driver front end (a terminal, a test) decides how controls look.

#include "barsandtone/PlatformApi.h"

#include <string_view>

namespace zelui::paintbox {

class BT_PLATFORM_API SupplierInterface {
public:
    virtual ~SupplierInterface();
    [[nodiscard]] virtual std::string_view GetName() const noexcept = 0;
};

} // namespace zelui::paintbox
