// describe: what the module tells a host about a clip.

#include "ClipOutputs.h"
#include "Commands.h"
#include "Reports.h"
#include "Session.h"

#include <iostream>

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
    return 0;
}

} // namespace btcli
