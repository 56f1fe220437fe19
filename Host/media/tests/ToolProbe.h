#pragma once
// Test helper: what FFmpeg's command-line tools and MediaInfo say of a file,
// as a person checking a delivery would ask them.

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace btmedia::probe {

/// `ffprobe -of json` with these arguments (default: streams and format).
/// Throws std::runtime_error when it fails.
nlohmann::json Ffprobe(const std::string& path, const std::string& arguments = "-show_streams -show_format");
/// The first MediaInfo track of a type ("General", "Video", "Audio", "Other"),
/// from `mediainfo --Output=JSON`.
nlohmann::json MediaInfoTrack(const std::string& path, const std::string& type);
/// `ffmpeg -f framemd5` of the picture stream: one line per decoded frame
/// (time, duration, size, checksum).
std::vector<std::string> PictureChecksums(const std::string& path);

/// What `ffmpeg -xerror` says decoding every stream of the file, and its exit
/// status when it fails; empty when it decodes without a word.
std::string DecodingErrors(const std::string& path);

/// Where a packet lies in a file and the time it covers.
struct PacketPlace {
    int stream = 0;
    long long position = 0; ///< bytes from the file's start
    double start = 0;       ///< seconds
    double end = 0;
};
/// Every packet with a position, as ffprobe reads them.
std::vector<PacketPlace> PacketPlaces(const std::string& path);

} // namespace btmedia::probe
