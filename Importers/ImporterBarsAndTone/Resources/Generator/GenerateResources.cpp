// Build tool: turns the resource table (ModuleResources.h) into what each
// platform's module carries.
//
//   bt-resgen side <resources dir> <out dir>
//       Writes <out dir>/<TYPE>/<NAME>, one raw file per resource, the form in
//       which a module without Windows resources carries them. The folder is
//       emptied first so it holds exactly the table.
//   bt-resgen rc <resources dir> <out dir> <rc file>
//       Writes the binary resources into <out dir> and a resource script that
//       names them, for the Windows resource compiler. Files are rewritten
//       only when their bytes change, so an unchanged table relinks nothing.
//
// Runs on the build machine only; it never ships.

#include "ModuleResources.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using namespace bt::resources;

namespace {

void PutU16(Bytes& out, std::uint16_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutU32(Bytes& out, std::uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void PutText(Bytes& out, std::string_view text) { out.insert(out.end(), text.begin(), text.end()); }

Bytes EncodePropertyList()
{
    Bytes out;
    PutU16(out, kPropertyListVersion);
    PutU32(out, 0);
    PutU32(out, static_cast<std::uint32_t>(std::size(kPluginProperties)));
    for (const auto& p : kPluginProperties) {
        PutU32(out, kPropertyVendor);
        PutU32(out, bt::FourCC(p.key));
        PutU32(out, 0); // property id
        PutU32(out, p.length);
        const std::size_t dataStart = out.size();
        switch (p.encoding) {
        case PropertyEncoding::FourCC: PutU32(out, bt::FourCC(p.text)); break;
        case PropertyEncoding::U32: PutU32(out, p.number); break;
        case PropertyEncoding::PascalText:
            out.push_back(static_cast<std::uint8_t>(p.text.size()));
            PutText(out, p.text);
            break;
        case PropertyEncoding::CText:
            PutText(out, p.text);
            out.push_back(0);
            break;
        }
        out.resize(dataStart + p.length, 0);
    }
    if (out.size() != PropertyListSize())
        throw std::logic_error("property list size differs from the table");
    return out;
}

Bytes EncodeTypeRecord(const TypeRecord& r)
{
    Bytes out;
    PutU16(out, 0);
    PutU32(out, bt::FourCC(r.code));
    return out;
}

std::string VersionText(const std::uint16_t (&v)[4], const char* separator)
{
    return std::to_string(v[0]) + separator + std::to_string(v[1]) + separator + std::to_string(v[2]) + separator +
           std::to_string(v[3]);
}

void PadTo4(Bytes& out) { out.resize((out.size() + 3) & ~std::size_t{3}, 0); }

void PutUtf16(Bytes& out, std::string_view text)
{
    for (char c : text)
        PutU16(out, static_cast<std::uint8_t>(c)); // the texts are ASCII
    PutU16(out, 0);
}

// One node of a version record: its length, the length of its value (in
// UTF-16 units for a text, else in bytes), its type (1 text, 0 binary), its
// key, then its value and its children, each starting on a 4-byte boundary.
// The length runs to the end of the last child or of the value, unpadded.
Bytes VersionNode(std::string_view key, bool isText, std::uint16_t valueLength, const Bytes& value,
                  const std::vector<Bytes>& children = {})
{
    Bytes out;
    PutU16(out, 0); // the length, known at the end
    PutU16(out, valueLength);
    PutU16(out, isText ? 1 : 0);
    PutUtf16(out, key);
    if (!value.empty()) {
        PadTo4(out);
        out.insert(out.end(), value.begin(), value.end());
    }
    for (const Bytes& child : children) {
        PadTo4(out);
        out.insert(out.end(), child.begin(), child.end());
    }
    if (out.size() > 0xFFFF)
        throw std::logic_error("version record node too long");
    out[0] = static_cast<std::uint8_t>(out.size());
    out[1] = static_cast<std::uint8_t>(out.size() >> 8);
    return out;
}

Bytes VersionString(std::string_view key, std::string_view text)
{
    Bytes value;
    PutUtf16(value, text);
    return VersionNode(key, true, static_cast<std::uint16_t>(text.size() + 1), value);
}

// The version record (16, 1) in the layout Windows reads: VS_VERSION_INFO
// with the fixed file information, the US English Unicode string table and
// its translation entry. Written here rather than by the resource compiler
// so that every platform's module carries the same bytes.
Bytes EncodeVersionRecord()
{
    const auto& v = kVersion;
    Bytes fixed;
    PutU32(fixed, 0xFEEF04BDu); // signature
    PutU32(fixed, 0x00010000u); // structure version 1.0
    for (int twice = 0; twice < 2; ++twice) { // file version, then product version
        PutU32(fixed, static_cast<std::uint32_t>(v.version[0]) << 16 | v.version[1]);
        PutU32(fixed, static_cast<std::uint32_t>(v.version[2]) << 16 | v.version[3]);
    }
    PutU32(fixed, kVersionFlagsMask);
    PutU32(fixed, 0);              // flags: none
    PutU32(fixed, kVersionFileOs);
    PutU32(fixed, kVersionFileType);
    PutU32(fixed, 0);              // subtype
    PutU32(fixed, 0);              // date, most significant half
    PutU32(fixed, 0);              // date, least significant half

    const std::string number = VersionText(v.version, ".");
    // The string table is named by its language and code page in hexadecimal.
    char tableName[9];
    std::snprintf(tableName, sizeof tableName, "%04X%04X", static_cast<unsigned>(kLanguageEnglishUS),
                  static_cast<unsigned>(kVersionCodePage));
    const Bytes table = VersionNode(tableName, true, 0, {},
                                    {VersionString("CompanyName", v.companyName),
                                     VersionString("FileDescription", v.fileDescription),
                                     VersionString("FileVersion", number),
                                     VersionString("InternalName", v.internalName),
                                     VersionString("OriginalFilename", v.originalFilename),
                                     VersionString("ProductName", v.productName),
                                     VersionString("ProductVersion", number)});
    Bytes translation;
    PutU16(translation, kLanguageEnglishUS);
    PutU16(translation, kVersionCodePage);
    const Bytes strings = VersionNode("StringFileInfo", true, 0, {}, {table});
    const Bytes vars = VersionNode("VarFileInfo", true, 0, {},
                                   {VersionNode("Translation", false, static_cast<std::uint16_t>(translation.size()),
                                                translation)});
    return VersionNode("VS_VERSION_INFO", false, static_cast<std::uint16_t>(fixed.size()), fixed, {strings, vars});
}

Bytes ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const Bytes& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

void WriteFileIfChanged(const fs::path& path, const Bytes& bytes)
{
    std::error_code ec;
    if (fs::exists(path, ec) && ReadFile(path) == bytes)
        return;
    WriteFile(path, bytes);
}

Bytes ToBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

/// One resource of the table with its bytes, in the order of the table.
struct Resource {
    std::string type;
    std::string name;
    std::uint16_t language;
    Bytes bytes;
    fs::path sourceFile; ///< set when the bytes come from a source file as they are
};

std::vector<Resource> CollectResources(const fs::path& resourcesDir)
{
    std::vector<Resource> all;
    all.push_back({"PIPL", "16000", kLanguageNeutral, EncodePropertyList(), {}});
    for (const auto& r : kTypeRecords)
        all.push_back({std::string(r.type), std::to_string(r.id), kLanguageNeutral, EncodeTypeRecord(r), {}});
    for (const auto& t : kLayoutTexts) {
        const fs::path file = fs::absolute(resourcesDir / t.file);
        all.push_back({"LYRA", std::string(t.name), kLanguageNeutral, ReadFile(file), file});
    }
    all.push_back({"16", std::to_string(kVersionId), kLanguageEnglishUS, EncodeVersionRecord(), {}});
    all.push_back({"24", std::to_string(kManifestId), kLanguageEnglishUS, ToBytes(kManifest), {}});
    return all;
}

void WriteSideFiles(const fs::path& resourcesDir, const fs::path& outDir)
{
    const auto all = CollectResources(resourcesDir);
    fs::remove_all(outDir);
    for (const auto& r : all)
        WriteFile(outDir / r.type / r.name, r.bytes);
}

std::string RcString(std::string_view text)
{
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += "\"\"";
        else if (c == '\\')
            quoted += "\\\\";
        else
            quoted += c;
    }
    return quoted + "\"";
}

// Rationale: names and types are written unquoted, because the resource
// compiler joins adjacent quoted strings (even across lines) and upper-cases
// names anyway; only file names are quoted. Every resource, the version
// record among them, comes from a file of its bytes, so the script adds
// nothing of its own.
void WriteResourceScript(const fs::path& resourcesDir, const fs::path& outDir, const fs::path& rcFile)
{
    const auto all = CollectResources(resourcesDir);
    std::ostringstream rc;
    rc << "/* Generated by bt-resgen from ModuleResources.h; do not edit. */\n";
    std::uint16_t language = 0xFFFF;
    for (const auto& r : all) {
        if (r.language != language) {
            language = r.language;
            rc << "LANGUAGE " << (language & 0x3FF) << ", " << (language >> 10) << "\n";
        }
        fs::path file = r.sourceFile;
        if (file.empty()) {
            file = fs::absolute(outDir / (r.type + "_" + r.name + ".bin"));
            WriteFileIfChanged(file, r.bytes);
        }
        rc << r.name << " " << r.type << " " << RcString(file.generic_string()) << "\n";
    }
    WriteFileIfChanged(rcFile, ToBytes(rc.str()));
}

} // namespace

int main(int argc, char** argv)
{
    try {
        const std::vector<std::string> args(argv + 1, argv + argc);
        if (args.size() == 3 && args[0] == "side") {
            WriteSideFiles(args[1], args[2]);
            return 0;
        }
        if (args.size() == 4 && args[0] == "rc") {
            WriteResourceScript(args[1], args[2], args[3]);
            return 0;
        }
        std::fprintf(stderr, "usage: bt-resgen side <resources dir> <out dir>\n"
                             "       bt-resgen rc <resources dir> <out dir> <rc file>\n");
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bt-resgen: %s\n", e.what());
        return 1;
    }
}
