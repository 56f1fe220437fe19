#pragma once
// A picture of what a check measured: the file's first checked picture as
// 8-bit R'G'B', each region's measured area outlined in green (within
// tolerance) or red, with its deviation in codes written inside.

#include "btcheck/Findings.h"
#include "btmedia/OutputFile.h"

#include <string>

namespace btcheck {

/// Reads the picture again from `file` and writes the PNG into `output`,
/// committed when complete. Throws ReadError, or what the PNG writer throws.
void WritePictureMarks(const std::string& file, const CheckReport& report, btmedia::OutputFile& output);

} // namespace btcheck
