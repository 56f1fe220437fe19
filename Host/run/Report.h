#pragma once
// Readable text for what the host learnt from the module.

#include "bthost/ClipDescription.h"
#include "bthost/Host.h"

#include <cstdint>
#include <iosfwd>
#include <string>

namespace btrun {

[[nodiscard]] std::string FourCC(std::uint32_t code);
void PrintDescription(std::ostream& out, const bthost::PluginDescription& d);
void PrintClip(std::ostream& out, const bthost::ClipDescription& clip);

} // namespace btrun
