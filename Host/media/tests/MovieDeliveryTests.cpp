// The files a delivery asks for, read back as a person checking one would:
// with ffprobe and MediaInfo, and decoded with FFmpeg's decoders.

#include "MovieFixture.h"
#include "btmedia/MovieWriter.h"

#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cctype>
#include <sstream>
#include <stdexcept>
#include <tuple>

using namespace btmedia;
using namespace btmedia::test;
using nlohmann::json;

namespace {

using Delivery = MovieFixture;

const std::vector<std::string> kRec709 = {"bt709", "bt709", "bt709", "tv"};
const std::vector<std::string> kHlg = {"bt2020", "arib-std-b67", "bt2020nc", "tv"};
const std::pair<MovieFormat, const char*> kIntraFormats[] = {
    {MovieFormat::ProResQuickTime, "p.mov"}, {MovieFormat::DnxMxf, "d.mxf"}, {MovieFormat::Ffv1Matroska, "f.mkv"}};

} // namespace

TEST_F(Delivery, EachKindWritesEachOfItsCodingsInItsContainerAndDecodesWithoutAnError)
{
    const auto codecOf = [](const char* encoder) {
        const AVCodec* codec = avcodec_find_encoder_by_name(encoder);
        return codec ? std::string(avcodec_get_name(codec->id)) : std::string("no encoder ") + encoder;
    };
    const auto chromaOf = [](const std::string& pixels) {
        const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(av_get_pix_fmt(pixels.c_str()));
        return d ? std::pair<int, int>(d->log2_chroma_w, d->log2_chroma_h) : std::pair(-1, -1);
    };
    for (const MovieFormatRow& row : kMovieFormats) {
        if (*row.muxer == 0)
            continue; // the null sink writes nothing
        // Each picture coding with the kind's own sound, each sound coding with its own picture.
        std::vector<std::pair<const PictureCoding*, const SoundCoding*>> cases;
        for (const PictureCoding& picture : row.picture.codings)
            cases.emplace_back(&picture, nullptr);
        for (const SoundCoding& sound : row.sound)
            cases.emplace_back(nullptr, &sound);
        int n = 0;
        for (const auto& [picture, sound] : cases) {
            const std::string name = "kind" + std::to_string(n++) + std::string(row.names.extensions[0]);
            SCOPED_TRACE(name);
            MovieSpec spec = Spec(row.format, name, 256, 144, 2); // DNxHR's smallest
            spec.frameCount = 25;
            if (picture != nullptr) {
                spec.profile = picture->profile;
                if (picture->dynamic == Dynamic::High)
                    spec.colour = {9, 18, 9};
                if (picture->codec == PictureCodec::DnxHd)
                    spec.width = 1920, spec.height = 1080;
                if (picture->codec == PictureCodec::AvcIntra || picture->codec == PictureCodec::Mpeg2)
                    spec.width = 1280, spec.height = 720;
            }
            if (sound != nullptr) {
                spec.samples = sound->samples;
                for (const char* c = sound->codec; *c != 0; ++c)
                    spec.audioCodec += static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
            }
            const MovieResult result = WriteMovie(spec, Sources(2, 1000));
            // Every packet decodes, the sound's last one too.
            EXPECT_EQ(probe::DecodingErrors(spec.path), "");
            const json probe = probe::Ffprobe(spec.path);
            EXPECT_NE(probe.at("format").value("format_name", "").find(row.muxer), std::string::npos);
            EXPECT_NE(result.description.find(row.names.label), std::string::npos) << result.description;
            if (picture != nullptr) {
                const json video = Stream(probe, "video");
                EXPECT_EQ(video.value("codec_name", ""), codecOf(picture->encoder));
                EXPECT_EQ(chromaOf(video.value("pix_fmt", "")), chromaOf(picture->pixels));
                EXPECT_EQ(video.value("nb_frames", "25"), "25");
                EXPECT_EQ(result.description.rfind(picture->label, 0), 0u) << result.description;
            }
            if (sound != nullptr) {
                EXPECT_EQ(Stream(probe, "audio").value("codec_name", ""), codecOf(sound->encoder));
                EXPECT_NE(result.description.find(SoundLabel(*sound)), std::string::npos) << result.description;
            }
        }
    }
}

