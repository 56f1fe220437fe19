#pragma once
// A clip file: what a host stores for one bars clip, readable by a person.
// It holds the clip's name, its file type and the module's 72-byte settings
// record byte for byte (as hexadecimal text); the decoded fields beside the
// bytes are there for people and must agree with the bytes when present.
//
//   {
//     "format": "barsandtone clip",
//     "formatVersion": 1,
//     "name": "Bars and Tone - Rec 709",
//     "fileType": "BARS",
//     "settings": ["02 00 00 00 00 80 3B 47", ... nine rows of eight bytes],
//     "summary": "1920 x 1080, 29.970 fps, Rec. 709; ...",
//     "decoded": { "version": 2, "audioFrameRate": 48000.0, ... }
//   }
//
// Rationale: the bytes are what the module reads back, so they are the truth;
// a decoded field that disagrees means the file was edited by hand in the
// wrong place, and the reader says so instead of guessing which one was meant.

#include "SettingsRecord.h"

#include "ImporterBarsAndTone/ImporterAbi.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace btmedia {
class OutputFile;
}

namespace btcli {

struct ClipFile {
    std::string name;                   ///< UTF-8
    std::uint32_t fileType = BT_FILETYPE_BARS;
    SettingsBytes settings{};
};

/// A clip file that cannot be read, or whose clip cannot be used; the message
/// says what and where.
class ClipFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

[[nodiscard]] std::string FormatClipFile(const ClipFile& clip);
/// Throws ClipFileError.
[[nodiscard]] ClipFile ParseClipFile(std::string_view text);

/// Reads a clip file and judges its clip as every clip is judged
/// (ClipRules.h); throws ClipFileError naming the path.
[[nodiscard]] ClipFile LoadClipFile(const std::string& path);

/// Writes the clip file into `output` and commits it.
void SaveClipFile(btmedia::OutputFile& output, const ClipFile& clip);

} // namespace btcli
