#include "zelcore/config/Localizer.h"

#include "zelcore/text/Utf.h"

namespace zelcore::config {

std::string_view KeyPath(std::string_view keyString) noexcept
{
    const std::size_t equals = keyString.find('=');
    return equals == std::string_view::npos ? keyString : keyString.substr(0, equals);
}

std::string_view KeyDefault(std::string_view keyString) noexcept
{
    const std::size_t equals = keyString.find('=');
    return equals == std::string_view::npos ? keyString : keyString.substr(equals + 1);
}

Localizer& Localizer::Get()
{
    static Localizer localizer;
    return localizer;
}

std::u16string Localizer::Localize(std::string_view keyString) const
{
    if (keyString.find('=') != std::string_view::npos) {
        std::lock_guard lock(mMutex);
        const auto found = mTranslations.find(KeyPath(keyString));
        if (found != mTranslations.end())
            return found->second;
    }
    return text::Utf8ToUtf16(KeyDefault(keyString));
}

void Localizer::SetTranslation(std::string_view path, std::u16string_view translated)
{
    std::lock_guard lock(mMutex);
    mTranslations.insert_or_assign(std::string(path), std::u16string(translated));
}

std::size_t Localizer::LoadCatalogue(std::string_view catalogue)
{
    std::size_t taken = 0;
    while (!catalogue.empty()) {
        std::size_t end = catalogue.find('\n');
        std::string_view line = catalogue.substr(0, end);
        catalogue = end == std::string_view::npos ? std::string_view{} : catalogue.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#' || line.find('=') == std::string_view::npos)
            continue;
        SetTranslation(KeyPath(line), text::Utf8ToUtf16(KeyDefault(line)));
        ++taken;
    }
    return taken;
}

void Localizer::ClearCatalogue()
{
    std::lock_guard lock(mMutex);
    mTranslations.clear();
}

} // namespace zelcore::config