TEST(MovieFormats, ProfilesAndSamplesAKindLacksAreRefusedNamingWhatItHas)
{
    for (const MovieFormatRow& row : kMovieFormats) {
        SCOPED_TRACE(row.names.name);
        std::string names;
        for (const PictureCoding& coding : row.picture.codings) {
            if (*coding.profile == 0)
                continue;
            EXPECT_EQ(&ProfileNamed(row.format, coding.profile), &coding); // no name hides another
            names += coding.profile;
        }
        try {
            (void)ProfileNamed(row.format, "none");
            ADD_FAILURE() << "a profile named none";
        } catch (const std::invalid_argument& e) {
            const std::string said = e.what();
            for (const PictureCoding& coding : row.picture.codings)
                EXPECT_NE(said.find(names.empty() ? ".mov" : coding.profile), std::string::npos) << said;
        }
        if (!row.sound.empty()) {
            EXPECT_NO_THROW((void)SoundCodingFor(row.format, std::nullopt)); // every kind with sound has its own
        }
    }
    EXPECT_STREQ(SoundCodingFor(MovieFormat::Mp4Preview, std::nullopt).encoder, "aac");
    EXPECT_THROW((void)SoundCodingFor(MovieFormat::Mp4Preview, SampleFormat::Int24), std::invalid_argument);
    EXPECT_THROW((void)SoundCodingFor(MovieFormat::DnxMxf, SampleFormat::Float32), std::invalid_argument);
}

TEST(MovieFormats, ExportHelpListsEachKindOnceInAlignedColumns)
{
    std::vector<std::string> lines;
    std::istringstream help(MovieFormatsHelp());
    for (std::string line; std::getline(help, line);)
        lines.push_back(line);
    std::size_t column = 0; // where the kinds' texts start
    for (const MovieFormatRow& row : kMovieFormats) {
        const auto listed = std::find_if(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.rfind("  " + std::string(row.names.extensions[0]) + " ", 0) == 0 && !row.names.extensions[0].empty();
        });
        if (*row.help == 0) {
            EXPECT_EQ(listed, lines.end()) << row.names.name;
            continue;
        }
        ASSERT_NE(listed, lines.end()) << row.names.name;
        const std::size_t text = listed->find(std::string_view(row.help).substr(0, 10));
        const std::size_t name = listed->find_first_not_of(' ', 2 + row.names.extensions[0].size());
        EXPECT_EQ(listed->compare(name, row.names.name.size(), row.names.name), 0) << *listed;
        EXPECT_TRUE(column == 0 || text == column) << *listed;
        column = text;
        // A text of several lines goes on at the same column.
        for (auto next = listed + 1; next != lines.end() && next->rfind("  .", 0) != 0 && next + 1 != lines.end(); ++next)
            EXPECT_EQ(next->find_first_not_of(' '), column) << *next;
    }
}

TEST_F(Delivery, PicturesThatComeBackOrDifferLowDownDecodeAsAFullEncode)
{
    // Repeated pictures take the packet of the first. B differs from A in
    // the luma of the last row's last pixel, C in the chroma of a middle row;
    // A comes back after each.
    const std::string order = "AAABBBAACCCABAAA";
    MovieSources src = Sources(2);
    src.picture = [&](std::int64_t frame, const StudioPlanes& out, const StudioPlanes* same) {
        const char kind = order.at(static_cast<std::size_t>(frame));
        const std::vector<float> floats = TestFloats(100, out.width, out.height, [&](int x, int y, float* vuya) {
            if (kind == 'B' && y == out.height - 1 && x == out.width - 1)
                vuya[2] = 0.5f;
            if (kind == 'C' && y == out.height / 2 && x == 2)
                vuya[1] = 0.25f;
        });
        return ConvertedSource(floats, out, same);
    };
    for (const auto& [format, name] : kIntraFormats) {
        MovieSpec spec = Spec(format, name, 256, 144, 2);
        spec.frameCount = static_cast<std::int64_t>(order.size());
        // At most each change of picture is encoded (a frame may also take
        // the packet of an earlier picture it equals).
        const std::int64_t encoded = ReusedDecodesAsFull(spec, src);
        EXPECT_LE(encoded, 7) << name;
        EXPECT_GE(encoded, 3) << name;
    }
}

