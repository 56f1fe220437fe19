#pragma once
// Localisation keys carry their default text after the '='; hosts that load
// no translation show that text.

#include <cstddef>
#include <string_view>

namespace bt {

/// The text a localisation key shows when no translation is loaded: what
/// follows its first '='.
[[nodiscard]] constexpr std::string_view DefaultText(std::string_view key) noexcept
{
    const std::size_t equals = key.find('=');
    return equals == std::string_view::npos ? std::string_view{} : key.substr(equals + 1);
}

} // namespace bt
