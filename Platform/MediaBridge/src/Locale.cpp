#include "MediaBridge/Locale.h"

#include "barsandtone/ProcessShared.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>

namespace MB::Locale {

namespace {

// Territories whose broadcast television was 525 lines at 59.94 fields:
// North and Central America and the Caribbean, most of South America's
// north and west, Brazil (PAL-M, 525 lines), Japan, South Korea, Taiwan, the
// Philippines, Myanmar and the US Pacific territories. Sorted for the search.
constexpr std::array<std::string_view, 49> kNtscTerritories{
    "AG", "AI", "AS", "AW", "BB", "BM", "BO", "BR", "BS", "BZ", "CA", "CL", "CO", "CR", "CU", "DM", "DO",
    "EC", "FM", "GD", "GT", "GU", "GY", "HN", "HT", "JM", "JP", "KN", "KR", "KY", "LC", "MH", "MM", "MP",
    "MS", "MX", "NI", "PA", "PE", "PH", "PR", "PW", "SR", "SV", "TW", "US", "VC", "VE", "VI"};
static_assert(std::is_sorted(kNtscTerritories.begin(), kNtscTerritories.end()));

// Set by the host, read by the module (barsandtone/ProcessShared.h); zero is
// FromProcess.
std::atomic<HostControl::InputLocale>& Override()
{
    static_assert(static_cast<int>(HostControl::InputLocale::FromProcess) == 0);
    static auto& value = bt::ProcessShared<std::atomic<HostControl::InputLocale>>("MediaBridge.InputLocaleOverride");
    return value;
}

std::string_view ProcessLocaleName()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0')
            return value;
    }
    return {};
}

} // namespace

std::string_view TerritoryOf(std::string_view localeName) noexcept
{
    const std::size_t underscore = localeName.find('_');
    if (underscore == std::string_view::npos)
        return {};
    const std::string_view rest = localeName.substr(underscore + 1);
    return rest.substr(0, rest.find_first_of(".@"));
}

bool IsNTSCTerritory(std::string_view territory) noexcept
{
    return std::binary_search(kNtscTerritories.begin(), kNtscTerritories.end(), territory);
}

bool IsCurrentInputLocaleNTSC()
{
    switch (Override().load()) {
    case HostControl::InputLocale::NTSC: return true;
    case HostControl::InputLocale::PAL: return false;
    case HostControl::InputLocale::FromProcess: break;
    }
    return IsNTSCTerritory(TerritoryOf(ProcessLocaleName()));
}

namespace HostControl {
void SetInputLocaleOverride(InputLocale locale) noexcept { Override().store(locale); }
} // namespace HostControl

} // namespace MB::Locale