TEST_F(Delivery, ProResProfilesReadBackByTheirCodes)
{
    struct Row {
        const char* profile;
        const char* fourCc;
        const char* ffprobe;
        const char* mediaInfo;
        const char* pixels;
    } rows[] = {
        {"proxy", "apco", "Proxy", "422 Proxy", "yuv422p10le"},
        {"lt", "apcs", "LT", "422 LT", "yuv422p10le"},
        {"422", "apcn", "Standard", "422", "yuv422p10le"},
        {"hq", "apch", "HQ", "422 HQ", "yuv422p10le"},
        // FFmpeg's decoder gives 4444 at 12 bits, its precision.
        {"4444", "ap4h", "4444", "4444", "yuv444p12le"},
        {"4444xq", "ap4x", "XQ", "4444 XQ", "yuv444p12le"},
    };
    // Every profile --profile offers for ProRes is read back here.
    for (const PictureCoding& coding : RowOf(MovieFormat::ProResQuickTime).picture.codings)
        EXPECT_TRUE(std::any_of(std::begin(rows), std::end(rows), [&](const Row& r) { return std::string_view(r.profile) == coding.profile; }))
            << coding.profile;
    for (const Row& row : rows) {
        MovieSpec spec = Spec(MovieFormat::ProResQuickTime, std::string(row.fourCc) + ".mov", 64, 36, 2);
        spec.profile = row.profile;
        spec.frameCount = 2;
        WriteMovie(spec, Sources(2));
        const json video = Stream(probe::Ffprobe(spec.path), "video");
        EXPECT_EQ(video.value("codec_tag_string", ""), row.fourCc);
        ExpectVideo(video, "prores", row.ffprobe, row.pixels, kRec709);
        EXPECT_EQ(probe::MediaInfoTrack(spec.path, "Video").value("Format_Profile", ""), row.mediaInfo);
    }
}

TEST_F(Delivery, MxfIsOp1aDnxhrHqxWithMaterialTimecodeAndPcm)
{
    MovieSpec spec = Spec(MovieFormat::DnxMxf, "hqx.mxf", 256, 144, 2);
    WriteMovie(spec, Sources(2));
    const json probe = probe::Ffprobe(spec.path);
    ExpectVideo(Stream(probe, "video"), "dnxhd", "DNXHR HQX", "yuv422p10le", kRec709);
    EXPECT_EQ(probe.at("format").at("tags").value("timecode", ""), "10:00:00:00");
    EXPECT_EQ(Stream(probe, "audio").value("channels", 0), 2);

    EXPECT_EQ(probe::MediaInfoTrack(spec.path, "General").value("Format_Profile", ""), "OP-1a");
    EXPECT_EQ(probe::MediaInfoTrack(spec.path, "Video").value("Format_Commercial_IfAny", ""), "DNxHR HQX");
    const json timecode = probe::MediaInfoTrack(spec.path, "Other");
    EXPECT_EQ(timecode.value("TimeCode_FirstFrame", ""), "10:00:00:00");
    EXPECT_EQ(timecode.value("TimeCode_Settings", ""), "Material Package");

    // The picture within a code or two, the sound within a 24-bit step.
    const probe::Movie m = probe::ReadMovie(spec.path);
    EXPECT_NEAR(m.frames.at(0).At(0, 200, 60), 940, 2);
    EXPECT_NEAR(m.frames.at(0).At(0, 40, 140), 4, 2);
    EXPECT_NEAR(m.samples.at(1).at(1000), ExpectedSample(1, 1000, 48000), 1.0 / 8388608.0);
}

