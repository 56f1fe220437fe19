#include "btmedia/SoundWriter.h"

#include "btmedia/ChannelOrder.h"

#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <iterator>
#include <memory>
#include <stdexcept>

namespace btmedia {

namespace {

struct ContainerRow {
    SoundContainer format;
    FormatNames names;
    int major;        ///< libsndfile's major format
    bool mustSeek;    ///< finished by going back to its header
    bool openSizes;   ///< on a stream, written with its sizes unknown instead (WAV, as FFmpeg writes it)
    bool speakerMap;  ///< takes libsndfile's channel map (FLAC's order is fixed by the channel count)
    bool holdsFloat;
    bool downgrades;  ///< RF64 that stays a plain WAV while it fits (see the header)
};

constexpr ContainerRow kContainers[] = {
    {SoundContainer::Wav, {"wav", "WAV", {".wav", ".wave"}}, SF_FORMAT_RF64, true, true, true, true, true},
    {SoundContainer::Rf64, {"rf64", "RF64", {".rf64", ""}}, SF_FORMAT_RF64, true, false, true, true, false},
    {SoundContainer::Flac, {"flac", "FLAC", {".flac", ""}}, SF_FORMAT_FLAC, false, false, false, false, false},
    {SoundContainer::Aiff, {"aiff", "AIFF", {".aif", ".aiff"}}, SF_FORMAT_AIFF, true, false, true, true, false},
};

const ContainerRow& RowOf(SoundContainer container) { return btmedia::RowOf(kContainers, container); }

int SubtypeOf(SampleFormat samples)
{
    switch (samples) {
    case SampleFormat::Int16: return SF_FORMAT_PCM_16;
    case SampleFormat::Int24: return SF_FORMAT_PCM_24;
    case SampleFormat::Float32: return SF_FORMAT_FLOAT;
    }
    return SF_FORMAT_FLOAT;
}

struct SoundFileCloser {
    void operator()(SNDFILE* f) const noexcept { sf_close(f); }
};
using SoundFile = std::unique_ptr<SNDFILE, SoundFileCloser>;

/// Speaker of each file channel, for the layouts that have a mask.
std::vector<int> SpeakerMap(std::size_t channelCount)
{
    switch (channelCount) {
    case 1: return {SF_CHANNEL_MAP_CENTER};
    case 2: return {SF_CHANNEL_MAP_LEFT, SF_CHANNEL_MAP_RIGHT};
    case 6:
        return {SF_CHANNEL_MAP_LEFT, SF_CHANNEL_MAP_RIGHT,     SF_CHANNEL_MAP_CENTER,
                SF_CHANNEL_MAP_LFE,  SF_CHANNEL_MAP_REAR_LEFT, SF_CHANNEL_MAP_REAR_RIGHT};
    default: return {};
    }
}

/// Speaker mask bits of the file's channels (WAVE_FORMAT_EXTENSIBLE).
std::uint32_t SpeakerMask(std::size_t channelCount)
{
    switch (channelCount) {
    case 1: return 0x4;  // centre
    case 2: return 0x3;  // left, right
    case 6: return 0x3F; // left, right, centre, LFE, back left, back right
    default: return 0;
    }
}

void PutLe(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes)
{
    for (int b = 0; b < bytes; ++b)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * b)));
}

void PutTag(std::vector<std::uint8_t>& out, const char (&tag)[5])
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(tag[i]));
}

