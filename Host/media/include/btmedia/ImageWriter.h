#pragma once
// A delivered picture as an image file a person or a finishing tool opens:
// PNG (libpng), 16-bit TIFF and 10-bit DPX (FFmpeg's image encoders).
//
// Each format comes in two readings of the picture. The preview is R'G'B'
// in full range as a viewer shows it, out-of-range values clipped; it is an
// 8-bit PNG, a 16-bit TIFF or a 10-bit DPX. The signal keeps every value the
// module paints, below black and above white, in narrow range; it is a
// 16-bit PNG with a cICP chunk naming its colour, a 16-bit TIFF or a 10-bit
// DPX (0.0 at code 64, 1.0 at 940).

#include "btmedia/FramePreview.h"
#include "btmedia/OutputFile.h"

#include <optional>
#include <string_view>

namespace btmedia {

enum class ImageFormat { Png, Tiff, Dpx };

/// The format a file name's extension asks for, any case: .png, .tif,
/// .tiff, .dpx; none for another name.
[[nodiscard]] std::optional<ImageFormat> ImageFormatOfName(std::string_view fileName);
/// The format named "png", "tiff" or "dpx", any case; none otherwise.
[[nodiscard]] std::optional<ImageFormat> ImageFormatNamed(std::string_view name);
/// "PNG", "TIFF", "DPX".
[[nodiscard]] std::string_view ImageFormatName(ImageFormat format) noexcept;
/// Bits per value the format is written with for the preview or the signal.
[[nodiscard]] int ImageBits(ImageFormat format, RgbRange range) noexcept;

/// Writes the picture in the format and commits the output. Throws
/// WriteFailed, or std::runtime_error naming the output.
void WriteImage(OutputFile& output, ImageFormat format, const VuyaPicture& picture, const ColourCodes& colour,
                RgbRange range);

} // namespace btmedia
