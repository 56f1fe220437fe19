#include "FlagRules.h"

#include <cmath>
#include <cstdlib>
#include <optional>
#include <sstream>

namespace btcli {

namespace {

std::optional<double> NumberIn(const std::string& text)
{
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != 0 || !std::isfinite(v))
        return std::nullopt;
    return v;
}

bool IsWhole(double v) { return v == std::floor(v); }

/// A bound as people write it: 0.01, 65535, 192000.
std::string Shown(double v)
{
    std::ostringstream text;
    text << v;
    return text.str();
}

/// Whole counts up to this many: a year of samples at 192 kHz, and more
/// frames than any export needs; beyond, the host's time runs out anyway.
constexpr long long kMostCounted = 1LL << 42;

} // namespace

FlagRule Above0(const std::string& unit)
{
    return {unit.empty() ? "NUMBER" : unit, [unit](const std::string& text) -> std::string {
                const auto v = NumberIn(text);
                return v && *v > 0 ? "" : "takes a number above 0, in " + unit + ", not \"" + text + "\"";
            }};
}

FlagRule AnyNumber(const std::string& unit)
{
    return {unit, [unit](const std::string& text) -> std::string {
                return NumberIn(text) ? "" : "takes a number, in " + unit + ", not \"" + text + "\"";
            }};
}

FlagRule WholeBetween(long long lowest, long long highest, const std::string& unit)
{
    return {unit, [=](const std::string& text) -> std::string {
                const auto v = NumberIn(text);
                if (v && IsWhole(*v) && *v >= static_cast<double>(lowest) && *v <= static_cast<double>(highest))
                    return "";
                return "takes a whole number of " + unit + " from " + std::to_string(lowest) + " to " +
                       std::to_string(highest) + ", not \"" + text + "\"";
            }};
}

FlagRule Count(const std::string& unit)
{
    return {unit, [=](const std::string& text) -> std::string {
                const auto v = NumberIn(text);
                if (!v || !IsWhole(*v) || *v < 1)
                    return "takes a whole number of " + unit + " above 0, not \"" + text + "\"";
                if (*v > static_cast<double>(kMostCounted))
                    return "asks for more " + unit + " than the host's time holds";
                return "";
            }};
}

FlagRule Between(double lowest, double highest, const std::string& unit)
{
    return {unit, [=](const std::string& text) -> std::string {
                const auto v = NumberIn(text);
                if (v && *v >= lowest && *v <= highest)
                    return "";
                return "takes " + Shown(lowest) + " to " + Shown(highest) + " " + unit + ", not \"" + text + "\"";
            }};
}

} // namespace btcli
