#pragma once
// The sample formats sound is written in, by sound files and movies alike,
// and the tokens --bits and --pcm name them by.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace btmedia {

enum class SampleFormat { Int16, Int24, Float32 };

struct SampleFormatRow {
    SampleFormat format;
    std::string_view token; ///< as --bits and --pcm take it
    std::string_view label; ///< "24-bit"
};

inline constexpr SampleFormatRow kSampleFormats[] = {
    {SampleFormat::Int16, "16", "16-bit"},
    {SampleFormat::Int24, "24", "24-bit"},
    {SampleFormat::Float32, "32f", "32-bit float"},
};

/// The format a token names, or none.
[[nodiscard]] std::optional<SampleFormat> SampleFormatNamed(std::string_view token) noexcept;
[[nodiscard]] std::string_view SampleToken(SampleFormat format) noexcept;
[[nodiscard]] std::string_view SampleLabel(SampleFormat format) noexcept;
/// Every token: "16", "24", "32f".
[[nodiscard]] std::vector<std::string> SampleTokens();
/// "16, 24 or 32f (float)", and "(default)" after `marked`.
[[nodiscard]] std::string SampleTokensText(std::optional<SampleFormat> marked = std::nullopt);

} // namespace btmedia
