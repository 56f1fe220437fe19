#pragma once
// The input locale: whether the user's territory is one of the NTSC
// territories (525 lines, 59.94 fields) or not (PAL). [any thread]

#include "barsandtone/PlatformApi.h"

#include <string>
#include <string_view>

namespace MB::Locale {

/// True when the territory of the process locale (LC_ALL, else LC_MESSAGES,
/// else LANG) is an NTSC territory; false otherwise, also when no locale is
/// set. A host override wins.
[[nodiscard]] BT_PLATFORM_API bool IsCurrentInputLocaleNTSC();

/// The territory of a locale name: the part between '_' and '.' or '@'
/// ("en_US.UTF-8" → "US"); empty when there is none.
[[nodiscard]] BT_PLATFORM_API std::string_view TerritoryOf(std::string_view localeName) noexcept;
/// Whether a two-letter territory code (upper case) is an NTSC territory.
[[nodiscard]] BT_PLATFORM_API bool IsNTSCTerritory(std::string_view territory) noexcept;

namespace HostControl {
enum class InputLocale { FromProcess, NTSC, PAL };
/// [host] Overrides the input locale for the process; FromProcess removes the override.
BT_PLATFORM_API void SetInputLocaleOverride(InputLocale locale) noexcept;
} // namespace HostControl

} // namespace MB::Locale
