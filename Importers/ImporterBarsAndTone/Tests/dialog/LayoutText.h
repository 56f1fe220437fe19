#pragma once
// The module's two layout texts, read from the source tree.

#include <fstream>
#include <string>

inline std::string ReadLayoutText(bool olderDialect)
{
    std::ifstream in(std::string(BT_SOURCE_DIR) +
                         "/Importers/ImporterBarsAndTone/Resources/Layouts/BarsAndToneSettingsWithIdentifiersDialog" +
                         (olderDialect ? ".ORIN.lyra" : ".lyra"),
                     std::ios::binary);
    std::string text(1 << 16, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}
