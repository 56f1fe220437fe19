// The JSON of the program's own files and reports: the clip file, and what
// describe and inspect print. The JSON library is slow to compile, so these
// stay in this one file (check's report writes its own, in Host/check).

#include "ClipFile.h"
#include "Reports.h"
#include "barsandtone/FourCC.h"

#include <nlohmann/json.hpp>

#include <cctype>

namespace btcli {

using Json = nlohmann::ordered_json;

namespace {

constexpr const char* kFormatName = "barsandtone clip";
constexpr int kFormatVersion = 1;

/// The record's bytes as rows of eight, as clip files keep them.
Json SettingsRows(const SettingsBytes& bytes)
{
    Json rows = Json::array();
    for (std::size_t at = 0; at < bytes.size(); at += 8)
        rows.push_back(HexBytes(bytes, at, 8));
    return rows;
}

Json DecodedFields(const SettingsFields& f)
{
    return Json{{"version", f.version},
                {"audioFrameRate", f.audioFrameRate},
                {"audioChannelType", f.audioChannelType},
                {"audioChannelCount", f.audioChannelCount},
                {"identifyChannels", f.identifyChannels},
                {"frequency", f.frequency},
                {"amplitude", f.amplitude},
                {"identifierFormat", f.identifierFormat},
                {"frameWidth", f.frameWidth},
                {"frameHeight", f.frameHeight},
                {"par", {f.parNumerator, f.parDenominator}},
                {"videoFrameRate", f.videoFrameRate},
                {"dropFrame", f.dropFrame},
                {"colorSpaceType", f.colorSpaceType},
                {"preset", f.preset}};
}

[[noreturn]] void Fail(const std::string& message) { throw ClipFileError(message); }

SettingsBytes ParseSettings(const Json& settings)
{
    std::string hex;
    if (settings.is_string()) {
        hex = settings.get<std::string>();
    } else if (settings.is_array()) {
        for (const Json& row : settings) {
            if (!row.is_string())
                Fail("\"settings\" rows must be texts of hexadecimal bytes");
            hex += row.get<std::string>() + ' ';
        }
    } else {
        Fail("\"settings\" must be hexadecimal bytes (a text or a list of texts)");
    }
    std::vector<std::uint8_t> bytes;
    int pending = -1;
    for (char c : hex) {
        if (std::isspace(static_cast<unsigned char>(c)))
            continue;
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            Fail(std::string("\"settings\" holds '") + c + "', which is not a hexadecimal digit");
        const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                                                                       : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
        if (pending < 0) {
            pending = digit;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(pending * 16 + digit));
            pending = -1;
        }
    }
    if (pending >= 0)
        Fail("\"settings\" ends in the middle of a byte (an odd number of hexadecimal digits)");
    if (bytes.size() != kSettingsSize)
        Fail("\"settings\" holds " + std::to_string(bytes.size()) + " bytes; a clip's settings record is " +
             std::to_string(kSettingsSize));
    SettingsBytes out{};
    std::copy(bytes.begin(), bytes.end(), out.begin());
    return out;
}

void CheckDecoded(const Json& decoded, const SettingsBytes& bytes)
{
    if (!decoded.is_object())
        Fail("\"decoded\" must be an object of fields");
    const Json truth = DecodedFields(DecodeSettings(bytes));
    for (const auto& [key, value] : decoded.items()) {
        if (!truth.contains(key))
            Fail("\"decoded\" has a field \"" + key + "\" that a settings record does not have");
        const Json& expected = truth.at(key);
        bool same = false;
        if (expected.is_array())
            same = value == expected;
        else if (value.is_number())
            same = value.get<double>() == expected.get<double>();
        if (!same)
            Fail("\"decoded\"." + key + " says " + value.dump() + " but the settings bytes hold " + expected.dump() +
                 "; the bytes are what the clip uses: change them, or remove the decoded field");
    }
}

} // namespace

std::string FormatClipFile(const ClipFile& clip)
{
    const SettingsFields fields = DecodeSettings(clip.settings);
    Json doc{{"format", kFormatName},
             {"formatVersion", kFormatVersion},
             {"name", clip.name},
             {"fileType", bt::FourCCText(clip.fileType)},
             {"settings", SettingsRows(clip.settings)},
             {"summary", SettingsSummary(fields)},
             {"decoded", DecodedFields(fields)}};
    return doc.dump(2) + "\n";
}

