#pragma once
// Where layout scripts come from: the host's provider when it installed one,
// else the module's resources.

#include "zellyrafactory/ResourceModule.h"

#include <optional>
#include <string>

namespace zellyrafactory::detail {

/// The bytes of resource LYRA/<resourceName> of the module; nullopt when
/// there is no such resource (or no module, or an empty name).
[[nodiscard]] std::optional<std::string> ReadLayoutResource(const ResourceModule& module,
                                                            const std::string& resourceName);

} // namespace zellyrafactory::detail
