#pragma once
// Turns a localisation key string into the text the user sees. A key string
// is "path=Default text": the path names the text in the translation
// catalogue, the part after the first '=' is what is shown when the catalogue
// has no translation for it. Results are UTF-16. [any thread]

#include "barsandtone/PlatformApi.h"

#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

namespace zelcore::config {

class BT_PLATFORM_API Localizer {
public:
    /// The process's localiser.
    static Localizer& Get();

    /// The translation of the key's path, else its default text. A string
    /// without '=' has no default and is shown as it stands.
    [[nodiscard]] std::u16string Localize(std::string_view keyString) const;

    // Host control: the translation catalogue of the current language.

    /// One translation for a path (the part of a key string before '=').
    void SetTranslation(std::string_view path, std::u16string_view text);
    /// Reads a catalogue text, UTF-8, one "path=translation" per line; blank
    /// lines and lines starting with '#' are skipped, lines without '=' too.
    /// Returns the number of translations taken.
    std::size_t LoadCatalogue(std::string_view catalogue);
    /// Back to the default texts.
    void ClearCatalogue();

private:
    Localizer() = default;

    mutable std::mutex mMutex;
    std::map<std::string, std::u16string, std::less<>> mTranslations;
};

/// The path of a key string: everything before the first '='.
[[nodiscard]] BT_PLATFORM_API std::string_view KeyPath(std::string_view keyString) noexcept;
/// The default text of a key string: everything after the first '=' (the whole
/// string when there is none).
[[nodiscard]] BT_PLATFORM_API std::string_view KeyDefault(std::string_view keyString) noexcept;

} // namespace zelcore::config
