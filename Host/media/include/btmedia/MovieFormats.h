#pragma once
// The finished files the movie writer makes: one row per kind, holding
// everything that differs between two kinds (its names, FFmpeg's muxer,
// whether it must seek, its picture codings and its sound codings, its line
// in the help), in FFmpeg's own names for muxers, encoders and pixel and
// sample formats. What is not a field is a rule of a codec, in the code that
// opens its encoder.
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

#include "btmedia/FileFormats.h"
#include "btmedia/SampleFormat.h"

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace btmedia {

enum class MovieFormat {
    Ffv1Matroska,
    ProResQuickTime,
    DnxMxf,
    Mp4Preview,
    NutStream,
    NullSink,
};

/// The codec of a picture coding, for the rules it brings beyond its row
/// (sizes, field orders, bit rates, the HDR description).
enum class PictureCodec { None, Ffv1, ProRes, DnxHr, DnxHd, H264, Hevc };

/// The clips a coding is for.
enum class Dynamic { Any, Standard, High };

struct EncoderOption {
    const char* key = nullptr; ///< FFmpeg's name of the encoder's option; null: unused
    const char* value = nullptr;
};

/// One way of coding a movie's picture: an encoder and its settings.
struct PictureCoding {
    const char* profile;  ///< as --profile names it; empty: chosen by the clip
    const char* label;    ///< "ProRes 422 HQ"
    PictureCodec codec;
    const char* encoder;  ///< FFmpeg's encoder; empty: none (the null sink)
    const char* pixels;   ///< FFmpeg's pixel format: planes, chroma siting and depth
    std::array<EncoderOption, 4> options;
    const char* codecTag; ///< the stream's code in the container; empty: the muxer's own
    Dynamic dynamic;
    bool intraOnly;       ///< every packet decodes on its own, so a packet may be written again
};

/// A kind's picture codings: chosen by --profile, else the default, else the
/// first whose dynamic range suits the clip.
struct PictureCodings {
    const char* family; ///< what --profile chooses among: "ProRes"
    std::span<const PictureCoding> codings;
    const char* defaultProfile; ///< empty: none
};

/// One way of coding a movie's sound.
struct SoundCoding {
    std::optional<SampleFormat> samples; ///< what --pcm names; none: not chosen (a lossy codec)
    const char* codec;         ///< "FLAC", "PCM"
    const char* encoder;       ///< FFmpeg's encoder
    const char* sampleFormat;  ///< FFmpeg's sample format the encoder takes
    int bitRatePerChannel = 0; ///< bits per second of a lossy codec; 0: none
};

// clang-format off
inline constexpr PictureCoding kFfv1[] = {
    // The range coder is the only one above 8 bits; slices with checksums
    // decode in parallel and show damage.
    {"", "FFV1", PictureCodec::Ffv1, "ffv1", "yuv444p10le",
     {{{"level", "3"}, {"coder", "1"}, {"slicecrc", "1"}, {"slices", "4"}}}, "", Dynamic::Any, true},
};

inline constexpr PictureCoding kProRes[] = {
    {"proxy", "ProRes 422 Proxy", PictureCodec::ProRes, "prores_ks", "yuv422p10le", {{{"profile", "proxy"}, {"vendor", "apl0"}}}, "", Dynamic::Any, true},
    {"lt", "ProRes 422 LT", PictureCodec::ProRes, "prores_ks", "yuv422p10le", {{{"profile", "lt"}, {"vendor", "apl0"}}}, "", Dynamic::Any, true},
    {"422", "ProRes 422", PictureCodec::ProRes, "prores_ks", "yuv422p10le", {{{"profile", "standard"}, {"vendor", "apl0"}}}, "", Dynamic::Any, true},
    {"hq", "ProRes 422 HQ", PictureCodec::ProRes, "prores_ks", "yuv422p10le", {{{"profile", "hq"}, {"vendor", "apl0"}}}, "", Dynamic::Any, true},
    {"4444", "ProRes 4444", PictureCodec::ProRes, "prores_ks", "yuv444p10le", {{{"profile", "4444"}, {"vendor", "apl0"}}}, "", Dynamic::Any, true},
    {"4444xq", "ProRes 4444 XQ", PictureCodec::ProRes, "prores_ks", "yuv444p10le", {{{"profile", "4444xq"}, {"vendor", "apl0"}}}, "", Dynamic::Any, true},
};

inline constexpr PictureCoding kDnx[] = {
    {"hqx", "DNxHR HQX", PictureCodec::DnxHr, "dnxhd", "yuv422p10le", {{{"profile", "dnxhr_hqx"}}}, "", Dynamic::Any, true},
    {"dnxhd", "DNxHD", PictureCodec::DnxHd, "dnxhd", "yuv422p10le", {{{"profile", "dnxhd"}}}, "", Dynamic::Any, true},
};

inline constexpr PictureCoding kPreview[] = {
    {"", "H.264 High", PictureCodec::H264, "libx264", "yuv420p",
     {{{"preset", "fast"}, {"profile", "high"}}}, "", Dynamic::Standard, false},
    // x265 reports to the terminal itself unless told otherwise; players that
    // follow Apple's rules want the parameter sets out of band (hvc1).
    {"", "HEVC Main 10", PictureCodec::Hevc, "libx265", "yuv420p10le",
     {{{"preset", "fast"}, {"profile", "main10"}, {"x265-params", "log-level=error"}}}, "hvc1", Dynamic::High, false},
};

/// The null sink's pictures: every code the module paints, as a file export converts them.
inline constexpr PictureCoding kUncoded[] = {
    {"", "", PictureCodec::None, "", "yuv444p10le", {}, "", Dynamic::Any, false},
};

inline constexpr SoundCoding kLosslessSound[] = {
    {SampleFormat::Int16, "FLAC", "flac", "s16"},
    {SampleFormat::Int24, "FLAC", "flac", "s32"},
    {SampleFormat::Float32, "PCM", "pcm_f32le", "flt"},
};

inline constexpr SoundCoding kPcmSound[] = {
    {SampleFormat::Int16, "PCM", "pcm_s16le", "s16"},
    {SampleFormat::Int24, "PCM", "pcm_s24le", "s32"},
    {SampleFormat::Float32, "PCM", "pcm_f32le", "flt"},
};

inline constexpr SoundCoding kAacSound[] = {
    {std::nullopt, "AAC", "aac", "fltp", 96000},
};
// clang-format on

inline constexpr PictureCodings kFfv1Pictures{"FFV1", kFfv1, ""};
inline constexpr PictureCodings kProResPictures{"ProRes", kProRes, "hq"};
inline constexpr PictureCodings kDnxPictures{"DNx", kDnx, "hqx"};
inline constexpr PictureCodings kPreviewPictures{"MP4", kPreview, ""};
inline constexpr PictureCodings kUncodedPictures{"", kUncoded, ""};

struct MovieFormatRow {
    MovieFormat format;
    FormatNames names;
    const char* muxer; ///< FFmpeg's; empty: nothing is written
    bool seeks;        ///< goes back to finish its file, so never down a pipe
    const PictureCodings& picture;
    std::span<const SoundCoding> sound;
    const char* help;  ///< its line in export's help; empty: not listed there
};

// clang-format off
inline constexpr MovieFormatRow kMovieFormats[] = {
    {MovieFormat::Ffv1Matroska, {"ffv1", "Matroska", {".mkv", ""}}, "matroska", false, kFfv1Pictures, kLosslessSound,
     "FFV1 10-bit 4:4:4, FLAC (lossless)"},
    {MovieFormat::ProResQuickTime, {"prores", "QuickTime", {".mov", ""}}, "mov", true, kProResPictures, kPcmSound,
     "ProRes 422 HQ (or --profile), PCM, QuickTime timecode track"},
    // MXF carries 16 and 24-bit PCM only.
    {MovieFormat::DnxMxf, {"dnxhr", "MXF OP1a", {".mxf", ""}}, "mxf", true, kDnxPictures, std::span(kPcmSound).first<2>(),
     "MXF OP1a: DNxHR HQX 10-bit 4:2:2 (or --profile dnxhd at 1920x1080), PCM"},
    {MovieFormat::Mp4Preview, {"mp4", "MP4", {".mp4", ""}}, "mp4", true, kPreviewPictures, kAacSound,
     "HEVC Main 10 for HLG and PQ (with HDR10 metadata), H.264 High for SDR; AAC"},
    {MovieFormat::NutStream, {"nut", "NUT", {".nut", ""}}, "nut", false, kProResPictures, kLosslessSound,
     "ProRes (as .mov) and FLAC in NUT, what -o - writes for pipes:\n"
     "barsandtone export clip.json -o - | ffplay -"},
    {MovieFormat::NullSink, {"null", "null sink", {"", ""}}, "", false, kUncodedPictures, {}, ""},
};
// clang-format on

/// What "-" carries.
inline constexpr MovieFormat kStandardOutputMovie = MovieFormat::NutStream;
/// The samples of a kind that has a choice, unless --pcm names one.
inline constexpr SampleFormat kDefaultMovieSamples = SampleFormat::Int24;

[[nodiscard]] const MovieFormatRow& RowOf(MovieFormat format);
/// The movie files, as `export` names them.
[[nodiscard]] FormatList MovieFormatList();

/// The picture coding --profile names for the format. Throws
/// std::invalid_argument, naming the profiles there are, for a name the
/// format lacks or a format without profiles.
[[nodiscard]] const PictureCoding& ProfileNamed(MovieFormat format, std::string_view profile);
/// The sound coding a format writes `samples` in (none: its default). Throws
/// std::invalid_argument, naming what the format carries, when it has none.
[[nodiscard]] const SoundCoding& SoundCodingFor(MovieFormat format, std::optional<SampleFormat> samples);
/// "24-bit PCM", "AAC".
[[nodiscard]] std::string SoundLabel(const SoundCoding& coding);

/// The help of --profile: "ProRes: proxy, lt, ..., hq (default), ...; DNx: ...".
[[nodiscard]] std::string ProfileHelp();
/// Every name --profile takes.
[[nodiscard]] std::vector<std::string> ProfileChoices();
/// The help of --pcm: "Sound samples: 16, 24 (default) or 32f (float)".
[[nodiscard]] std::string PcmHelp();
/// Export's help footer: a line per kind, with its extension and --format name.
[[nodiscard]] std::string MovieFormatsHelp();

enum class FieldOrder { Progressive, TopFirst, BottomFirst };

/// Sound as one track of all channels, or one mono track per channel.
enum class AudioTracks { Multichannel, Mono };

} // namespace btmedia