/// The header FFmpeg writes before a WAV's samples when it cannot go back:
/// the RIFF and data sizes unknown (all ones), readers take the data to
/// the end of the stream. The extensible form, with the speakers' mask,
/// where FFmpeg chooses it: beyond two channels, 16 bits or 48 kHz.
std::vector<std::uint8_t> StreamedWavHeader(SampleFormat samples, int sampleRate, std::size_t channelCount)
{
    constexpr std::uint32_t kUnknownSize = 0xFFFFFFFFu;
    constexpr std::uint16_t kPcm = 1, kFloat = 3, kExtensible = 0xFFFE;
    const std::uint32_t bits = samples == SampleFormat::Int16 ? 16 : samples == SampleFormat::Int24 ? 24 : 32;
    const auto channels = static_cast<std::uint32_t>(channelCount);
    const std::uint32_t blockAlign = channels * bits / 8;
    const std::uint16_t tag = samples == SampleFormat::Float32 ? kFloat : kPcm;
    const bool extensible = channels > 2 || bits > 16 || sampleRate > 48000;
    std::vector<std::uint8_t> h;
    PutTag(h, "RIFF");
    PutLe(h, kUnknownSize, 4);
    PutTag(h, "WAVE");
    PutTag(h, "fmt ");
    PutLe(h, extensible ? 40 : 16, 4);
    PutLe(h, extensible ? kExtensible : tag, 2);
    PutLe(h, channels, 2);
    PutLe(h, static_cast<std::uint32_t>(sampleRate), 4);
    PutLe(h, static_cast<std::uint32_t>(sampleRate) * blockAlign, 4);
    PutLe(h, blockAlign, 2);
    PutLe(h, bits, 2);
    if (extensible) {
        PutLe(h, 22, 2); // what follows
        PutLe(h, bits, 2);
        PutLe(h, SpeakerMask(channelCount), 4);
        // The format's GUID: its tag, then the fixed part.
        PutLe(h, tag, 4);
        constexpr std::uint8_t kGuidRest[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
        h.insert(h.end(), std::begin(kGuidRest), std::end(kGuidRest));
    }
    PutTag(h, "data");
    PutLe(h, kUnknownSize, 4);
    return h;
}

} // namespace

FormatList SoundFormatList()
{
    FormatList list{"Sound file", {}, 0};
    for (const ContainerRow& row : kContainers)
        list.entries.push_back({static_cast<int>(row.format), row.names, row.downgrades ? "RF64 beyond 4 GiB" : ""});
    // Standard output takes the first that needs no going back.
    const auto* streamed = std::find_if(std::begin(kContainers), std::end(kContainers),
                                        [](const ContainerRow& row) { return !row.mustSeek; });
    list.standardOutput = static_cast<std::size_t>(streamed - std::begin(kContainers));
    return list;
}

std::optional<SoundContainer> SoundContainerOfName(std::string_view fileName)
{
    return FormatOfFileName(kContainers, fileName);
}

std::string_view ContainerName(SoundContainer container) { return RowOf(container).names.label; }

bool Holds(SoundContainer container, SampleFormat samples)
{
    return samples != SampleFormat::Float32 || RowOf(container).holdsFloat;
}

std::string SamplesRefused(SoundContainer container, SampleFormat samples)
{
    std::vector<std::string> held, holders;
    for (const SampleFormatRow& row : kSampleFormats)
        if (Holds(container, row.format))
            held.emplace_back(row.label);
    for (const ContainerRow& row : kContainers)
        if (Holds(row.format, samples))
            holders.emplace_back(row.names.label);
    return std::string(ContainerName(container)) + " holds " + JoinedList(held) + " samples, not " +
           std::string(SampleLabel(samples)) + ", which " + JoinedList(holders, "and") + " hold";
}

SampleFormat DefaultSamples(SoundContainer container)
{
    return Holds(container, SampleFormat::Float32) ? SampleFormat::Float32 : SampleFormat::Int24;
}

std::string SamplesHelp()
{
    std::string defaults = std::string(SampleToken(DefaultSamples(kContainers[0].format)));
    for (const ContainerRow& row : kContainers)
        if (DefaultSamples(row.format) != DefaultSamples(kContainers[0].format))
            defaults += ", " + std::string(row.names.label) + " " + std::string(SampleToken(DefaultSamples(row.format)));
    return "Samples: " + SampleTokensText() + "; default " + defaults;
}

struct SoundWriter::State {
    OutputFile& output;
    std::vector<std::size_t> order;
    std::vector<float> interleaved;
    SoundFile file;

    explicit State(OutputFile& out) : output(out) {}

