#pragma once
// The one place where a movie's bytes leave the writer: a container (muxer)
// writing into the movie's output. The output layer decides what that is: a
// regular file written under a temporary name and renamed by Commit(), or a
// stream (a pipe, standard output) written in order, which a container that
// goes back to finish its file cannot use. Dropped uncommitted, the output
// leaves nothing behind.

#include "btmedia/AvSupport.h"
#include "btmedia/MovieFormats.h"
#include "btmedia/OutputFile.h"

#include <optional>
#include <string>

namespace btmedia {

class MovieOutput {
public:
    /// The container of the kind's row (its muxer, whether it must go back
    /// to finish the file). Without an `output`, `name` is written,
    /// replacing what is there.
    MovieOutput(const std::string& name, OutputFile* output, const MovieFormatRow& kind);
    ~MovieOutput();
    MovieOutput(const MovieOutput&) = delete;
    MovieOutput& operator=(const MovieOutput&) = delete;

    [[nodiscard]] AVFormatContext* Container() noexcept { return mFormat; }
    /// Whether encoders must put their headers in the container (extradata).
    [[nodiscard]] bool WantsGlobalHeaders() const noexcept;

    void WriteHeader();
    /// Hands a packet to the container's interleaver; takes its data.
    void Write(AVPacket* packet);
    /// Writes the container's end and gives the output its name.
    void Commit();

private:
    void Close() noexcept;

    std::string mName;
    std::optional<OutputFile> mOwnOutput;
    OutputFile* mOutput = nullptr;
    AVFormatContext* mFormat = nullptr;
};

} // namespace btmedia