TEST_F(Delivery, DnxhdTenBitAt1080CarriesInterlacingWhereDnxhrCannot)
{
    MovieSpec spec = Spec(MovieFormat::DnxMxf, "hd.mxf", 1920, 1080, 0);
    spec.audioRate = 0;
    spec.profile = "dnxhd";
    spec.fieldOrder = FieldOrder::TopFirst;
    spec.frameCount = 2;
    WriteMovie(spec, Sources(0));
    const json video = Stream(probe::Ffprobe(spec.path), "video");
    EXPECT_EQ(video.value("profile", ""), "DNXHD");
    EXPECT_EQ(video.value("pix_fmt", ""), "yuv422p10le");
    EXPECT_EQ(video.value("field_order", ""), "tt");
    EXPECT_EQ(probe::MediaInfoTrack(spec.path, "Video").value("ScanOrder", ""), "TFF");

    spec.fieldOrder = FieldOrder::BottomFirst;
    EXPECT_THROW(CheckMovieSpec(spec), std::invalid_argument); // DNxHD codes the top field first
    spec.fieldOrder = FieldOrder::TopFirst;

    spec.width = 1280;
    spec.height = 720;
    EXPECT_THROW(CheckMovieSpec(spec), std::invalid_argument); // DNxHD 10-bit is 1080 only
    spec.profile = "hqx";
    EXPECT_THROW(CheckMovieSpec(spec), std::invalid_argument); // DNxHR is progressive
}

TEST_F(Delivery, HevcPqCarriesMasteringDisplayAndTheLightOfItsPicture)
{
    MovieSpec spec = Spec(MovieFormat::Mp4Preview, "pq.mp4", 128, 72, 2);
    spec.colour = {9, 16, 9};
    spec.masteringMaxCandelas = 4000;
    WriteMovie(spec, Sources(2));
    ExpectVideo(Stream(probe::Ffprobe(spec.path), "video"), "hevc", "Main 10", "yuv420p10le",
                {"bt2020", "smpte2084", "bt2020nc", "tv"});

    // The right half is white or above it (10000 cd/m² through PQ), the left
    // black or below it: the brightest pixel is 10000, the average 5000.
    const json frame = probe::Ffprobe(spec.path, "-select_streams v -show_frames -read_intervals %+#1").at("frames").at(0);
    int found = 0;
    for (const json& side : frame.at("side_data_list")) {
        if (side.value("side_data_type", "") == "Mastering display metadata") {
            EXPECT_EQ(side.value("max_luminance", ""), "40000000/10000");
            EXPECT_EQ(side.value("min_luminance", ""), "1/10000");
            EXPECT_EQ(side.value("red_x", ""), "35400/50000");
            EXPECT_EQ(side.value("white_point_y", ""), "16450/50000");
            ++found;
        }
        if (side.value("side_data_type", "") == "Content light level metadata") {
            EXPECT_EQ(side.value("max_content", 0), 10000);
            EXPECT_EQ(side.value("max_average", 0), 5000);
            ++found;
        }
    }
    EXPECT_EQ(found, 2);
    const json track = probe::MediaInfoTrack(spec.path, "Video");
    EXPECT_NE(track.value("HDR_Format", "").find("SMPTE ST 2086"), std::string::npos);
    EXPECT_EQ(track.value("MasteringDisplay_ColorPrimaries", ""), "BT.2020");
    EXPECT_EQ(track.value("MasteringDisplay_Luminance", ""), "min: 0.0001 cd/m2, max: 4000 cd/m2");
    EXPECT_EQ(track.value("MaxCLL", ""), "10000 cd/m2");
    EXPECT_EQ(track.value("MaxFALL", ""), "5000 cd/m2");
    EXPECT_EQ(probe::MediaInfoTrack(spec.path, "Other").value("TimeCode_FirstFrame", ""), "10:00:00:00");
    // A lossy preview: flat patches within a few codes.
    const probe::Movie m = probe::ReadMovie(spec.path);
    EXPECT_NEAR(m.frames.at(0).At(0, 100, 30), 940, 6);
    EXPECT_NEAR(m.frames.at(0).At(0, 30, 66), 4, 6);

    spec.path = Path("hlg.mp4");
    spec.colour = {9, 18, 9};
    WriteMovie(spec, Sources(2));
    EXPECT_EQ(ColourOf(Stream(probe::Ffprobe(spec.path), "video")), kHlg);
    EXPECT_EQ(probe::MediaInfoTrack(spec.path, "Video").value("transfer_characteristics", ""), "HLG");
}

