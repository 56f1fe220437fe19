#pragma once
// Where a command's output goes, decided once before any work is done, so
// that no output ever destroys what the user did not mean to give up.
//
// - An output that is one of the run's inputs is refused, however it is named
//   (the same device and inode: links, symbolic links and ".." included).
// - An existing file is replaced only with the user's leave (-y); -n never
//   replaces; without either, a person at a terminal is asked, as FFmpeg asks
//   ("File 'x' already exists. Overwrite? [y/N]"), and anything else refuses.
// - A regular file (new or replaced) is written under a temporary name beside
//   it and takes its name only in Commit(); destroyed before that, the output
//   removes the temporary file, so a failed or stopped run leaves nothing.
//   A symbolic link is followed: its target is what gets written.
// - What is not a regular file, a FIFO, a character device, or "-" for
//   standard output, is written directly and in order and never replaced
//   (IsStream()). A format that must seek back to finish its file cannot be
//   written there; Seekable() says whether it can.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace btmedia {

/// What to do when the output already exists as a file.
enum class Overwrite {
    Ask,    ///< ask a person at the terminal; refuse when standard input is not one
    Always, ///< -y, --overwrite
    Never,  ///< -n, --no-overwrite
};

struct OutputRules {
    Overwrite overwrite = Overwrite::Ask;
    std::vector<std::string> inputs; ///< files the run reads; none of them may be written
};

/// The output was refused before anything was written. `Declined()` is true
/// when a person answered no to the question, false when the request itself
/// was refused (an input named as output, an existing file without leave).
class OutputRefused : public std::runtime_error {
public:
    OutputRefused(const std::string& message, bool declined) : std::runtime_error(message), mDeclined(declined) {}
    [[nodiscard]] bool Declined() const noexcept { return mDeclined; }

private:
    bool mDeclined;
};

/// Writing failed. The message says what a user can act on: "disk full while
/// writing 'x'" (ENOSPC), "file size limit reached while writing 'x'" (EFBIG).
class WriteFailed : public std::runtime_error {
public:
    WriteFailed(const std::string& name, int errorNumber);
    [[nodiscard]] int ErrorNumber() const noexcept { return mErrorNumber; }

private:
    int mErrorNumber;
};

/// The sentence WriteFailed carries.
[[nodiscard]] std::string WriteFailureMessage(const std::string& name, int errorNumber);

class OutputFile {
public:
    /// Resolves `path` ("-" is standard output) under `rules` and opens what
    /// will be written: the temporary file beside a regular file, or the
    /// stream itself; a FIFO is opened when first written, since opening it
    /// waits for its reader. Throws OutputRefused, WriteFailed when the
    /// temporary file cannot be created or the stream opened, and Stopped
    /// when a stop signal ends a wait.
    OutputFile(std::string path, const OutputRules& rules);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    /// The output as the user named it, for messages.
    [[nodiscard]] const std::string& Name() const noexcept;
    /// True for a FIFO, a device or standard output: written in place.
    [[nodiscard]] bool IsStream() const noexcept;
    /// Whether the writer may seek back in what it writes.
    [[nodiscard]] bool Seekable() const noexcept;
    /// The open descriptor to write to, at its start; the output keeps it.
    /// Throws as the constructor does when a FIFO opens here.
    [[nodiscard]] int Descriptor() const;
    /// What FFmpeg opens: "file:" and the temporary path, or "pipe:N".
    [[nodiscard]] std::string FfmpegUrl() const;

    /// Writes all `size` bytes at the descriptor's position. Throws
    /// WriteFailed, or Stopped when a stop signal interrupts a wait.
    void WriteAll(const void* data, std::size_t size) const;

    /// For a writer whose `format` must seek back to finish its file: throws
    /// OutputRefused when this output cannot seek (a pipe, a terminal).
    void RequireSeekable(const std::string& format) const;

    /// The output is complete: the data reaches the disk and the temporary
    /// file takes the output's name (a stream is only closed). Throws
    /// WriteFailed, or Stopped when a stop signal has arrived (unless
    /// `afterStop`: a live run ends what it sent cleanly when stopped); the
    /// output is then removed.
    void Commit(bool afterStop = false);

private:
    struct State;
    std::unique_ptr<State> mState;
};

} // namespace btmedia
