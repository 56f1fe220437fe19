#pragma once
// A delivered picture as an image file a person or a finishing tool opens.
// One row per format (ImageWriter.cpp) holds its names, its depths and its
// encoder: libpng for PNG, which also writes the cICP chunk, and FFmpeg's
// image encoders for the others.
//
// Each format comes in two readings of the picture. The preview is R'G'B'
// in full range as a viewer shows it, out-of-range values clipped. The
// signal keeps every value the module paints, below black and above white,
// in narrow range (0.0 at code 64, 1.0 at 940 of 10 bits); a PNG signal
// names its colour in a cICP chunk.

#include "btmedia/FileFormats.h"
#include "btmedia/FramePreview.h"
#include "btmedia/OutputFile.h"

#include <optional>
#include <string>
#include <string_view>

namespace btmedia {

enum class ImageFormat { Png, Tiff, Dpx };

/// The picture files, as `frame` names them (PNG for "-").
[[nodiscard]] FormatList ImageFormatList();
/// The format a file name's extension asks for, any case; none for another name.
[[nodiscard]] std::optional<ImageFormat> ImageFormatOfName(std::string_view fileName);
/// "PNG", "TIFF", "DPX".
[[nodiscard]] std::string_view ImageFormatName(ImageFormat format);
/// Bits per value the format is written with for the preview or the signal.
[[nodiscard]] int ImageBits(ImageFormat format, RgbRange range);
/// What each format holds the signal in: "a 16-bit PNG with a cICP chunk
/// naming its colour, 16-bit TIFF, 10-bit DPX".
[[nodiscard]] std::string SignalFormatsText();

/// Writes the picture in the format and commits the output. Throws
/// WriteFailed, or std::runtime_error naming the output.
void WriteImage(OutputFile& output, ImageFormat format, const VuyaPicture& picture, const ColourCodes& colour,
                RgbRange range);

} // namespace btmedia
