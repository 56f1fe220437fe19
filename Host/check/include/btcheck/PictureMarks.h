#pragma once
// A picture of what a check measured: the file's first checked picture as
// 8-bit R'G'B', each region's measured area outlined in green (within
// tolerance) or red, with its deviation in codes written inside.

#include "btcheck/Findings.h"

#include <string>

namespace btcheck {

/// Reads the picture again from `file`; throws ReadError, or
/// std::runtime_error when the PNG cannot be written.
void WritePictureMarks(const std::string& file, const CheckReport& report, const std::string& pngPath);

} // namespace btcheck
