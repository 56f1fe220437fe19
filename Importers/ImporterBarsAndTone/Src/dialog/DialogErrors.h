#pragma once
// The errors the dialog raises through the platform, each written once with
// the level, localisation key and pair of numbers the platform reports it by.

#include "zelcore/config/Error.h"

#include <cstdint>

namespace bt::dialog {

struct DialogError {
    std::int32_t level; ///< the platform's error level
    const char* key;    ///< localisation key of the message, default text after the '='
    std::int32_t area;  ///< first number: the platform's area of the error
    std::int32_t code;  ///< second number: the error within its area
};

/// The platform's area for broken contracts and failed conversions.
inline constexpr std::int32_t kUtilityErrorArea = 105;

/// A caller broke the dialog's input contract (no data exchange, no view).
inline constexpr DialogError kInputContractViolation{
    .level = 0,
    .key = "$$$/zelcore/utility/Error/Contract/InputContractViolation=An input contract violation has occurred!",
    .area = kUtilityErrorArea,
    .code = 25,
};

/// A control of the layout is not of the kind its identifier names.
inline constexpr DialogError kInvalidTypeConversion{
    .level = 1,
    .key = "$$$/zelcore/utility/Error/InvalidTypeConversion=Invalid type conversion.",
    .area = kUtilityErrorArea,
    .code = 21,
};

/// Raises the error as a user-visible platform error without replacement texts.
[[noreturn]] inline void Raise(const DialogError& error)
{
    zelcore::config::ThrowError(error.level, error.key, error.area, error.code, true, {}, {}, {}, {});
}

} // namespace bt::dialog
