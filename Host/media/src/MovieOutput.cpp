#include "MovieOutput.h"

namespace btmedia {

MovieOutput::MovieOutput(const std::string& name, OutputFile* output, const MovieFormatRow& kind)
    : mName(name), mOutput(output)
{
    if (mOutput == nullptr) {
        if (name.empty())
            throw std::invalid_argument("no output file named");
        mOutput = &mOwnOutput.emplace(name, OutputRules{Overwrite::Always, {}});
    }
    if (kind.seeks)
        mOutput->RequireSeekable(std::string(kind.names.label)); // sizes and indexes are written back at the start
    const std::string url = mOutput->FfmpegUrl();
    av::Check(avformat_alloc_output_context2(&mFormat, nullptr, kind.muxer, url.c_str()), "cannot set up the container");
    if (const int opened = avio_open(&mFormat->pb, url.c_str(), AVIO_FLAG_WRITE); opened < 0) {
        Close();
        throw WriteFailed(mName, AVUNERROR(opened));
    }
}

MovieOutput::~MovieOutput()
{
    // Closed before the output, uncommitted, removes what was written.
    Close();
}

bool MovieOutput::WantsGlobalHeaders() const noexcept
{
    return (mFormat->oformat->flags & AVFMT_GLOBALHEADER) != 0;
}

void MovieOutput::WriteHeader()
{
    av::Check(avformat_write_header(mFormat, nullptr), "cannot write the header of " + mName);
}

void MovieOutput::Write(AVPacket* packet)
{
    const int written = av_interleaved_write_frame(mFormat, packet);
    if (written == AVERROR(ENOSPC) || written == AVERROR(EFBIG))
        throw WriteFailed(mName, AVUNERROR(written));
    av::Check(written, "cannot write to " + mName);
}

void MovieOutput::Commit()
{
    av::Check(av_write_trailer(mFormat), "cannot finish " + mName);
    if (const int closed = avio_closep(&mFormat->pb); closed < 0)
        throw WriteFailed(mName, AVUNERROR(closed));
    mOutput->Commit();
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
