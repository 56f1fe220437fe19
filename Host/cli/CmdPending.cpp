// Commands whose host pieces (the module's sound and its settings dialog) are
// not part of this build yet.

#include "Commands.h"

#include <stdexcept>

namespace btcli {

namespace {
[[noreturn]] void NotYet(const char* what)
{
    throw std::runtime_error(std::string(what) + " is not available in this build yet");
}
} // namespace

int RunNew(const CommonOptions&, const NewOptions&) { NotYet("new"); }
int RunTone(const CommonOptions&, const ToneOptions&) { NotYet("tone"); }
int RunLevels(const CommonOptions&, const LevelsOptions&) { NotYet("levels"); }
int RunExport(const CommonOptions&, const ExportOptions&) { NotYet("export"); }
int RunDemo(const CommonOptions&, const std::string&) { NotYet("the default job"); }

} // namespace btcli
