#pragma once
// The module's description resources, written down once. The build turns this
// table into side files next to the module on Linux and into the resource
// script of the Windows module, so both carry the same bytes; nothing in the
// module's own code reads it.
//
// Rationale: the property list is kept as rows of {key, encoding, value,
// stored length} rather than as a byte blob, so that a reader can check each
// row against the host's published layout; the generator does the packing.

#include "barsandtone/FourCC.h"

#include <cstdint>
#include <string_view>

namespace bt::resources {

inline constexpr std::uint16_t kLanguageNeutral = 0;
inline constexpr std::uint16_t kLanguageEnglishUS = 1033;

// ---- Plug-in property list (PIPL 16000) -----------------------------------

enum class PropertyEncoding {
    FourCC,     ///< a 32-bit code
    U32,        ///< a 32-bit number
    PascalText, ///< a length byte, then the characters, then zero bytes
    CText,      ///< the characters, a terminating zero, then zero bytes
};

struct PluginProperty {
    std::string_view key;      ///< four characters
    PropertyEncoding encoding;
    std::uint32_t number;      ///< FourCC and U32 only (FourCC from `text`)
    std::string_view text;     ///< texts and FourCC
    std::uint32_t length;      ///< stored data length, padding included
};

inline constexpr std::uint16_t kPropertyListVersion = 1;
inline constexpr std::uint32_t kPropertyVendor = FourCC("7QZX");

inline constexpr PluginProperty kPluginProperties[] = {
    {"kind", PropertyEncoding::FourCC, 0, "IMPT", 4},
    {"name", PropertyEncoding::PascalText, 0, "$$$/Kestrel/Importers/ImporterBarsAndTone/Name=Bars and Tone", 64},
    {"eMNA", PropertyEncoding::PascalText, 0, "TELV Bars and Tone", 20}, // match name
    {"catg", PropertyEncoding::PascalText, 0, "Importer", 12},
    {"wx86", PropertyEncoding::CText, 0, "xFilter", 12},
    {"8664", PropertyEncoding::CText, 0, "xFilter", 12},
    {"ePVR", PropertyEncoding::U32, 0x00010002u, {}, 4},
    {"eSVR", PropertyEncoding::U32, 3u, {}, 4},
    {"eVER", PropertyEncoding::U32, 0x00300000u, {}, 4},
};

[[nodiscard]] constexpr bool PropertyFits(const PluginProperty& p) noexcept
{
    if (p.key.size() != 4 || p.length % 4 != 0)
        return false;
    switch (p.encoding) {
    case PropertyEncoding::FourCC: return p.length == 4 && p.text.size() == 4;
    case PropertyEncoding::U32: return p.length == 4;
    case PropertyEncoding::PascalText: return p.text.size() < 256 && p.text.size() + 1 <= p.length;
    case PropertyEncoding::CText: return p.text.size() + 1 <= p.length;
    }
    return false;
}

[[nodiscard]] constexpr std::uint32_t PropertyListSize() noexcept
{
    std::uint32_t size = 2 + 4 + 4;
    for (const auto& p : kPluginProperties)
        size += 16 + p.length;
    return size;
}

static_assert([] {
    for (const auto& p : kPluginProperties)
        if (!PropertyFits(p))
            return false;
    return true;
}(), "every property's data must fit its stored length, a multiple of 4");
static_assert(PropertyListSize() == 290);

// ---- Type records (IMPT 1000, TYPE 1000): a 16-bit zero, then a code ------

struct TypeRecord {
    std::string_view type;
    std::uint16_t id;
    std::string_view code;
};

inline constexpr TypeRecord kTypeRecords[] = {
    {"IMPT", 1000, "BARS"}, // the synthetic file type the importer declares
    {"TYPE", 1000, "IMPT"}, // the plug-in kind
};

// ---- Layout texts (LYRA), carried byte for byte from Resources/Layouts ----

struct LayoutText {
    std::string_view name; ///< resource name, upper case as resource compilers store it
    std::string_view file; ///< relative to the Resources folder
};

inline constexpr LayoutText kLayoutTexts[] = {
    {"BARSANDTONESETTINGSWITHIDENTIFIERSDIALOG", "Layouts/BarsAndToneSettingsWithIdentifiersDialog.lyra"},
    {"BARSANDTONESETTINGSWITHIDENTIFIERSDIALOG.ORIN", "Layouts/BarsAndToneSettingsWithIdentifiersDialog.ORIN.lyra"},
};

// ---- Version record (16, 1) ----------------------------------------------

inline constexpr std::uint16_t kVersionId = 1;
inline constexpr std::uint32_t kVersionFlagsMask = 0x3F;
inline constexpr std::uint32_t kVersionFileOs = 0x40004;       ///< Windows NT, 32-bit interface
inline constexpr std::uint32_t kVersionFileType = 2;           ///< a dynamic library
inline constexpr std::uint16_t kVersionCodePage = 1200;        ///< Unicode

struct VersionRecord {
    std::uint16_t version[4];
    std::string_view companyName;
    std::string_view fileDescription;
    std::string_view internalName;
    std::string_view originalFilename;
    std::string_view productName;
};

inline constexpr VersionRecord kVersion = {
    {1, 0, 0, 0},
    "ImporterBarsAndTone developers",
    "Bars and Tone importer plug-in",
    "ImporterBarsAndTone",
    "ImporterBarsAndTone.cvm",
    "ImporterBarsAndTone",
};

// ---- Manifest (24, 2) -----------------------------------------------------

inline constexpr std::uint16_t kManifestId = 2;
inline constexpr std::string_view kManifest =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
    "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\r\n"
    "  <trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v3\">\r\n"
    "    <security>\r\n"
    "      <requestedPrivileges>\r\n"
    "        <requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>\r\n"
    "      </requestedPrivileges>\r\n"
    "    </security>\r\n"
    "  </trustInfo>\r\n"
    "</assembly>\r\n";

} // namespace bt::resources
