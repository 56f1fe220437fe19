// new: a clip file, made through the module's new-clip dialog from the
// recipe's flags (ClipRecipe.h).

#include "ClipOutputs.h"
#include "Commands.h"
#include "CommonFlags.h"
#include "Session.h"

#include <memory>

namespace btcli {

namespace {

struct NewOptions {
    std::string output;
    ClipRecipe recipe;
};

int RunNew(const CommonOptions& programOptions, const NewOptions& options)
{
    const CommonOptions common = ReportingBeside(programOptions, options.output);
    btmedia::OutputFile output(options.output, OutputRulesFor(common, {}));
    Session session(common);
    const ClipFile clip = CreateClip(session, options.recipe);
    SaveClipFile(output, clip);
    Say(common, "wrote " + options.output + ": \"" + clip.name + "\", " +
                    SettingsSummary(DecodeSettings(clip.settings)));
    return kExitDone;
}

CommandRun DeclareNew(Flags& flags)
{
    auto options = std::make_shared<NewOptions>();
    AddOutput(flags, options->output, "Clip file to write").Required();
    AddRecipeFlags(flags, options->recipe);
    return [options](const CommonOptions& common) { return RunNew(common, *options); };
}

} // namespace

const Command kNewCommand{"new", "Create a clip file through the module's new-clip dialog", DeclareNew};

} // namespace btcli
