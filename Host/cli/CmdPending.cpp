#include "Commands.h"
#include <stdexcept>
namespace btcli {
int RunNew(const CommonOptions&, const NewOptions&) { throw std::runtime_error("pending"); }
int RunDescribe(const CommonOptions&, const DescribeOptions&) { throw std::runtime_error("pending"); }
int RunFrame(const CommonOptions&, const FrameOptions&) { throw std::runtime_error("pending"); }
int RunTone(const CommonOptions&, const ToneOptions&) { throw std::runtime_error("pending"); }
int RunLevels(const CommonOptions&, const LevelsOptions&) { throw std::runtime_error("pending"); }
int RunExport(const CommonOptions&, const ExportOptions&) { throw std::runtime_error("pending"); }
int RunDemo(const CommonOptions&, const std::string&) { throw std::runtime_error("pending"); }
}
