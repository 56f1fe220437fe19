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

std::string VersionText(const std::uint16_t (&v)[4], const char* separator)
{
    return std::to_string(v[0]) + separator + std::to_string(v[1]) + separator + std::to_string(v[2]) + separator +
           std::to_string(v[3]);
}

// Rationale: names and types are written unquoted, because the resource
// compiler joins adjacent quoted strings (even across lines) and upper-cases
// names anyway; only file names and version texts are quoted.
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

    const auto& v = kVersion;
    rc << "LANGUAGE " << (kLanguageEnglishUS & 0x3FF) << ", " << (kLanguageEnglishUS >> 10) << "\n"
       << "1 VERSIONINFO\n"
       << "FILEVERSION " << VersionText(v.version, ",") << "\n"
       << "PRODUCTVERSION " << VersionText(v.version, ",") << "\n"
       << "FILEFLAGSMASK 0x3F\n"
       << "FILEFLAGS 0x0\n"
       << "FILEOS 0x40004\n" // Windows NT, 32-bit API
       << "FILETYPE 0x2\n"   // a dynamic library
       << "FILESUBTYPE 0x0\n"
       << "BEGIN\n"
       << "  BLOCK \"StringFileInfo\"\n"
       << "  BEGIN\n"
       << "    BLOCK \"040904B0\"\n" // 1033, Unicode
       << "    BEGIN\n"
       << "      VALUE \"CompanyName\", " << RcString(v.companyName) << "\n"
       << "      VALUE \"FileDescription\", " << RcString(v.fileDescription) << "\n"
       << "      VALUE \"FileVersion\", " << RcString(VersionText(v.version, ".")) << "\n"
       << "      VALUE \"InternalName\", " << RcString(v.internalName) << "\n"
       << "      VALUE \"OriginalFilename\", " << RcString(v.originalFilename) << "\n"
       << "      VALUE \"ProductName\", " << RcString(v.productName) << "\n"
       << "      VALUE \"ProductVersion\", " << RcString(VersionText(v.version, ".")) << "\n"
       << "    END\n"
       << "  END\n"
       << "  BLOCK \"VarFileInfo\"\n"
       << "  BEGIN\n"
       << "    VALUE \"Translation\", 0x409, 1200\n"
       << "  END\n"
       << "END\n";
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