ClipFile ParseClipFile(std::string_view text)
{
    Json doc;
    try {
        doc = Json::parse(text.begin(), text.end());
    } catch (const Json::exception& e) { // a syntax error, or a number beyond a double (1E888)
        std::string what = e.what();
        const auto colon = what.find("parse error");
        Fail("not JSON: " + (colon == std::string::npos ? what : what.substr(colon)));
    }
    if (!doc.is_object() || !doc.contains("format") || doc["format"] != kFormatName)
        Fail(std::string("not a clip file: it lacks \"format\": \"") + kFormatName + "\"");
    if (!doc.contains("formatVersion") || !doc["formatVersion"].is_number_integer())
        Fail("\"formatVersion\" is missing");
    if (doc["formatVersion"].get<std::int64_t>() != kFormatVersion)
        Fail("clip file format version " + doc["formatVersion"].dump() + " is not one this program reads (it reads " +
             std::to_string(kFormatVersion) + ")");
    ClipFile clip;
    if (!doc.contains("name") || !doc["name"].is_string())
        Fail("\"name\" is missing or not a text");
    clip.name = doc["name"].get<std::string>();
    if (doc.contains("fileType")) {
        const Json& type = doc["fileType"];
        if (type == bt::FourCCText(BT_FILETYPE_BARS))
            clip.fileType = BT_FILETYPE_BARS;
        else if (type == bt::FourCCText(BT_FILETYPE_HDBR))
            clip.fileType = BT_FILETYPE_HDBR;
        else
            Fail("\"fileType\" is " + type.dump() + "; a bars clip is \"BARS\" or \"HDBR\"");
    }
    if (!doc.contains("settings"))
        Fail("\"settings\" is missing");
    clip.settings = ParseSettings(doc["settings"]);
    if (doc.contains("decoded"))
        CheckDecoded(doc["decoded"], clip.settings);
    return clip;
}

std::string ClipReportJson(const ClipReport& r, bool raw)
{
    const bthost::ClipDescription& d = r.description;
    Json doc{{"clip", {{"path", r.clipPath}, {"name", r.clip.name}, {"fileType", bt::FourCCText(r.clip.fileType)}}},
             {"settings", DecodedFields(DecodeSettings(r.clip.settings))},
             {"clipInfo",
              {{"width", d.width},
               {"height", d.height},
               {"par", {d.parNumerator, d.parDenominator}},
               {"frameDuration", d.frameDuration},
               {"framesPerSecond", FramesPerSecond(d.frameDuration)},
               {"audioChannels", d.audioChannels},
               {"audioRate", d.audioRate},
               {"audioSamples", d.audioSamples},
               {"colorManaged", d.colorManaged}}},
             {"pixelFormat", {{"result", r.pixelFormat.result}, {"code", r.pixelFormat.pixelFormat}}},
             {"colorDescription",
              {{"result", r.colour.result},
               {"kind", r.colour.kind},
               {"primaries", r.colour.primaries},
               {"transfer", r.colour.transfer},
               {"matrix", r.colour.matrix},
               {"encodingDepth", r.colour.encodingDepth},
               {"flag64", r.colour.flag64},
               {"flag68", r.colour.flag68}}}};
    if (raw)
        doc["settingsRecord"] = SettingsRows(r.clip.settings);
    return doc.dump(2) + "\n";
}

std::string ModuleReportJson(const ModuleReport& r)
{
    const bthost::PluginDescription& d = r.description;
    Json types = Json::array();
    for (std::uint32_t t : r.fileTypes)
        types.push_back(bt::FourCCText(t));
    Json resources = Json::array();
    for (const ResourceReport& res : r.resources)
        resources.push_back({{"type", res.type}, {"name", res.name}, {"size", res.size}, {"decoded", res.lines}});
    Json doc{{"module", r.modulePath},
             {"describe",
              {{"result", d.result},
               {"displayName", d.displayName},
               {"matchName", d.matchName},
               {"category", d.category},
               {"empty", d.empty},
               {"kind", bt::FourCCText(d.kind)},
               {"numbers", {d.a, d.b, d.c}}}},
             {"startup", {{"result", r.startupResult}, {"fileType", bt::FourCCText(r.startupFileType)}}},
             {"fileTypes", types},
             {"resources", resources}};
    if (!r.resourceError.empty())
        doc["resourceError"] = r.resourceError;
    return doc.dump(2) + "\n";
}

} // namespace btcli
