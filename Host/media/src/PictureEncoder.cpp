#include "PictureEncoder.h"

#include "btmedia/ContentLight.h"
#include "ImporterBarsAndTone/HostRecords.h"

extern "C" {
#include <libavutil/mastering_display_metadata.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <thread>

namespace btmedia {

using bt::records::kTicksPerSecond;

namespace {

bool IsPq(const MovieSpec& s) noexcept { return s.colour.transfer == AVCOL_TRC_SMPTE2084; }
bool IsHdr(const MovieSpec& s) noexcept { return IsPq(s) || s.colour.transfer == AVCOL_TRC_ARIB_STD_B67; }
bool Interlaced(const MovieSpec& s) noexcept { return s.fieldOrder != FieldOrder::Progressive; }

const ProfileRow& ProfileOf(const ProfileRow* rows, std::size_t count, int value)
{
    for (std::size_t i = 0; i < count; ++i)
        if (rows[i].value == value)
            return rows[i];
    throw std::invalid_argument("unknown profile " + std::to_string(value));
}
const ProfileRow& ProResRow(ProResProfile p)
{
    return ProfileOf(kProResProfiles, std::size(kProResProfiles), static_cast<int>(p));
}
const ProfileRow& DnxRow(DnxProfile p) { return ProfileOf(kDnxProfiles, std::size(kDnxProfiles), static_cast<int>(p)); }

const char* ChromaName(const PictureLayout& l) noexcept
{
    return l.chromaShiftY ? "4:2:0" : l.chromaShiftX ? "4:2:2" : "4:4:4";
}

const AVCodec* Encoder(const char* name)
{
    const AVCodec* codec = avcodec_find_encoder_by_name(name);
    if (codec == nullptr)
        throw std::runtime_error(std::string("this FFmpeg has no ") + name + " encoder");
    return codec;
}

void SetOption(AVCodecContext* c, const char* key, const char* value)
{
    av::Check(av_opt_set(c->priv_data, key, value, 0), std::string("cannot set the encoder's ") + key + " to " + value);
}

AVRational Chromaticity(double v) { return av_d2q(v, 50000); }

/// SMPTE ST 2086 for a BT.2020 D65 mastering display, in the stream's
/// container, and the same numbers for the encoder's own SEI messages.
std::string AddHdrDescription(const MovieSpec& spec, AVStream* stream, const StudioPlanes& first)
{
    const ContentLight light = MeasurePqContentLight(first);
    // x, y of R, G, B and the white point.
    constexpr double kPrimaries[3][2] = {{0.708, 0.292}, {0.170, 0.797}, {0.131, 0.046}};
    constexpr double kWhite[2] = {0.3127, 0.3290};
    auto* mastering = reinterpret_cast<AVMasteringDisplayMetadata*>(
        av_stream_new_side_data(stream, AV_PKT_DATA_MASTERING_DISPLAY_METADATA, sizeof(AVMasteringDisplayMetadata)));
    auto* levels = reinterpret_cast<AVContentLightMetadata*>(
        av_stream_new_side_data(stream, AV_PKT_DATA_CONTENT_LIGHT_LEVEL, sizeof(AVContentLightMetadata)));
    if (mastering == nullptr || levels == nullptr)
        throw std::bad_alloc();
    for (int i = 0; i < 3; ++i) {
        mastering->display_primaries[i][0] = Chromaticity(kPrimaries[i][0]);
        mastering->display_primaries[i][1] = Chromaticity(kPrimaries[i][1]);
    }
    mastering->white_point[0] = Chromaticity(kWhite[0]);
    mastering->white_point[1] = Chromaticity(kWhite[1]);
    mastering->max_luminance = av_d2q(spec.masteringMaxCandelas, 100000);
    mastering->min_luminance = av_d2q(spec.masteringMinCandelas, 100000);
    mastering->has_primaries = 1;
    mastering->has_luminance = 1;
    levels->MaxCLL = light.maxCll;
    levels->MaxFALL = light.maxFall;

    // x265 counts chromaticities in 0.00002 and luminance in 0.0001 cd/m²,
    // green first.
    auto units = [](double v, double unit) { return std::lround(v / unit); };
    char params[256];
    std::snprintf(params, sizeof params,
                  "master-display=G(%ld,%ld)B(%ld,%ld)R(%ld,%ld)WP(%ld,%ld)L(%ld,%ld):max-cll=%u,%u:hdr10=1:hdr10-opt=1",
                  units(kPrimaries[1][0], 0.00002), units(kPrimaries[1][1], 0.00002), units(kPrimaries[2][0], 0.00002),
                  units(kPrimaries[2][1], 0.00002), units(kPrimaries[0][0], 0.00002), units(kPrimaries[0][1], 0.00002),
                  units(kWhite[0], 0.00002), units(kWhite[1], 0.00002), units(spec.masteringMaxCandelas, 0.0001),
                  units(spec.masteringMinCandelas, 0.0001), light.maxCll, light.maxFall);
    return params;
}

} // namespace

PictureLayout ChoosePictureLayout(const MovieSpec& spec)
{
    PictureLayout l;
    switch (spec.format) {
    case MovieFormat::Ffv1Matroska:
    case MovieFormat::NullSink:
        l.pixelFormat = AV_PIX_FMT_YUV444P10LE;
        l.intraOnly = true;
        break;
    case MovieFormat::ProResQuickTime:
    case MovieFormat::NutStream: {
        const bool fourFourFour =
            spec.proResProfile == ProResProfile::P4444 || spec.proResProfile == ProResProfile::P4444Xq;
        l.pixelFormat = fourFourFour ? AV_PIX_FMT_YUV444P10LE : AV_PIX_FMT_YUV422P10LE;
        l.chromaShiftX = fourFourFour ? 0 : 1;
        l.intraOnly = true;
        break;
    }
    case MovieFormat::DnxMxf:
        if (spec.dnxProfile == DnxProfile::Hd10 && (spec.width != 1920 || spec.height != 1080))
            throw std::invalid_argument("DNxHD 10-bit is made at 1920 x 1080 only, not " + std::to_string(spec.width) +
                                        " x " + std::to_string(spec.height) + "; DNxHR HQX takes any size");
        if (spec.dnxProfile == DnxProfile::HrHqx && Interlaced(spec))
            throw std::invalid_argument("DNxHR is progressive only; interlaced 1920 x 1080 goes as DNxHD "
                                        "(--profile dnxhd)");
        if (spec.fieldOrder == FieldOrder::BottomFirst)
            throw std::invalid_argument("DNxHD codes the top field first; bottom field first is for ProRes and FFV1");
        l.pixelFormat = AV_PIX_FMT_YUV422P10LE;
        l.chromaShiftX = 1;
        l.intraOnly = true;
        break;
    case MovieFormat::Mp4Preview:
        if (IsHdr(spec)) {
            if (Interlaced(spec))
                throw std::invalid_argument("HEVC previews are progressive only");
            l.pixelFormat = AV_PIX_FMT_YUV420P10LE;
        } else {
            l.pixelFormat = AV_PIX_FMT_YUV420P;
            l.bits = 8;
        }
        l.chromaShiftX = 1;
        l.chromaShiftY = 1;
        break;
    }
    if ((l.chromaShiftX && spec.width % 2 != 0) || (l.chromaShiftY && spec.height % 2 != 0))
        throw std::invalid_argument(std::string(FormatName(spec.format)) + " halves the chroma and needs an even picture " +
                                    (l.chromaShiftY ? "size" : "width") + ", not " + std::to_string(spec.width) +
                                    " x " + std::to_string(spec.height));
    return l;
}

PictureStream OpenPictureStream(const MovieSpec& spec, const PictureLayout& layout, MovieOutput& output,
                                const StudioPlanes& first)
{
    const char* encoderName = "";
    std::string label;
    switch (spec.format) {
    case MovieFormat::Ffv1Matroska: encoderName = "ffv1", label = "FFV1"; break;
    case MovieFormat::ProResQuickTime:
    case MovieFormat::NutStream: encoderName = "prores_ks", label = ProResRow(spec.proResProfile).label; break;
    case MovieFormat::DnxMxf: encoderName = "dnxhd", label = DnxRow(spec.dnxProfile).label; break;
    case MovieFormat::Mp4Preview:
        encoderName = layout.bits == 8 ? "libx264" : "libx265";
        label = layout.bits == 8 ? "H.264 High" : "HEVC Main 10";
        break;
    case MovieFormat::NullSink: break;
    }
    const AVCodec* codec = Encoder(encoderName);
    PictureStream out;
    out.codec.reset(avcodec_alloc_context3(codec));
    if (!out.codec)
        throw std::bad_alloc();
    AVCodecContext* c = out.codec.get();
    c->width = spec.width;
    c->height = spec.height;
    c->pix_fmt = layout.pixelFormat;
    c->time_base = av::ReducedRatio(spec.frameDuration, kTicksPerSecond);
    c->framerate = av::ReducedRatio(kTicksPerSecond, spec.frameDuration);
    c->sample_aspect_ratio = av::ReducedRatio(spec.parNumerator, std::max<std::uint32_t>(spec.parDenominator, 1));
    c->color_primaries = static_cast<AVColorPrimaries>(spec.colour.primaries);
    c->color_trc = static_cast<AVColorTransferCharacteristic>(spec.colour.transfer);
    c->colorspace = static_cast<AVColorSpace>(spec.colour.matrix);
    c->color_range = AVCOL_RANGE_MPEG;
    c->chroma_sample_location = layout.chromaShiftY ? AVCHROMA_LOC_TOPLEFT
                                : layout.chromaShiftX ? AVCHROMA_LOC_LEFT
                                                      : AVCHROMA_LOC_UNSPECIFIED;
    c->field_order = spec.fieldOrder == FieldOrder::TopFirst      ? AV_FIELD_TT
                     : spec.fieldOrder == FieldOrder::BottomFirst ? AV_FIELD_BB
                                                                  : AV_FIELD_PROGRESSIVE;
    if (Interlaced(spec))
        c->flags |= AV_CODEC_FLAG_INTERLACED_DCT;
    c->thread_count = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
    if (output.WantsGlobalHeaders())
        c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    c->gop_size = layout.intraOnly ? 1 : std::max(1, static_cast<int>(std::lround(2.0 * static_cast<double>(kTicksPerSecond) / static_cast<double>(spec.frameDuration))));

    out.stream = avformat_new_stream(output.Container(), nullptr);
    if (out.stream == nullptr)
        throw std::runtime_error("cannot add the picture stream");

    AVDictionary* options = nullptr;
    switch (spec.format) {
    case MovieFormat::Ffv1Matroska:
        av_dict_set(&options, "level", "3", 0);
        av_dict_set(&options, "coder", "1", 0); // range coder: the only one above 8 bits
        av_dict_set(&options, "slicecrc", "1", 0);
        av_dict_set(&options, "slices", "4", 0);
        break;
    case MovieFormat::ProResQuickTime:
    case MovieFormat::NutStream: {
        static const char* const kEncoderProfiles[] = {"proxy", "lt", "standard", "hq", "4444", "4444xq"};
        SetOption(c, "profile", kEncoderProfiles[static_cast<int>(spec.proResProfile)]);
        SetOption(c, "vendor", "apl0");
        break;
    }
    case MovieFormat::DnxMxf:
        if (spec.dnxProfile == DnxProfile::HrHqx) {
            SetOption(c, "profile", "dnxhr_hqx");
        } else {
            // The 10-bit 1920 x 1080 family is chosen by its rate, progressive
            // (175 Mb/s at 23.976) or interlaced (185 Mb/s at 25); the frame
            // size is fixed, so the real rate follows the frame rate.
            SetOption(c, "profile", "dnxhd");
            c->bit_rate = Interlaced(spec) ? 185000000 : 175000000;
        }
        break;
    case MovieFormat::Mp4Preview:
        SetOption(c, "preset", "fast");
        if (layout.bits == 8) {
            SetOption(c, "profile", "high");
        } else {
            SetOption(c, "profile", "main10");
            // x265 reports to the terminal itself unless told otherwise.
            std::string params = "log-level=error";
            if (IsPq(spec))
                params += ":" + AddHdrDescription(spec, out.stream, first);
            SetOption(c, "x265-params", params.c_str());
            // Players that follow Apple's rules want parameter sets out of band.
            c->codec_tag = MKTAG('h', 'v', 'c', '1');
        }
        break;
    case MovieFormat::NullSink: break;
    }
    const int opened = avcodec_open2(c, codec, &options);
    av_dict_free(&options);
    av::Check(opened, std::string("cannot open the ") + encoderName + " encoder for " + std::to_string(spec.width) +
                          " x " + std::to_string(spec.height));

    out.stream->time_base = c->time_base;
    out.stream->avg_frame_rate = c->framerate;
    out.stream->r_frame_rate = c->framerate;
    out.stream->sample_aspect_ratio = c->sample_aspect_ratio;
    out.stream->disposition = AV_DISPOSITION_DEFAULT;
    av::Check(avcodec_parameters_from_context(out.stream->codecpar, c), "cannot describe the picture stream");
    out.label = label + " " + std::to_string(layout.bits) + "-bit " + ChromaName(layout) +
                (Interlaced(spec) ? spec.fieldOrder == FieldOrder::TopFirst ? " interlaced, top field first"
                                                                             : " interlaced, bottom field first"
                                  : "");
    return out;
}

} // namespace btmedia
