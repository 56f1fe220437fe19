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

class ByteWriter {
public:
    ByteWriter& U16(std::uint16_t v) { return Raw({static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)}); }
    ByteWriter& U32(std::uint32_t v)
    {
        return Raw({static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
                    static_cast<std::uint8_t>(v >> 24)});
    }
    /// Characters exactly as they lie in the file (a code's characters reversed).
    ByteWriter& Chars(std::string_view text)
    {
        mBytes.insert(mBytes.end(), text.begin(), text.end());
        return *this;
    }
    ByteWriter& Raw(std::initializer_list<std::uint8_t> bytes)
    {
        mBytes.insert(mBytes.end(), bytes);
        return *this;
    }
    ByteWriter& Append(const Bytes& bytes)
    {
        mBytes.insert(mBytes.end(), bytes.begin(), bytes.end());
        return *this;
    }
    ByteWriter& Zeros(std::size_t count)
    {
        mBytes.insert(mBytes.end(), count, 0);
        return *this;
    }
    [[nodiscard]] std::size_t Size() const { return mBytes.size(); }
    [[nodiscard]] const Bytes& Get() const { return mBytes; }

private:
    Bytes mBytes;
};

/// PIPL 16000: header, then nine properties of vendor "XZQ7", each with its
/// stored length and data padded to it.
inline Bytes PropertyList()
{
    ByteWriter w;
    w.U16(1).U32(0).U32(9);
    auto property = [&](std::string_view keyInFile, std::uint32_t length, const Bytes& data) {
        w.Chars("XZQ7").Chars(keyInFile).U32(0).U32(length);
        w.Append(data);
        w.Zeros(length - data.size());
    };
    auto pascal = [](const std::string& text) {
        Bytes b{static_cast<std::uint8_t>(text.size())};
        b.insert(b.end(), text.begin(), text.end());
        return b;
    };
    auto chars = [](std::string_view text) { return Bytes(text.begin(), text.end()); };

    property("dnik", 4, chars("TPMI"));
    property("eman", 64, pascal(kDisplayName));
    property("ANMe", 20, pascal(kMatchName));
    property("gtac", 12, pascal(kCategory));
    property("68xw", 12, chars(std::string_view("xFilter\0", 8)));
    property("4668", 12, chars(std::string_view("xFilter\0", 8)));
    property("RVPe", 4, {0x02, 0x00, 0x01, 0x00});
    property("RVSe", 4, {0x03, 0x00, 0x00, 0x00});
    property("REVe", 4, {0x00, 0x00, 0x30, 0x00});
    return w.Get();
}

/// IMPT 1000: a 16-bit zero, then the file type 'BARS'.
inline Bytes ImporterTypeRecord() { return ByteWriter().U16(0).Chars("SRAB").Get(); }
/// TYPE 1000: a 16-bit zero, then the plug-in kind 'IMPT'.
inline Bytes PluginTypeRecord() { return ByteWriter().U16(0).Chars("TPMI").Get(); }

} // namespace expected
