#pragma once
// What the tool prints about a clip and about the module, as text for a
// person or as JSON for a program.

#include "ClipFile.h"
#include "SettingsRecord.h"
#include "bthost/ClipDescription.h"
#include "bthost/Host.h"
#include "bthost/PictureRequests.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace btcli {

struct ClipReport {
    std::string clipPath;
    ClipFile clip;
    bthost::ClipDescription description;   ///< selector 37
    bthost::PixelFormatAnswer pixelFormat; ///< selector 27
    bthost::ColourDescription colour;      ///< selector 73
};

struct ResourceReport {
    std::string type;
    std::string name;
    std::size_t size = 0;
    std::vector<std::string> lines; ///< decoded content, one item per line
};

struct ModuleReport {
    std::string modulePath;
    bthost::PluginDescription description;
    std::int32_t startupResult = 0;
    std::uint32_t startupFileType = 0;
    std::vector<std::uint32_t> fileTypes;
    std::vector<ResourceReport> resources;
    std::string resourceError; ///< when the resources could not be read
};

// Names for people; a code the tables do not know reads "code N".
[[nodiscard]] std::string PrimariesName(std::uint32_t code);
[[nodiscard]] std::string TransferName(std::uint32_t code);
[[nodiscard]] std::string MatrixName(std::uint32_t code);
[[nodiscard]] std::string HostPixelFormatName(std::uint32_t code);
/// A module's result code by its meaning: "success", "start-up answer".
[[nodiscard]] std::string ResultName(std::int32_t code);

/// `raw` adds the settings record as stored: its bytes and every field.
void PrintClipReport(std::ostream& out, const ClipReport& report, bool raw = false);
[[nodiscard]] std::string ClipReportJson(const ClipReport& report, bool raw = false); // Json.cpp
void PrintModuleReport(std::ostream& out, const ModuleReport& report);
[[nodiscard]] std::string ModuleReportJson(const ModuleReport& report); // Json.cpp

} // namespace btcli
