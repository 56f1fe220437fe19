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
// - MXF OP1a with PCM is the broadcast delivery: DNxHR HQX (or DNxHD 10-bit
//   at 1920 x 1080), and the two codings broadcasters ask for by name,
//   XDCAM HD422 (MPEG-2 4:2:2 at 50 Mb/s, long-GOP) and AVC-Intra 100.
// - MP4 is for looking at: HEVC Main 10 with its HDR description for PQ and
//   HLG clips, H.264 High 8-bit 4:2:0 (which every browser plays) for the
//   rest, both with AAC sound, the index at the front for players on the web.
// - NUT is written in order, with no seeking back, so that it can go down a
//   pipe to a player or to FFmpeg. Its headers have no colour description
//   or channel layout, so the streams carry them: ProRes, whose frame header
//   names the colour and range (and is light enough for a pipe), and FLAC,
//   whose channel assignment names the layout.
// - MPEG-TS is what live links carry (UDP, SRT, a contribution encoder's
//   input): H.264 or HEVC with AAC or MP2, or MPEG-2 4:2:2 with PCM (SMPTE
//   302M) or MP2. A receiver may join at any moment, so every GOP starts
//   with its parameter sets.
// - FLV is what RTMP servers take: H.264 and AAC.
// - The null sink requests every picture and all sound like a real export
//   and drops them: a way to time the module.
//
// Rationale for the long-GOP codings: every GOP is closed, of a fixed
// length, with no B-frames and a constant quantiser (constant rate for
// XDCAM). A GOP of one picture then decodes the same wherever it stands, so
// it is encoded once and its packets repeated with new times; and a GOP cut
// short by a change of picture still decodes, its frames referring only to
// those before them.

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
    TransportStream,
    FlvStream,
    NullSink,
};

/// The codec of a picture coding, for the rules it brings beyond its row
/// (sizes, field orders, bit rates, the HDR description, GOP headers).
enum class PictureCodec { None, Ffv1, ProRes, DnxHr, DnxHd, H264, Hevc, Mpeg2, AvcIntra };

/// The clips a coding is for.
enum class Dynamic { Any, Standard, High };

struct EncoderOption {
    const char* key = nullptr; ///< FFmpeg's name of the encoder's (or muxer's) option; null: unused
    const char* value = nullptr;
};

/// One way of coding a movie's picture: an encoder and its settings.
struct PictureCoding {
    const char* profile;  ///< as --profile names it; empty: the kind's only coding
    const char* label;    ///< "ProRes 422 HQ"
    PictureCodec codec;
    const char* encoder;  ///< FFmpeg's encoder; empty: none (the null sink)
    const char* pixels;   ///< FFmpeg's pixel format: planes, chroma siting and depth
    std::array<EncoderOption, 8> options;
    const char* codecTag; ///< the stream's code where the container knows it; empty: the muxer's own
    Dynamic dynamic;
    double gopSeconds;    ///< a GOP's length; 0: intra-only, every packet decodes on its own
};

/// A kind's picture codings: chosen by --profile, else the default, else the
/// first whose dynamic range suits the clip.
struct PictureCodings {
    const char* family; ///< what --profile chooses among: "ProRes"
    std::span<const PictureCoding> codings;
    const char* defaultProfile; ///< empty: by the clip's dynamic range
};

/// One way of coding a movie's sound.
struct SoundCoding {
    std::optional<SampleFormat> samples; ///< what --pcm names; none: not chosen (a lossy codec)
    const char* codec;         ///< "FLAC", "PCM"; --audio-codec takes it in lower case
    const char* encoder;       ///< FFmpeg's encoder
    const char* sampleFormat;  ///< FFmpeg's sample format the encoder takes
    int bitRatePerChannel = 0; ///< bits per second of a lossy codec; 0: none
};

