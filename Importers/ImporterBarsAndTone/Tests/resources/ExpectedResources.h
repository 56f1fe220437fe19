#pragma once
// What a host must read from the module's resources, built here byte by byte
// from the host's published layouts rather than from the module's own table,
// so a slip in the table or the generator shows. Shared by every platform's
// resource tests.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace expected {

using Bytes = std::vector<std::uint8_t>;

inline const std::string kMatchName = "TELV Bars and Tone";
inline const std::string kCategory = "Importer";
inline const std::string kDisplayName = "$$$/Kestrel/Importers/ImporterBarsAndTone/Name=Bars and Tone";
inline const std::string kLayoutName = "BARSANDTONESETTINGSWITHIDENTIFIERSDIALOG";
inline const std::string kOlderLayoutName = "BARSANDTONESETTINGSWITHIDENTIFIERSDIALOG.ORIN";

/// Appends a little-endian integer of `size` bytes.
inline void Put(Bytes& b, std::uint32_t v, int size)
{
    for (int i = 0; i < size; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> 8 * i));
}
/// Appends characters exactly as they lie in the file (a code's characters reversed).
inline void Put(Bytes& b, std::string_view text) { b.insert(b.end(), text.begin(), text.end()); }

/// PIPL 16000: header, then nine properties of vendor "XZQ7", each with its
/// stored length and data padded to it.
inline Bytes PropertyList()
{
    Bytes w;
    Put(w, 1, 2); Put(w, 0, 4); Put(w, 9, 4);
    auto property = [&](std::string_view keyInFile, std::uint32_t length, std::string_view data) {
        Put(w, "XZQ7"); Put(w, keyInFile); Put(w, 0, 4); Put(w, length, 4); Put(w, data);
        w.resize(w.size() + length - data.size());
    };
    auto pascal = [](const std::string& text) { return static_cast<char>(text.size()) + text; };
    using namespace std::string_view_literals;
    property("dnik", 4, "TPMI");
    property("eman", 64, pascal(kDisplayName));
    property("ANMe", 20, pascal(kMatchName));
    property("gtac", 12, pascal(kCategory));
    property("68xw", 12, "xFilter\0"sv);
    property("4668", 12, "xFilter\0"sv);
    property("RVPe", 4, "\x02\x00\x01\x00"sv);
    property("RVSe", 4, "\x03\x00\x00\x00"sv);
    property("REVe", 4, "\x00\x00\x30\x00"sv);
    return w;
}

/// IMPT 1000: a 16-bit zero, then the file type 'BARS'.
inline Bytes ImporterTypeRecord() { return {0, 0, 'S', 'R', 'A', 'B'}; }
/// TYPE 1000: a 16-bit zero, then the plug-in kind 'IMPT'.
inline Bytes PluginTypeRecord() { return {0, 0, 'T', 'P', 'M', 'I'}; }

} // namespace expected
