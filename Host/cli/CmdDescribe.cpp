// describe: what the module tells a host about a clip.

#include "ClipOutputs.h"
#include "Commands.h"
#include "Reports.h"
#include "Session.h"

#include <iostream>
#include <memory>

namespace btcli {

ClipReport MakeClipReport(Session& session, const OpenClip& clip, const std::string& clipPath)
{
    ClipReport report;
    report.clipPath = clipPath;
    report.clip = clip.File();
    report.description = clip.Description();
    report.pixelFormat = bthost::RequestPixelFormat(session.Host(), clip.PerFile());
    report.colour = bthost::RequestColourDescription(session.Host(), clip.PerFile());
    return report;
}

namespace {

struct DescribeOptions {
    std::string clip;
    bool json = false;
    bool raw = false; ///< also the settings record as stored: its bytes and every field
};

int RunDescribe(const CommonOptions& common, const DescribeOptions& options)
{
    const ClipFile file = LoadClipFile(options.clip);
    Session session(common);
    OpenClip clip(session, file);
    const ClipReport report = MakeClipReport(session, clip, options.clip);
    if (options.json)
        std::cout << ClipReportJson(report, options.raw);
    else
        PrintClipReport(std::cout, report, options.raw);
    return kExitDone;
}

CommandRun DeclareDescribe(Flags& flags)
{
    auto options = std::make_shared<DescribeOptions>();
    flags.Option("clip", options->clip, "Clip file").Required().ExistingFile();
    flags.Switch("--json", options->json, "Print JSON");
    flags.Switch("--raw", options->raw,
                 "Also the clip's 72-byte settings record as the host stores it: its bytes and every field");
    return [options](const CommonOptions& common) { return RunDescribe(common, *options); };
}

} // namespace

const Command kDescribeCommand{"describe", "Say what the module tells a host about a clip", DeclareDescribe};

} // namespace btcli
