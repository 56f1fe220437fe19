#pragma once
// A check's report: lines for a person, or JSON for a program.

#include "btcheck/Findings.h"

#include <string>

namespace btcheck {

/// One line per finding, "ok" for what is right and "FAIL" for what is
/// wrong, each with its numbers; the verdict last.
[[nodiscard]] std::string ReportText(const CheckReport& report);

/// One line: {"verdict": "pass"|"fail", "picture": {..., "faults": [...]},
///  "sound": {..., "faults": [...]}, "file": {..., "faults": [...]}}
[[nodiscard]] std::string ReportJson(const CheckReport& report);

} // namespace btcheck