// clang-format off
inline constexpr PictureCoding kFfv1Coding =
    // The range coder is the only one above 8 bits; slices with checksums
    // decode in parallel and show damage.
    {"", "FFV1", PictureCodec::Ffv1, "ffv1", "yuv444p10le",
     {{{"level", "3"}, {"coder", "1"}, {"slicecrc", "1"}, {"slices", "4"}}}, "", Dynamic::Any, 0};

inline constexpr PictureCoding kProRes[] = {
    {"proxy", "ProRes 422 Proxy", PictureCodec::ProRes, "prores_ks", "yuv422p10le", {{{"profile", "proxy"}, {"vendor", "apl0"}}}, "", Dynamic::Any, 0},
    {"lt", "ProRes 422 LT", PictureCodec::ProRes, "prores_ks", "yuv422p10le", {{{"profile", "lt"}, {"vendor", "apl0"}}}, "", Dynamic::Any, 0},
    {"422", "ProRes 422", PictureCodec::ProRes, "prores_ks", "yuv422p10le", {{{"profile", "standard"}, {"vendor", "apl0"}}}, "", Dynamic::Any, 0},
    {"hq", "ProRes 422 HQ", PictureCodec::ProRes, "prores_ks", "yuv422p10le", {{{"profile", "hq"}, {"vendor", "apl0"}}}, "", Dynamic::Any, 0},
    {"4444", "ProRes 4444", PictureCodec::ProRes, "prores_ks", "yuv444p10le", {{{"profile", "4444"}, {"vendor", "apl0"}}}, "", Dynamic::Any, 0},
    {"4444xq", "ProRes 4444 XQ", PictureCodec::ProRes, "prores_ks", "yuv444p10le", {{{"profile", "4444xq"}, {"vendor", "apl0"}}}, "", Dynamic::Any, 0},
};

inline constexpr PictureCoding kH264High =
    {"h264", "H.264 High", PictureCodec::H264, "libx264", "yuv420p",
     {{{"preset", "fast"}, {"profile", "high"}, {"qp", "20"}}}, "", Dynamic::Standard, 2.0};
// x265 reports to the terminal itself unless told otherwise; players that
// follow Apple's rules want the parameter sets out of band (hvc1).
inline constexpr PictureCoding kHevcMain10 =
    {"hevc", "HEVC Main 10", PictureCodec::Hevc, "libx265", "yuv420p10le",
     {{{"preset", "fast"}, {"profile", "main10"}, {"qp", "22"}, {"x265-params", "log-level=error"}}}, "hvc1",
     Dynamic::High, 2.0};
// Sony's HD422 at 50 Mb/s: 4:2:2 profile at high level, the 17.8 Mbit
// buffer, 10-bit DC precision, GOPs of 12 frames at 25 fps and 15 at 29.97.
inline constexpr PictureCoding kXdcamHd422 =
    {"xdcam", "XDCAM HD422 (MPEG-2 4:2:2, 50 Mb/s)", PictureCodec::Mpeg2, "mpeg2video", "yuv422p",
     {{{"profile", "0"}, {"level", "2"}, {"b", "50M"}, {"minrate", "50M"}, {"maxrate", "50M"},
       {"bufsize", "17825792"}, {"dc", "10"}, {"intra_vlc", "1"}}}, "", Dynamic::Standard, 0.49};
inline constexpr PictureCoding kAvcIntra100 =
    {"avci100", "AVC-Intra 100", PictureCodec::AvcIntra, "libx264", "yuv422p10le",
     {{{"avcintra-class", "100"}}}, "", Dynamic::Any, 0};

inline constexpr PictureCoding kFfv1[] = {kFfv1Coding};
inline constexpr PictureCoding kBroadcast[] = {
    {"hqx", "DNxHR HQX", PictureCodec::DnxHr, "dnxhd", "yuv422p10le", {{{"profile", "dnxhr_hqx"}}}, "", Dynamic::Any, 0},
    {"dnxhd", "DNxHD", PictureCodec::DnxHd, "dnxhd", "yuv422p10le", {{{"profile", "dnxhd"}}}, "", Dynamic::Any, 0},
    kXdcamHd422,
    kAvcIntra100,
};
inline constexpr PictureCoding kPreview[] = {kH264High, kHevcMain10};
inline constexpr PictureCoding kTransport[] = {kH264High, kHevcMain10, kXdcamHd422};
inline constexpr PictureCoding kFlash[] = {kH264High};

