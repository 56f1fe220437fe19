#pragma once
// The one place where a movie's bytes leave the writer: a container (muxer)
// writing into the movie's output. The output layer decides what that is: a
// regular file written under a temporary name and renamed by Commit(), or a
// stream (a pipe, standard output) written in order, which a container that
// goes back to finish its file cannot use. Dropped uncommitted, the output
// leaves nothing behind. A network address (udp://, srt://, rtmp://...) is
// opened by FFmpeg's own protocols and is a stream too.
//
// A stop signal breaks off whatever the output waits for (a receiver to
// connect, a full pipe). A real-time run ends its stream cleanly when
// stopped, so there the output goes on for a moment after the signal, and
// no longer.

#include "btmedia/AvSupport.h"
#include "btmedia/MovieFormats.h"
#include "btmedia/OutputFile.h"

#include <atomic>
#include <chrono>
#include <optional>
#include <string>

namespace btmedia {

struct MovieSpec;

class MovieOutput {
public:
    /// The container of the kind's row (its muxer and its options, whether it
    /// must go back to finish the file), into the movie's address, its output
    /// or, without either, its path, replaced.
    MovieOutput(const MovieSpec& spec, const MovieFormatRow& kind);
    ~MovieOutput();
    MovieOutput(const MovieOutput&) = delete;
    MovieOutput& operator=(const MovieOutput&) = delete;

    [[nodiscard]] AVFormatContext* Container() noexcept { return mFormat; }
    /// Whether encoders must put their headers in the container (extradata).
    [[nodiscard]] bool WantsGlobalHeaders() const noexcept;
    /// Whether the container can go back in what it wrote.
    [[nodiscard]] bool Seekable() const noexcept { return mSeekable; }
    [[nodiscard]] const MovieFormatRow& Kind() const noexcept { return mKind; }

    void WriteHeader();
    /// Hands a packet to the container's interleaver; takes its data.
    void Write(AVPacket* packet);
    /// Writes the container's end and gives the output its name. After a
    /// stop signal, `afterStop` ends the stream all the same (a live run).
    void Commit(bool afterStop = false);

private:
    void Close() noexcept;
    static int Interrupted(void* self) noexcept;

    const MovieFormatRow& mKind;
    std::string mName;
    std::optional<OutputFile> mOwnOutput;
    OutputFile* mOutput = nullptr; ///< null for a network address
    AVFormatContext* mFormat = nullptr;
    bool mSeekable = false;
    bool mEndsCleanly = false; ///< a real-time run: writing goes on for a moment after a stop
    /// When writing first heard of the stop, in steady-clock nanoseconds; 0: not yet.
    std::atomic<std::int64_t> mStopHeard{0};
};

} // namespace btmedia