    /// libsndfile says what failed; the system's error, when there is one,
    /// says it in terms a user acts on (a full disk, the size limit).
    [[noreturn]] void Fail(const std::string& what, int errorNumber)
    {
        file.reset();
        if (errorNumber != 0)
            throw WriteFailed(output.Name(), errorNumber);
        throw std::runtime_error("cannot write '" + output.Name() + "': " + what);
    }
};

SoundWriter::SoundWriter(OutputFile& output, SoundFormat format, int sampleRate, std::size_t channelCount)
    : mState(std::make_unique<State>(output))
{
    State& s = *mState;
    const ContainerRow& row = RowOf(format.container);
    if (channelCount == 0)
        s.Fail("no channels", 0);
    if (!Holds(format.container, format.samples))
        s.Fail(SamplesRefused(format.container, format.samples), 0);
    // On a stream a WAV gets its header here, and libsndfile writes the
    // samples after it.
    const bool openSizes = row.mustSeek && row.openSizes && !output.Seekable();
    if (row.mustSeek && !openSizes)
        output.RequireSeekable(std::string(row.names.label));
    if (openSizes) {
        const std::vector<std::uint8_t> header = StreamedWavHeader(format.samples, sampleRate, channelCount);
        output.WriteAll(header.data(), header.size());
    }
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = static_cast<int>(channelCount);
    info.format = openSizes ? SF_FORMAT_RAW | SF_ENDIAN_LITTLE | SubtypeOf(format.samples)
                            : row.major | SubtypeOf(format.samples);
    errno = 0;
    s.file.reset(sf_open_fd(output.Descriptor(), SFM_WRITE, &info, SF_FALSE));
    if (!s.file)
        s.Fail(sf_strerror(nullptr), errno);

    // Both go into the header, so they are set before the first frame.
    if (row.downgrades && !openSizes)
        (void)sf_command(s.file.get(), SFC_RF64_AUTO_DOWNGRADE, nullptr, SF_TRUE);
    std::vector<int> speakers = SpeakerMap(channelCount);
    if (row.speakerMap && !openSizes && !speakers.empty() &&
        sf_command(s.file.get(), SFC_SET_CHANNEL_MAP_INFO, speakers.data(),
                   static_cast<int>(speakers.size() * sizeof(int))) == SF_FALSE)
        s.Fail("channel mask refused", 0);
    // Samples beyond full scale are held there instead of wrapping round.
    (void)sf_command(s.file.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);
    for (std::size_t c = 0; c < channelCount; ++c)
        s.order.push_back(FileChannelSource(channelCount, c));
}

SoundWriter::~SoundWriter() = default;

void SoundWriter::Write(std::span<const float* const> channels, std::size_t frames)
{
    State& s = *mState;
    if (!s.file)
        throw std::logic_error("SoundWriter::Write after Finish or a failure");
    if (channels.size() != s.order.size())
        s.Fail("a stretch of " + std::to_string(channels.size()) + " channels for a file of " +
                   std::to_string(s.order.size()),
               0);
    constexpr std::size_t kBlockFrames = 4096;
    const std::size_t width = channels.size();
    s.interleaved.resize(kBlockFrames * width);
    for (std::size_t first = 0; first < frames; first += kBlockFrames) {
        const std::size_t n = std::min(kBlockFrames, frames - first);
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t c = 0; c < width; ++c)
                s.interleaved[i * width + c] = channels[s.order[c]][first + i];
        errno = 0;
        if (sf_writef_float(s.file.get(), s.interleaved.data(), static_cast<sf_count_t>(n)) !=
            static_cast<sf_count_t>(n))
            s.Fail(sf_strerror(s.file.get()), errno);
    }
}

void SoundWriter::Finish()
{
    State& s = *mState;
    if (!s.file)
        throw std::logic_error("SoundWriter::Finish after Finish or a failure");
    errno = 0;
    if (const int closed = sf_close(s.file.release()); closed != 0)
        s.Fail(sf_error_number(closed), errno);
    s.output.Commit();
}

} // namespace btmedia