/// The null sink's pictures: every code the module paints, as a file export converts them.
inline constexpr PictureCoding kUncoded[] = {
    {"", "", PictureCodec::None, "", "yuv444p10le", {}, "", Dynamic::Any, 0},
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

inline constexpr SoundCoding kAac = {std::nullopt, "AAC", "aac", "fltp", 96000};
inline constexpr SoundCoding kAacSound[] = {kAac};

// PCM in a transport stream goes as SMPTE 302M.
inline constexpr SoundCoding kTransportSound[] = {
    kAac,
    {std::nullopt, "MP2", "mp2", "s16", 128000},
    {SampleFormat::Int16, "PCM", "s302m", "s16"},
    {SampleFormat::Int24, "PCM", "s302m", "s32"},
};
// clang-format on

inline constexpr PictureCodings kFfv1Pictures{"FFV1", kFfv1, ""};
inline constexpr PictureCodings kProResPictures{"ProRes", kProRes, "hq"};
inline constexpr PictureCodings kBroadcastPictures{"MXF", kBroadcast, "hqx"};
inline constexpr PictureCodings kPreviewPictures{"MP4", kPreview, ""};
inline constexpr PictureCodings kTransportPictures{"MPEG-TS", kTransport, ""};
inline constexpr PictureCodings kFlashPictures{"FLV", kFlash, "h264"};
inline constexpr PictureCodings kUncodedPictures{"", kUncoded, ""};

struct MovieFormatRow {
    MovieFormat format;
    FormatNames names;
    const char* muxer; ///< FFmpeg's; empty: nothing is written
    bool seeks;        ///< goes back to finish its file, so never down a pipe
    const PictureCodings& picture;
    std::span<const SoundCoding> sound;
    std::array<EncoderOption, 2> muxerOptions;
    /// Goes back to put the sound encoder's final stream header in place
    /// (FLAC's STREAMINFO with its length and checksum); elsewhere the empty
    /// packet that carries it would read as a broken frame.
    bool finalSoundHeader;
    const char* schemes; ///< network addresses that carry this kind only ("rtmp rtmps"); empty: none
    const char* help;    ///< its line in export's help; empty: not listed there
};

// clang-format off
inline constexpr MovieFormatRow kMovieFormats[] = {
    {MovieFormat::Ffv1Matroska, {"ffv1", "Matroska", {".mkv", ""}}, "matroska", false, kFfv1Pictures, kLosslessSound,
     {}, true, "", "FFV1 10-bit 4:4:4, FLAC (lossless)"},
    {MovieFormat::ProResQuickTime, {"prores", "QuickTime", {".mov", ""}}, "mov", true, kProResPictures, kPcmSound,
     {}, false, "", "ProRes 422 HQ (or --profile), PCM, QuickTime timecode track"},
    // MXF carries 16 and 24-bit PCM only.
    {MovieFormat::DnxMxf, {"dnxhr", "MXF OP1a", {".mxf", ""}}, "mxf", true, kBroadcastPictures,
     std::span(kPcmSound).first<2>(), {}, false, "",
     "MXF OP1a: DNxHR HQX 10-bit 4:2:2 (or --profile dnxhd at 1920x1080,\n"
     "xdcam: XDCAM HD422, avci100: AVC-Intra 100), PCM"},
    {MovieFormat::Mp4Preview, {"mp4", "MP4", {".mp4", ""}}, "mp4", true, kPreviewPictures, kAacSound,
     {{{"movflags", "+faststart"}}}, false, "",
     "HEVC Main 10 for HLG and PQ (with HDR10 metadata), H.264 High for SDR; AAC;\n"
     "the index at the front (faststart)"},
    {MovieFormat::NutStream, {"nut", "NUT", {".nut", ""}}, "nut", false, kProResPictures, kLosslessSound,
     {}, false, "", "ProRes (as .mov) and FLAC in NUT, what export -o - writes for pipes:\n"
     "barsandtone export clip.json -o - | ffplay -"},
    // Each sound packet its own PES packet: sound leaves with its picture.
    {MovieFormat::TransportStream, {"ts", "MPEG-TS", {".ts", ""}}, "mpegts", false, kTransportPictures,
     kTransportSound, {{{"pes_payload_size", "0"}}}, false, "",
     "MPEG-TS: H.264 (SDR) or HEVC Main 10 (HLG, PQ) with AAC, or --profile xdcam\n"
     "(MPEG-2 4:2:2); --audio-codec mp2 or pcm; what play sends by default"},
    {MovieFormat::FlvStream, {"flv", "FLV", {".flv", ""}}, "flv", false, kFlashPictures, kAacSound,
     {}, false, "rtmp rtmps", "H.264 and AAC in FLV, what RTMP servers take (rtmp:// addresses)"},
    {MovieFormat::NullSink, {"null", "null sink", {"", ""}}, "", false, kUncodedPictures, {}, {}, false, "", ""},
};
// clang-format on

/// What "-" carries for export.
inline constexpr MovieFormat kStandardOutputMovie = MovieFormat::NutStream;
/// What play sends to "-" and to a network address no row claims.
inline constexpr MovieFormat kLiveMovie = MovieFormat::TransportStream;
/// The samples of a kind that has a choice, unless --pcm names one.
inline constexpr SampleFormat kDefaultMovieSamples = SampleFormat::Int24;

[[nodiscard]] const MovieFormatRow& RowOf(MovieFormat format);
/// The movie files, as `export` and `play` name them, with what "-" carries.
[[nodiscard]] FormatList MovieFormatList(MovieFormat standardOutput = kStandardOutputMovie);
/// Whether an output names a network address ("udp://...") rather than a file.
[[nodiscard]] bool IsNetworkAddress(std::string_view output) noexcept;

/// The picture coding --profile names for the format. Throws
/// std::invalid_argument, naming the profiles there are, for a name the
/// format lacks or a format without profiles.
[[nodiscard]] const PictureCoding& ProfileNamed(MovieFormat format, std::string_view profile);
/// The sound coding a format writes: of `codec` (as --audio-codec names it;
/// empty: the kind's first) in `samples` (none: the codec's default), or
/// with only `samples` given, the coding that has them. Throws
/// std::invalid_argument, naming what the format carries, when it has none.
[[nodiscard]] const SoundCoding& SoundCodingFor(MovieFormat format, std::optional<SampleFormat> samples,
                                                std::string_view codec = {});
/// The kind whose row claims a network address's scheme ("rtmp://..."), or none.
[[nodiscard]] std::optional<MovieFormat> FormatOfAddress(std::string_view address);
/// "24-bit PCM", "AAC".
[[nodiscard]] std::string SoundLabel(const SoundCoding& coding);

/// The help of --profile: "ProRes: proxy, lt, ..., hq (default), ...; DNx: ...".
[[nodiscard]] std::string ProfileHelp();
/// Every name --profile takes.
[[nodiscard]] std::vector<std::string> ProfileChoices();
/// The help of --audio-codec: the kinds with a choice and their codecs.
[[nodiscard]] std::string AudioCodecHelp();
/// Every name --audio-codec takes.
[[nodiscard]] std::vector<std::string> AudioCodecChoices();
/// The help of --pcm: "Sound samples: 16, 24 (default) or 32f (float)".
[[nodiscard]] std::string PcmHelp();
/// Export's help footer: a line per kind, with its extension and --format name.
[[nodiscard]] std::string MovieFormatsHelp();

enum class FieldOrder { Progressive, TopFirst, BottomFirst };

/// Sound as one track of all channels, or one mono track per channel.
enum class AudioTracks { Multichannel, Mono };

} // namespace btmedia