TEST_F(Delivery, H264PreviewIsHighProfile8BitWithColourAndAac)
{
    MovieSpec spec = Spec(MovieFormat::Mp4Preview, "sdr.mp4", 64, 36, 6);
    WriteMovie(spec, Sources(6));
    const json probe = probe::Ffprobe(spec.path);
    ExpectVideo(Stream(probe, "video"), "h264", "High", "yuv420p", kRec709);
    EXPECT_EQ(Stream(probe, "audio").value("channel_layout", ""), "5.1");
    EXPECT_EQ(probe::MediaInfoTrack(spec.path, "Video").value("Format_Profile", ""), "High");
}

TEST_F(Delivery, InterlacedPictureIsFlaggedInStreamAndContainer)
{
    for (const auto& [format, name, order, ffprobe, mediaInfo] :
         {std::tuple{MovieFormat::ProResQuickTime, "tff.mov", FieldOrder::TopFirst, "tt", "TFF"},
          std::tuple{MovieFormat::Ffv1Matroska, "bff.mkv", FieldOrder::BottomFirst, "bb", "BFF"}}) {
        MovieSpec spec = Spec(format, name, 64, 36, 2);
        spec.fieldOrder = order;
        WriteMovie(spec, Sources(2));
        EXPECT_EQ(Stream(probe::Ffprobe(spec.path), "video").value("field_order", ""), ffprobe);
        const json track = probe::MediaInfoTrack(spec.path, "Video");
        EXPECT_EQ(track.value("ScanType", ""), "Interlaced") << name;
        EXPECT_EQ(track.value("ScanOrder", ""), mediaInfo);
    }
}

TEST_F(Delivery, SoundAsOneMonoTrackPerChannelAndInEachDepth)
{
    MovieSpec spec = Spec(MovieFormat::ProResQuickTime, "mono.mov", 64, 36, 6);
    spec.audioTracks = AudioTracks::Mono;
    spec.samples = SampleFormat::Int16;
    WriteMovie(spec, Sources(6));
    const json probe = probe::Ffprobe(spec.path);
    // Each track names its channel, in the file's order (FFmpeg calls a
    // lone centre "mono").
    const char* const fileOrder[] = {"1 channels (FL)", "1 channels (FR)", "mono",
                                     "1 channels (LFE)", "1 channels (BL)", "1 channels (BR)"};
    for (int t = 0; t < 6; ++t) {
        const json audio = Stream(probe, "audio", t);
        EXPECT_EQ(audio.value("codec_name", ""), "pcm_s16le");
        EXPECT_EQ(audio.value("channels", 0), 1);
        EXPECT_EQ(audio.value("channel_layout", ""), fileOrder[t]) << t;
    }

    spec = Spec(MovieFormat::DnxMxf, "mono.mxf", 256, 144, 2);
    spec.audioTracks = AudioTracks::Mono;
    WriteMovie(spec, Sources(2));
    EXPECT_EQ(Stream(probe::Ffprobe(spec.path), "audio", 1).value("channels", 0), 1);

    spec = Spec(MovieFormat::ProResQuickTime, "float.mov", 64, 36, 2);
    spec.samples = SampleFormat::Float32;
    WriteMovie(spec, Sources(2));
    const probe::Movie m = probe::ReadMovie(spec.path);
    EXPECT_EQ(m.audioCodec, "pcm_f32le");
    EXPECT_EQ(m.samples.at(1).at(777), ExpectedSample(1, 777, 48000)); // float is kept exactly

    spec.format = MovieFormat::DnxMxf;
    EXPECT_THROW(CheckMovieSpec(spec), std::invalid_argument); // MXF has no float PCM
}

TEST_F(Delivery, NutCarriesItsDescriptionInTheStreams)
{
    MovieSpec spec = Spec(MovieFormat::NutStream, "pipe.nut", 64, 36, 6);
    spec.colour = {9, 18, 9};
    WriteMovie(spec, Sources(6));
    const json probe = probe::Ffprobe(spec.path);
    ExpectVideo(Stream(probe, "video"), "prores", "HQ", "yuv422p10le", kHlg);
    EXPECT_EQ(Stream(probe, "audio").value("codec_name", ""), "flac");
    EXPECT_EQ(Stream(probe, "audio").value("channels", 0), 6);
    EXPECT_EQ(probe.at("format").at("tags").value("timecode", ""), "10:00:00:00");
    const probe::Movie m = probe::ReadMovie(spec.path);
    EXPECT_NEAR(m.frames.at(0).At(0, 50, 30), 1019, 2);
}
