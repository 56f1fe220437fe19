#include "PictureEncoder.h"

#include "btmedia/ContentLight.h"
#include "GopTimecode.h"
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
Dynamic ClipDynamic(const MovieSpec& s) noexcept { return IsHdr(s) ? Dynamic::High : Dynamic::Standard; }
bool Suits(const PictureCoding& coding, Dynamic clip) noexcept
{
    return coding.dynamic == Dynamic::Any || coding.dynamic == clip;
}

/// The coding --profile names, else the kind's default, else the first
/// that suits the clip's dynamic range.
const PictureCoding& ChooseCoding(const MovieSpec& spec)
{
    if (!spec.profile.empty())
        return ProfileNamed(spec.format, spec.profile);
    const PictureCodings& table = RowOf(spec.format).picture;
    const std::string_view wanted = table.defaultProfile;
    for (const PictureCoding& coding : table.codings)
        if ((wanted.empty() || wanted == coding.profile) && Suits(coding, ClipDynamic(spec)))
            return coding;
    throw std::invalid_argument(std::string(RowOf(spec.format).names.label) + " carries " + table.codings[0].label +
                                ", which is for " + (IsHdr(spec) ? "SDR" : "HDR") + " clips only");
}

/// What a codec refuses beyond its row.
void CheckCodecRules(const MovieSpec& spec, const PictureCoding& coding)
{
    if (!Suits(coding, ClipDynamic(spec)))
        throw std::invalid_argument(std::string(coding.label) + " is for " + (IsHdr(spec) ? "SDR" : "HDR (HLG, PQ)") +
                                    " clips, and this clip is " + (IsHdr(spec) ? "HDR" : "SDR"));
    const std::string size = std::to_string(spec.width) + " x " + std::to_string(spec.height);
    switch (coding.codec) {
    case PictureCodec::DnxHd:
        if (spec.width != 1920 || spec.height != 1080)
            throw std::invalid_argument("DNxHD 10-bit is made at 1920 x 1080 only, not " + size +
                                        "; DNxHR HQX takes any size");
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
            throw std::invalid_argument("HEVC is written progressive only; interlaced pictures go as H.264 "
                                        "(--profile h264), ProRes, FFV1, DNxHD, XDCAM HD422 or AVC-Intra");
        break;
    case PictureCodec::Mpeg2:
        if (!(spec.width == 1920 && spec.height == 1080) && !(spec.width == 1280 && spec.height == 720))
            throw std::invalid_argument("XDCAM HD422 is made at 1920 x 1080 and 1280 x 720 only, not " + size);
        break;
    case PictureCodec::AvcIntra:
        if (!(spec.width == 1920 && spec.height == 1080) && !(spec.width == 1280 && spec.height == 720))
            throw std::invalid_argument("AVC-Intra 100 is made at 1920 x 1080 and 1280 x 720 only, not " + size);
        if (spec.fieldOrder == FieldOrder::BottomFirst)
            throw std::invalid_argument("AVC-Intra codes the top field first");
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
    ContentLight light = MeasurePqContentLight(first);
    if (spec.maxCll)
        light.maxCll = *spec.maxCll;
    if (spec.maxFall)
        light.maxFall = *spec.maxFall;
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

int GopFrames(const MovieSpec& spec, const PictureCoding& coding)
{
    if (coding.gopSeconds <= 0)
        return 1;
    const double perSecond = static_cast<double>(kTicksPerSecond) / static_cast<double>(spec.frameDuration);
    return std::max(1, static_cast<int>(std::lround(coding.gopSeconds * perSecond)));
}

av::CodecPtr EncoderRecipe::Open() const
{
    av::CodecPtr c(avcodec_alloc_context3(codec));
    if (!c)
        throw std::bad_alloc();
    configure(*c);
    av::Check(avcodec_open2(c.get(), codec, nullptr), "cannot open " + what);
    return c;
}

PictureStream OpenPictureStream(const MovieSpec& spec, const PictureLayout& layout, MovieOutput& output,
                                const StudioPlanes& first, bool templates)
{
    const PictureCoding& coding = *layout.coding;
    PictureStream out;
    out.gopFrames = GopFrames(spec, coding);
    out.stream = avformat_new_stream(output.Container(), nullptr);
    if (out.stream == nullptr)
        throw std::runtime_error("cannot add the picture stream");

    // The options, settled once: the HDR description is measured here.
    std::vector<std::pair<std::string, std::string>> options;
    for (const EncoderOption& option : coding.options)
        if (option.key != nullptr)
            options.emplace_back(option.key, option.value);
    const auto append = [&](const std::string& key, const std::string& more) {
        for (auto& [k, v] : options)
            if (k == key) {
                v += ":" + more;
                return;
            }
        options.emplace_back(key, more);
    };
    const std::string gop = std::to_string(out.gopFrames);
    const bool inBand = !output.WantsGlobalHeaders();
    switch (coding.codec) {
    case PictureCodec::H264:
        // Closed by default; without a global header x264 repeats its
        // parameter sets at every IDR.
        append("x264-params", "keyint=" + gop + ":min-keyint=" + gop + ":scenecut=0:bframes=0");
        break;
    case PictureCodec::Hevc:
        append("x265-params", "keyint=" + gop + ":min-keyint=" + gop + ":scenecut=0:bframes=0:open-gop=0" +
                                  (inBand ? ":repeat-headers=1" : ""));
        // x265 writes a PQ stream's mastering display and light levels into
        // its own SEI messages.
        if (IsPq(spec))
            append("x265-params", AddHdrDescription(spec, out.stream, first));
        break;
    case PictureCodec::Mpeg2:
        out.settlingGops = 1;
        // Each GOP header carries the timecode of its first frame.
        options.emplace_back("sc_threshold", "1000000000");
        options.emplace_back("gop_timecode", spec.timecode.Text());
        break;
    default: break;
    }

    const MovieSpec s = spec; // the recipe outlives the caller's spec
    const AVCodec* codec = Encoder(coding.encoder);
    const bool globalHeader = output.WantsGlobalHeaders();
    const AVPixelFormat pixels = layout.pixelFormat;
    const AVChromaLocation siting = layout.chromaShiftY   ? AVCHROMA_LOC_TOPLEFT
                                    : layout.chromaShiftX ? AVCHROMA_LOC_LEFT
                                                          : AVCHROMA_LOC_UNSPECIFIED;
    // The tag where the container knows it for the codec (hvc1 in MP4).
    unsigned tag = 0;
    if (*coding.codecTag != 0) {
        const unsigned asked = MKTAG(coding.codecTag[0], coding.codecTag[1], coding.codecTag[2], coding.codecTag[3]);
        const AVCodecTag* const* tables = output.Container()->oformat->codec_tag;
        if (tables != nullptr && av_codec_get_id(tables, asked) == codec->id)
            tag = asked;
    }
    const int gopFrames = out.gopFrames;
    out.recipe.codec = codec;
    out.recipe.what = std::string("the ") + coding.encoder + " encoder for " + std::to_string(spec.width) + " x " +
                      std::to_string(spec.height);
    out.recipe.configure = [=, &coding](AVCodecContext& c) {
        c.width = s.width;
        c.height = s.height;
        c.pix_fmt = pixels;
        c.time_base = av::ReducedRatio(s.frameDuration, kTicksPerSecond);
        c.framerate = av::ReducedRatio(kTicksPerSecond, s.frameDuration);
        c.sample_aspect_ratio = av::ReducedRatio(s.parNumerator, std::max<std::uint32_t>(s.parDenominator, 1));
        c.color_primaries = static_cast<AVColorPrimaries>(s.colour.primaries);
        c.color_trc = static_cast<AVColorTransferCharacteristic>(s.colour.transfer);
        c.colorspace = static_cast<AVColorSpace>(s.colour.matrix);
        c.color_range = AVCOL_RANGE_MPEG;
        c.chroma_sample_location = siting;
        c.field_order = s.fieldOrder == FieldOrder::TopFirst      ? AV_FIELD_TT
                        : s.fieldOrder == FieldOrder::BottomFirst ? AV_FIELD_BB
                                                                  : AV_FIELD_PROGRESSIVE;
        if (Interlaced(s))
            c.flags |= AV_CODEC_FLAG_INTERLACED_DCT | AV_CODEC_FLAG_INTERLACED_ME;
        c.thread_count = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
        if (templates && gopFrames == 1 && (codec->capabilities & AV_CODEC_CAP_SLICE_THREADS) != 0)
            c.thread_type = FF_THREAD_SLICE;
        if (globalHeader)
            c.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        c.gop_size = gopFrames;
        c.keyint_min = gopFrames;
        c.max_b_frames = 0;
        c.flags |= AV_CODEC_FLAG_CLOSED_GOP;
        if (coding.codec == PictureCodec::DnxHd) {
            // The 10-bit 1920 x 1080 family is chosen by its rate, progressive
            // (175 Mb/s at 23.976) or interlaced (185 Mb/s at 25); the frame
            // size is fixed, so the real rate follows the frame rate.
            c.bit_rate = Interlaced(s) ? 185000000 : 175000000;
        }
        if (tag != 0)
            c.codec_tag = tag;
        for (const auto& [key, value] : options)
            SetOption(&c, key.c_str(), value);
    };
    out.codec = out.recipe.Open();
    AVCodecContext* c = out.codec.get();

    out.timeBase = c->time_base;
    out.stream->time_base = c->time_base;
    out.stream->avg_frame_rate = c->framerate;
    out.stream->r_frame_rate = c->framerate;
    out.stream->sample_aspect_ratio = c->sample_aspect_ratio;
    out.stream->disposition = AV_DISPOSITION_DEFAULT;
    av::Check(avcodec_parameters_from_context(out.stream->codecpar, c), "cannot describe the picture stream");
    if (coding.codec == PictureCodec::Mpeg2) {
        const StartTimecode start = spec.timecode;
        const std::int64_t frameDuration = spec.frameDuration;
        out.restamp = [start, frameDuration](AVPacket& packet, std::int64_t frame) {
            StampGopTimecode(packet, TimecodeAfter(start, frame, frameDuration));
        };
    }
    out.label = std::string(coding.label) + " " + std::to_string(layout.bits) + "-bit " + ChromaName(layout) +
                (Interlaced(spec) ? spec.fieldOrder == FieldOrder::TopFirst ? " interlaced, top field first"
                                                                             : " interlaced, bottom field first"
                                  : "");
    return out;
}

} // namespace btmedia
