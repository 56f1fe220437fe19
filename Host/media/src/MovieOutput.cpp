#include "MovieOutput.h"

#include <cstdio>

namespace btmedia {

MovieOutput::MovieOutput(const std::string& path, const char* muxer, bool seeks) : mPath(path)
{
    if (path.empty())
        throw std::invalid_argument("no output file named");
    const bool toStandardOutput = path == "-";
    if (toStandardOutput && seeks)
        throw std::invalid_argument(std::string("a ") + muxer +
                                    " file is finished by going back to its start, which standard output cannot do; "
                                    "name a file, or use NUT for a pipe");
    av::Check(avformat_alloc_output_context2(&mFormat, nullptr, muxer, nullptr), "cannot set up the container");
    if (!toStandardOutput)
        mTemp = path + ".partial";
    // pipe:1 is standard output, unbuffered by stdio, written in order.
    const std::string target = toStandardOutput ? std::string("pipe:1") : mTemp;
    const int opened = avio_open(&mFormat->pb, target.c_str(), AVIO_FLAG_WRITE);
    if (opened < 0) {
        avformat_free_context(mFormat);
        mFormat = nullptr;
        throw std::runtime_error("cannot create " + path + ": " + av::ErrorText(opened));
    }
}

MovieOutput::~MovieOutput()
{
    Close();
    if (!mCommitted && !mTemp.empty())
        std::remove(mTemp.c_str());
}

bool MovieOutput::WantsGlobalHeaders() const noexcept
{
    return (mFormat->oformat->flags & AVFMT_GLOBALHEADER) != 0;
}

void MovieOutput::WriteHeader()
{
    av::Check(avformat_write_header(mFormat, nullptr), "cannot write the header of " + mPath);
}

void MovieOutput::Write(AVPacket* packet)
{
    av::Check(av_interleaved_write_frame(mFormat, packet), "cannot write to " + mPath);
}

void MovieOutput::Commit()
{
    av::Check(av_write_trailer(mFormat), "cannot finish " + mPath);
    av::Check(avio_closep(&mFormat->pb), "cannot close " + mPath);
    if (!mTemp.empty() && std::rename(mTemp.c_str(), mPath.c_str()) != 0)
        throw std::runtime_error("cannot move the finished file to " + mPath);
    mCommitted = true;
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
