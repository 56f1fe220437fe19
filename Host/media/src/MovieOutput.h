#pragma once
// The one place where a movie's bytes leave the writer: a container (muxer)
// and where it writes, a file or standard output.
//
// A file is written beside its target under a temporary name and renamed
// into place by Commit(); until then, and whenever the output is dropped
// uncommitted, the temporary file is removed, so a failed export leaves
// nothing behind. Standard output ("-") is written directly and in order,
// so only containers that never seek back may go there.

#include "AvSupport.h"

#include <string>

namespace btmedia {

class MovieOutput {
public:
    /// `muxer` is FFmpeg's short name ("mov", "matroska", "mxf", "mp4",
    /// "nut"); `seeks` says whether it must go back to finish the file.
    MovieOutput(const std::string& path, const char* muxer, bool seeks);
    ~MovieOutput();
    MovieOutput(const MovieOutput&) = delete;
    MovieOutput& operator=(const MovieOutput&) = delete;

    [[nodiscard]] AVFormatContext* Container() noexcept { return mFormat; }
    [[nodiscard]] const std::string& Name() const noexcept { return mPath; }
    /// Whether encoders must put their headers in the container (extradata).
    [[nodiscard]] bool WantsGlobalHeaders() const noexcept;

    void WriteHeader();
    /// Hands a packet to the container's interleaver; takes its data.
    void Write(AVPacket* packet);
    /// Writes the container's end, closes the output and gives the file its
    /// name.
    void Commit();

private:
    void Close() noexcept;

    std::string mPath;
    std::string mTemp; ///< empty for standard output
    AVFormatContext* mFormat = nullptr;
    bool mCommitted = false;
};

} // namespace btmedia
