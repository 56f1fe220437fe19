#pragma once
// The finished files the movie writer makes, and the choices a delivery
// names for them. One row per file kind: its name on the command line, the
// file-name extension that implies it, and what it holds.
//
// Rationale for the kinds:
// - FFV1 in Matroska keeps the picture lossless at 4:4:4. Matroska's PCM has
//   no channel mask, so the sound goes in as FLAC (16 or 24-bit), which is
//   lossless and whose channel assignment declares 5.1.
// - ProRes in QuickTime is what editors take without a second thought; its
//   PCM keeps the layout through the file's channel atom.
// - DNxHR HQX (or DNxHD 10-bit at 1920 x 1080) in MXF OP1a with PCM is the
//   broadcast delivery.
// - MP4 is for looking at: HEVC Main 10 with its HDR description for PQ and
//   HLG clips, H.264 High 8-bit 4:2:0 (which every browser plays) for the
//   rest, both with AAC sound.
// - NUT is written in order, with no seeking back, so that it can go down a
//   pipe to a player or to FFmpeg. Its headers have no colour description
//   or channel layout, so the streams carry them: ProRes, whose frame header
//   names the colour and range (and is light enough for a pipe), and FLAC,
//   whose channel assignment names the layout.
// - The null sink requests every picture and all sound like a real export
//   and drops them: a way to time the module.

#include <optional>
#include <string>
#include <string_view>

namespace btmedia {

enum class MovieFormat {
    Ffv1Matroska,
    ProResQuickTime,
    DnxMxf,
    Mp4Preview,
    NutStream,
    NullSink,
};

struct MovieFormatRow {
    MovieFormat format;
    const char* name;      ///< as --format takes it
    const char* extension; ///< lower case, with the dot; empty: none implies it
};

inline constexpr MovieFormatRow kMovieFormats[] = {
    {MovieFormat::Ffv1Matroska, "ffv1", ".mkv"},
    {MovieFormat::ProResQuickTime, "prores", ".mov"},
    {MovieFormat::DnxMxf, "dnxhr", ".mxf"},
    {MovieFormat::Mp4Preview, "mp4", ".mp4"},
    {MovieFormat::NutStream, "nut", ".nut"},
    {MovieFormat::NullSink, "null", ""},
};

/// The row of a --format name, or none.
[[nodiscard]] std::optional<MovieFormat> FormatNamed(std::string_view name) noexcept;
/// The kind a file name implies by its extension (any case), or none.
[[nodiscard]] std::optional<MovieFormat> FormatOfFileName(std::string_view fileName);
[[nodiscard]] const char* FormatName(MovieFormat format) noexcept;

/// ProRes profiles, in the encoder's order.
enum class ProResProfile { Proxy, Lt, Standard, Hq, P4444, P4444Xq };
/// DNxHR HQX at any size, or DNxHD's 10-bit 4:2:2 family at 1920 x 1080.
enum class DnxProfile { HrHqx, Hd10 };

struct ProfileRow {
    const char* name; ///< as --profile takes it
    int value;        ///< ProResProfile or DnxProfile
    const char* label;
};
inline constexpr ProfileRow kProResProfiles[] = {
    {"proxy", static_cast<int>(ProResProfile::Proxy), "ProRes 422 Proxy"},
    {"lt", static_cast<int>(ProResProfile::Lt), "ProRes 422 LT"},
    {"422", static_cast<int>(ProResProfile::Standard), "ProRes 422"},
    {"hq", static_cast<int>(ProResProfile::Hq), "ProRes 422 HQ"},
    {"4444", static_cast<int>(ProResProfile::P4444), "ProRes 4444"},
    {"4444xq", static_cast<int>(ProResProfile::P4444Xq), "ProRes 4444 XQ"},
};
inline constexpr ProfileRow kDnxProfiles[] = {
    {"hqx", static_cast<int>(DnxProfile::HrHqx), "DNxHR HQX"},
    {"dnxhd", static_cast<int>(DnxProfile::Hd10), "DNxHD"},
};

enum class FieldOrder { Progressive, TopFirst, BottomFirst };

/// PCM sample formats a delivery names.
enum class PcmDepth { S16, S24, F32 };

/// Sound as one track of all channels, or one mono track per channel.
enum class AudioTracks { Multichannel, Mono };

} // namespace btmedia
