// describe: what the module tells a host about a clip.

#include "Commands.h"
#include "Reports.h"
#include "Session.h"
#include "bthost/PictureRequests.h"

#include <iostream>

namespace btcli {

int RunDescribe(const CommonOptions& common, const DescribeOptions& options)
{
    ClipReport report;
    report.clipPath = options.clip;
    report.clip = LoadClipFile(options.clip);
    Session session(common);
    OpenClip clip(session, report.clip);
    report.description = clip.Description();
    const auto format = bthost::RequestPixelFormat(session.Host(), clip.PerFile());
    report.pixelFormatResult = format.result;
    report.pixelFormat = format.pixelFormat;
    const auto colour = bthost::RequestColourDescription(session.Host(), clip.PerFile());
    report.colour = {colour.result,   colour.kind,          colour.primaries, colour.transfer,
                     colour.matrix,   colour.encodingDepth, colour.flag64,    colour.flag68};
    if (options.json)
        std::cout << ClipReportJson(report);
    else
        PrintClipReport(std::cout, report);
    return 0;
}

} // namespace btcli
