#include "PictureEncoder.h"

#include "btmedia/ContentLight.h"
#include "ImporterBarsAndTone/HostRecords.h"

extern "C" {
#include <libavutil/mastering_display_metadata.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
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

/// The coding --profile names, else the kind's default, else the first
/// that suits the clip's dynamic range.
const PictureCoding& ChooseCoding(const MovieSpec& spec)
{
    if (!spec.profile.empty())
        return ProfileNamed(spec.format, spec.profile);
    const PictureCodings& table = RowOf(spec.format).picture;
    const Dynamic clip = IsHdr(spec) ? Dynamic::High : Dynamic::Standard;
    const std::string_view wanted = table.defaultProfile;
    for (const PictureCoding& coding : table.codings)
        if ((wanted.empty() || wanted == coding.profile) && (coding.dynamic == Dynamic::Any || coding.dynamic == clip))
            return coding;
    throw std::logic_error("a movie kind without a picture coding for the clip");
}

/// What a codec refuses beyond its row.
void CheckCodecRules(const MovieSpec& spec, const PictureCoding& coding)
{
    switch (coding.codec) {
    case PictureCodec::DnxHd:
        if (spec.width != 1920 || spec.height != 1080)
            throw std::invalid_argument("DNxHD 10-bit is made at 1920 x 1080 only, not " + std::to_string(spec.width) +
                                        " x " + std::to_string(spec.height) + "; DNxHR HQX takes any size");
        if (spec.fieldOrder == FieldOrder::BottomFirst)
            throw std::invalid_argument("DNxHD codes the top field first; bottom field first is for ProRes and FFV1");
        break;
    case PictureCodec::DnxHr:
        if (Interlaced(spec))
            throw std::invalid_argument("DNxHR is progressive only; interlaced 1920 x 1080 goes as DNxHD "
                                        "(--profile dnxhd)");
        break;
    case PictureCodec::Hevc:
        if (Interlaced(spec))
            throw std::invalid_argument("HEVC previews are progressive only");
        break;
    default: break;
    }
}

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

/// An option of the encoder's own, or else of every encoder.
void SetOption(AVCodecContext* c, const char* key, const std::string& value)
{
    av::Check(av_opt_set(c, key, value.c_str(), AV_OPT_SEARCH_CHILDREN),
              std::string("cannot set the encoder's ") + key + " to " + value);
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
    l.coding = &ChooseCoding(spec);
    CheckCodecRules(spec, *l.coding);
    l.pixelFormat = av_get_pix_fmt(l.coding->pixels);
    const AVPixFmtDescriptor* planes = av_pix_fmt_desc_get(l.pixelFormat);
    if (planes == nullptr)
        throw std::runtime_error(std::string("this FFmpeg has no pixel format ") + l.coding->pixels);
    l.chromaShiftX = planes->log2_chroma_w;
    l.chromaShiftY = planes->log2_chroma_h;
    l.bits = planes->comp[0].depth;
    if ((l.chromaShiftX && spec.width % 2 != 0) || (l.chromaShiftY && spec.height % 2 != 0))
        throw std::invalid_argument(std::string(l.coding->label) + " halves the chroma and needs an even picture " +
                                    (l.chromaShiftY ? "size" : "width") + ", not " + std::to_string(spec.width) +
                                    " x " + std::to_string(spec.height));
    return l;
}

PictureStream OpenPictureStream(const MovieSpec& spec, const PictureLayout& layout, MovieOutput& output,
                                const StudioPlanes& first)
{
    const PictureCoding& coding = *layout.coding;
    const AVCodec* codec = Encoder(coding.encoder);
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
    c->gop_size = coding.intraOnly ? 1 : std::max(1, static_cast<int>(std::lround(2.0 * static_cast<double>(kTicksPerSecond) / static_cast<double>(spec.frameDuration))));

    out.stream = avformat_new_stream(output.Container(), nullptr);
    if (out.stream == nullptr)
        throw std::runtime_error("cannot add the picture stream");

    for (const EncoderOption& option : coding.options) {
        if (option.key == nullptr)
            continue;
        std::string value = option.value;
        // x265 writes a PQ stream's mastering display and light levels into
        // its own SEI messages.
        if (coding.codec == PictureCodec::Hevc && IsPq(spec) && std::string_view(option.key) == "x265-params")
            value += ":" + AddHdrDescription(spec, out.stream, first);
        SetOption(c, option.key, value);
    }
    if (coding.codec == PictureCodec::DnxHd) {
        // The 10-bit 1920 x 1080 family is chosen by its rate, progressive
        // (175 Mb/s at 23.976) or interlaced (185 Mb/s at 25); the frame size
        // is fixed, so the real rate follows the frame rate.
        c->bit_rate = Interlaced(spec) ? 185000000 : 175000000;
    }
    if (*coding.codecTag != 0)
        c->codec_tag = MKTAG(coding.codecTag[0], coding.codecTag[1], coding.codecTag[2], coding.codecTag[3]);
    av::Check(avcodec_open2(c, codec, nullptr), std::string("cannot open the ") + coding.encoder + " encoder for " +
                                                    std::to_string(spec.width) + " x " + std::to_string(spec.height));

    out.stream->time_base = c->time_base;
    out.stream->avg_frame_rate = c->framerate;
    out.stream->r_frame_rate = c->framerate;
    out.stream->sample_aspect_ratio = c->sample_aspect_ratio;
    out.stream->disposition = AV_DISPOSITION_DEFAULT;
    av::Check(avcodec_parameters_from_context(out.stream->codecpar, c), "cannot describe the picture stream");
    out.label = std::string(coding.label) + " " + std::to_string(layout.bits) + "-bit " + ChromaName(layout) +
                (Interlaced(spec) ? spec.fieldOrder == FieldOrder::TopFirst ? " interlaced, top field first"
                                                                             : " interlaced, bottom field first"
                                  : "");
    return out;
}

} // namespace btmedia
