#pragma once
// What a flag's value must be, checked while the command line is read, in the
// tool's own words: the parser's own checks print their bounds as raw numbers
// (the largest double, 300 digits of it) and know nothing of units.

#include <functional>
#include <string>

namespace btcli {

struct FlagRule {
    std::string unit; ///< the kind of value, shown in the help ("seconds")
    /// Empty when the text is good; else why not, after the flag's name.
    std::function<std::string(const std::string& text)> check;
};

[[nodiscard]] FlagRule Above0(const std::string& unit);
[[nodiscard]] FlagRule AnyNumber(const std::string& unit);
[[nodiscard]] FlagRule WholeBetween(long long lowest, long long highest, const std::string& unit);
/// A whole count above 0, up to what the host's time can hold.
[[nodiscard]] FlagRule Count(const std::string& unit);
[[nodiscard]] FlagRule Between(double lowest, double highest, const std::string& unit);

} // namespace btcli
