#include "MovieOutput.h"

#include "btmedia/MovieWriter.h"
#include "btmedia/StopSignals.h"

#include <cctype>

namespace btmedia {

namespace {

/// How long a real-time run's output goes on after a stop, to end its
/// stream: the run stops at its next frame and writes the stream's end.
constexpr std::chrono::seconds kEndingGrace{2};

std::string SchemeOf(const std::string& address)
{
    std::string scheme = address.substr(0, address.find("://"));
    for (char& c : scheme)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return scheme;
}

/// A refusal of a kind that goes back to finish its file, for an address.
OutputRefused CannotSeek(const MovieFormatRow& kind, const std::string& address)
{
    return OutputRefused(std::string(kind.names.label) + " cannot be sent to " + address +
                             ": the file must be finished by going back to its start, and a network address cannot "
                             "go back; send MPEG-TS (--format ts) or write a file",
                         false);
}

} // namespace

MovieOutput::MovieOutput(const MovieSpec& spec, const MovieFormatRow& kind)
    : mKind(kind), mName(spec.address.empty() ? spec.path : spec.address), mOutput(spec.output),
      mEndsCleanly(spec.realTime)
{
    std::string url;
    if (!spec.address.empty()) {
        if (kind.seeks)
            throw CannotSeek(kind, spec.address);
        url = spec.address;
        mOutput = nullptr;
    } else {
        if (mOutput == nullptr) {
            if (spec.path.empty())
                throw std::invalid_argument("no output file named");
            mOutput = &mOwnOutput.emplace(spec.path, OutputRules{Overwrite::Always, {}});
        }
        if (kind.seeks)
            mOutput->RequireSeekable(std::string(kind.names.label)); // sizes and indexes are written back at the start
        url = mOutput->FfmpegUrl();
        mSeekable = mOutput->Seekable();
    }
    av::Check(avformat_alloc_output_context2(&mFormat, nullptr, kind.muxer, url.c_str()), "cannot set up the container");
    mFormat->interrupt_callback = {&MovieOutput::Interrupted, this};
    // A live run hands each packet on as it is made.
    if (spec.realTime)
        mFormat->flags |= AVFMT_FLAG_FLUSH_PACKETS;
    AVDictionary* protocol = nullptr;
    // Seven transport packets to a datagram, as receivers expect them.
    if (!spec.address.empty() && SchemeOf(spec.address) == "udp")
        av_dict_set(&protocol, "pkt_size", "1316", 0);
    const int opened = avio_open2(&mFormat->pb, url.c_str(), AVIO_FLAG_WRITE, &mFormat->interrupt_callback, &protocol);
    av_dict_free(&protocol);
    if (opened < 0) {
        Close();
        if (opened == AVERROR_EXIT)
            StopPoint();
        if (!spec.address.empty())
            throw std::runtime_error("cannot open " + spec.address + ": " + av::ErrorText(opened));
        throw WriteFailed(mName, AVUNERROR(opened));
    }
}

MovieOutput::~MovieOutput()
{
    // Closed before the output, uncommitted, removes what was written.
    Close();
}

int MovieOutput::Interrupted(void* self) noexcept
{
    auto* output = static_cast<MovieOutput*>(self);
    if (StopSignal() == 0)
        return 0;
    if (!output->mEndsCleanly)
        return 1;
    const std::int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                 std::chrono::steady_clock::now().time_since_epoch())
                                 .count();
    std::int64_t heard = 0;
    if (output->mStopHeard.compare_exchange_strong(heard, now))
        return 0;
    return now - heard > std::chrono::nanoseconds(kEndingGrace).count() ? 1 : 0;
}

bool MovieOutput::WantsGlobalHeaders() const noexcept
{
    return (mFormat->oformat->flags & AVFMT_GLOBALHEADER) != 0;
}

void MovieOutput::WriteHeader()
{
    AVDictionary* options = nullptr;
    for (const EncoderOption& option : mKind.muxerOptions)
        if (option.key != nullptr)
            av_dict_set(&options, option.key, option.value, 0);
    const int written = avformat_write_header(mFormat, &options);
    av_dict_free(&options);
    av::Check(written, "cannot write the header of " + mName);
}

void MovieOutput::Write(AVPacket* packet)
{
    const int written = av_interleaved_write_frame(mFormat, packet);
    if (written == AVERROR(ENOSPC) || written == AVERROR(EFBIG))
        throw WriteFailed(mName, AVUNERROR(written));
    if (written == AVERROR_EXIT)
        StopPoint();
    av::Check(written, "cannot write to " + mName);
}

void MovieOutput::Commit(bool afterStop)
{
    av::Check(av_write_trailer(mFormat), "cannot finish " + mName);
    if (const int closed = avio_closep(&mFormat->pb); closed < 0)
        throw WriteFailed(mName, AVUNERROR(closed));
    if (mOutput != nullptr)
        mOutput->Commit(afterStop);
}

void MovieOutput::Close() noexcept
{
    if (mFormat == nullptr)
        return;
    if (mFormat->pb != nullptr)
        avio_closep(&mFormat->pb);
    avformat_free_context(mFormat);
    mFormat = nullptr;
}

} // namespace btmedia
