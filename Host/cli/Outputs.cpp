// What every command's outputs share: the rules they are resolved under and
// where the tool's own reports go.

#include "ClipOutputs.h"

#include <iostream>

namespace btcli {

btmedia::OutputRules OutputRulesFor(const CommonOptions& common, std::vector<std::string> inputs)
{
    inputs.push_back(ModulePathFor(common));
    std::erase(inputs, std::string());
    return {common.overwrite, std::move(inputs)};
}

CommonOptions ReportingBeside(CommonOptions common, const std::string& output)
{
    if (output == "-")
        common.reportOnStandardError = true;
    return common;
}

void Say(const CommonOptions& common, const std::string& text)
{
    if (!common.quiet)
        (common.reportOnStandardError ? std::cerr : std::cout) << text << "\n";
}

} // namespace btcli
