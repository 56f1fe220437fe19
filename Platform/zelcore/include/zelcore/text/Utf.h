#pragma once
// UTF-8 and UTF-16 conversions for texts that cross between 8-bit keys and the
// wide strings the user sees. Malformed input never fails: each bad sequence
// becomes U+FFFD.

#include "barsandtone/PlatformApi.h"

#include <string>
#include <string_view>

namespace zelcore::text {

[[nodiscard]] BT_PLATFORM_API std::u16string Utf8ToUtf16(std::string_view utf8);
[[nodiscard]] BT_PLATFORM_API std::string Utf16ToUtf8(std::u16string_view utf16);

} // namespace zelcore::text
