// inspect: what the module says about itself before any clip exists.

#include "Commands.h"
#include "Reports.h"
#include "Session.h"
#include "barsandtone/FourCC.h"
#include "barsandtone/PackedBytes.h"
#include "bthost/ModuleResources.h"
#include "bthost/PropertyList.h"

#include <iostream>
#include <memory>
#include <sstream>

namespace btcli {

namespace {

std::vector<std::string> DecodeResource(const bthost::ModuleResource& res)
{
    std::vector<std::string> lines;
    if (res.type == "PIPL") {
        const bthost::PropertyList list = bthost::DecodePropertyList(res.bytes);
        lines.push_back("version " + std::to_string(list.version) + ", " + std::to_string(list.properties.size()) +
                        " properties");
        for (const auto& p : list.properties)
            lines.push_back("'" + bt::FourCCText(p.key) + "' (" + std::to_string(p.data.size()) +
                            " bytes) " + bthost::DescribePropertyValue(p));
    } else if ((res.type == "IMPT" || res.type == "TYPE") && res.bytes.size() == 6) {
        lines.push_back(std::to_string(bt::packed::LoadU16(res.bytes.data(), 0)) + ", '" +
                        bt::FourCCText(bt::packed::LoadU32(res.bytes.data(), 2)) + "'");
    } else if (res.type == "24") {
        // The application manifest: only its execution request matters to a host.
        const std::string all(res.bytes.begin(), res.bytes.end());
        const std::size_t at = all.find("<requestedExecutionLevel");
        if (at != std::string::npos)
            lines.push_back("manifest: " + all.substr(at + 1, all.find('>', at) - at - 1));
    } else if (res.type == "LYRA") {
        // A layout text: its first line names the layout; the identifiers
        // are the controls a host can act on.
        std::istringstream text(std::string(res.bytes.begin(), res.bytes.end()));
        std::string line;
        std::getline(text, line);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        std::string ids;
        const std::string all(res.bytes.begin(), res.bytes.end());
        for (std::size_t at = all.find("identifier:"); at != std::string::npos; at = all.find("identifier:", at + 1)) {
            const std::size_t open = all.find('\'', at);
            const std::size_t close = open == std::string::npos ? open : all.find('\'', open + 1);
            if (close == std::string::npos)
                break;
            ids += (ids.empty() ? "" : ", ") + all.substr(open + 1, close - open - 1);
        }
        if (!ids.empty())
            lines.push_back("controls: " + ids);
    }
    return lines;
}

struct InspectOptions {
    bool json = false;
};

int RunInspect(const CommonOptions& common, const InspectOptions& options)
{
    Session session(common);
    ModuleReport report;
    report.modulePath = session.Host().ModulePath();
    report.description = session.Description();
    report.startupResult = session.StartupResult();
    report.startupFileType = bt::packed::LoadU32(session.StartupRecord().data(), 0);
    report.fileTypes = session.FileTypes();
    try {
        const auto resources = bthost::ModuleResources::Load(report.modulePath);
        for (const auto& res : resources.All()) {
            ResourceReport r{res.type, res.name, res.bytes.size(), {}};
            try {
                r.lines = DecodeResource(res);
            } catch (const std::exception& e) {
                r.lines = {std::string("cannot be decoded: ") + e.what()};
            }
            report.resources.push_back(std::move(r));
        }
    } catch (const std::exception& e) {
        report.resourceError = e.what();
    }
    if (options.json)
        std::cout << ModuleReportJson(report);
    else
        PrintModuleReport(std::cout, report);
    return kExitDone;
}

CommandRun DeclareInspect(Flags& flags)
{
    auto options = std::make_shared<InspectOptions>();
    flags.Switch("--json", options->json, "Print JSON");
    return [options](const CommonOptions& common) { return RunInspect(common, *options); };
}

} // namespace

const Command kInspectCommand{"inspect", "Describe the module: its description, file types, resources", DeclareInspect};

} // namespace btcli
