#include "btmedia/OutputFile.h"

#include "btmedia/StopSignals.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <random>
#include <utility>

namespace btmedia {

namespace {

constexpr int kMaxLinks = 40; // as the kernel's own limit on a path's links

std::string Quoted(const std::string& name) { return "'" + name + "'"; }

std::string Folder(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string LastPart(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

/// The path with its symbolic links followed to what they name, which may
/// not exist yet (a link to a file still to be made).
std::string FollowLinks(const std::string& name)
{
    std::string path = name;
    for (int links = 0; links < kMaxLinks; ++links) {
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        const ssize_t n = readlink(path.c_str(), target.data(), target.size());
        if (n < 0)
            throw WriteFailed(name, errno);
        target.resize(static_cast<std::size_t>(n));
        path = target.starts_with('/') ? target : Folder(path) + "/" + target;
    }
    throw WriteFailed(name, ELOOP);
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

void RefuseInputs(const std::string& name, const struct stat& output, const std::vector<std::string>& inputs)
{
    for (const std::string& input : inputs) {
        struct stat st {};
        if (stat(input.c_str(), &st) == 0 && SameFile(st, output))
            throw OutputRefused(Quoted(name) + " is the input " + Quoted(input) +
                                    "; writing it would destroy what is being read: name another output file",
                                false);
    }
}

/// The user's leave to replace `name`, by the rules or by asking.
void RequireLeave(const std::string& name, Overwrite overwrite)
{
    switch (overwrite) {
    case Overwrite::Always: return;
    case Overwrite::Never:
        throw OutputRefused(Quoted(name) + " already exists and -n says never to overwrite it", false);
    case Overwrite::Ask: break;
    }
    if (isatty(STDIN_FILENO) != 1)
        throw OutputRefused(Quoted(name) + " already exists; give -y to overwrite it", false);
    std::fprintf(stderr, "File '%s' already exists. Overwrite? [y/N] ", name.c_str());
    std::fflush(stderr);
    std::string answer;
    for (;;) {
        char c = 0;
        const ssize_t n = read(STDIN_FILENO, &c, 1);
        if (n < 0 && errno == EINTR) {
            StopPoint();
            continue;
        }
        if (n <= 0 || c == '\n')
            break;
        answer += c;
    }
    if (answer.empty() || (answer[0] != 'y' && answer[0] != 'Y'))
        throw OutputRefused("not overwriting " + Quoted(name), true);
}

/// Opens `path` for writing without creating or truncating it, waiting for
/// a FIFO's reader until a stop signal.
int OpenInPlace(const std::string& name, const std::string& path)
{
    for (;;) {
        const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (fd >= 0)
            return fd;
        if (errno != EINTR)
            throw WriteFailed(name, errno);
        StopPoint();
    }
}

/// A new file beside `target` that no one else has: "<name>.<random>.partial".
/// It gets the mode a new file gets (the kernel applies the umask), or the
/// replaced file's mode and owner, so replacing changes nothing but content.
int CreateBeside(const std::string& name, const std::string& target, const struct stat* replaced,
                 std::string& temporary)
{
    std::random_device entropy;
    const std::string base = LastPart(target).substr(0, 200);
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%06x.partial", static_cast<unsigned>(entropy()) & 0xFFFFFFu);
        temporary = Folder(target) + "/" + base + suffix;
        const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            throw WriteFailed(name, errno);
        if (replaced != nullptr) {
            if (replaced->st_uid != geteuid() || replaced->st_gid != getegid())
                (void)fchown(fd, replaced->st_uid, replaced->st_gid); // only root may; others keep theirs
            (void)fchmod(fd, replaced->st_mode & 07777);
        }
        return fd;
    }
    throw WriteFailed(name, EEXIST);
}

} // namespace

std::string WriteFailureMessage(const std::string& name, int errorNumber)
{
    switch (errorNumber) {
    case ENOSPC: return "disk full while writing " + Quoted(name);
    case EFBIG: return "file size limit reached while writing " + Quoted(name);
    case EDQUOT: return "disk quota exceeded while writing " + Quoted(name);
    default: return "cannot write " + Quoted(name) + ": " + std::strerror(errorNumber);
    }
}

WriteFailed::WriteFailed(const std::string& name, int errorNumber)
    : std::runtime_error(WriteFailureMessage(name, errorNumber)), mErrorNumber(errorNumber)
{
}

struct OutputFile::State {
    std::string name;
    std::string target;    ///< the regular file the output becomes; empty for a stream
    std::string temporary; ///< where it is written until Commit
    int fd = -1;
    std::string fifo; ///< a FIFO opened when first written: opening waits for its reader
    bool stream = false;
    bool seekable = false;
    bool committed = false;
    std::optional<RemoveOnKill> killGuard;

    int Open()
    {
        if (fd < 0 && !fifo.empty())
            fd = OpenInPlace(name, fifo);
        return fd;
    }

    void CloseDescriptor() noexcept
    {
        if (fd >= 0)
            (void)close(fd);
        fd = -1;
    }

    void Discard() noexcept
    {
        CloseDescriptor();
        if (!temporary.empty()) {
            (void)unlink(temporary.c_str());
            killGuard.reset();
            NoteDiscardedOutput(name);
        }
    }
};

OutputFile::OutputFile(std::string path, const OutputRules& rules) : mState(std::make_unique<State>())
{
    State& s = *mState;
    s.name = std::move(path);
    if (s.name.empty())
        throw OutputRefused("no output file named", false);

    if (s.name == "-") {
        struct stat st {};
        if (fstat(STDOUT_FILENO, &st) != 0)
            throw WriteFailed(s.name, errno);
        RefuseInputs("standard output", st, rules.inputs);
        s.fd = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
        if (s.fd < 0)
            throw WriteFailed(s.name, errno);
        s.stream = true;
        // A file behind standard output may be sought in only if the output
        // starts it: an appended or shared file has other content before.
        const int flags = fcntl(s.fd, F_GETFL);
        s.seekable = S_ISREG(st.st_mode) && lseek(s.fd, 0, SEEK_CUR) == 0 && flags >= 0 && (flags & O_APPEND) == 0;
        return;
    }

    const std::string resolved = FollowLinks(s.name);
    struct stat st {};
    const bool exists = stat(resolved.c_str(), &st) == 0;
    if (!exists && errno != ENOENT)
        throw WriteFailed(s.name, errno);
    if (exists) {
        if (S_ISDIR(st.st_mode))
            throw OutputRefused(Quoted(s.name) + " is a folder; name a file in it", false);
        RefuseInputs(s.name, st, rules.inputs);
        if (S_ISREG(st.st_mode) || S_ISBLK(st.st_mode))
            RequireLeave(s.name, rules.overwrite);
        if (S_ISFIFO(st.st_mode)) {
            s.fifo = resolved;
            s.stream = true;
            return;
        }
        if (!S_ISREG(st.st_mode)) {
            s.fd = OpenInPlace(s.name, resolved);
            s.stream = true;
            s.seekable = lseek(s.fd, 0, SEEK_CUR) >= 0;
            return;
        }
    }
    s.target = resolved;
    s.fd = CreateBeside(s.name, resolved, exists ? &st : nullptr, s.temporary);
    s.killGuard.emplace(s.temporary);
    s.seekable = true;
}

OutputFile::~OutputFile()
{
    if (!mState->committed)
        mState->Discard();
}

const std::string& OutputFile::Name() const noexcept { return mState->name; }
bool OutputFile::IsStream() const noexcept { return mState->stream; }
bool OutputFile::Seekable() const noexcept { return mState->seekable; }
int OutputFile::Descriptor() const { return mState->Open(); }

std::string OutputFile::FfmpegUrl() const
{
    return mState->stream ? "pipe:" + std::to_string(mState->Open()) : "file:" + mState->temporary;
}

void OutputFile::WriteAll(const void* data, std::size_t size) const
{
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(mState->Open(), bytes, size);
        if (n < 0 && errno == EINTR) {
            StopPoint();
            continue;
        }
        if (n < 0)
            throw WriteFailed(mState->name, errno);
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
}

void OutputFile::RequireSeekable(const std::string& format) const
{
    if (!mState->seekable)
        throw OutputRefused(format + " cannot be written to " +
                                (mState->name == "-" ? std::string("standard output") : Quoted(mState->name)) +
                                ": the file must be finished by going back to its start, and a pipe or "
                                "terminal cannot go back; write it to a file",
                            false);
}

void OutputFile::Commit(bool afterStop)
{
    State& s = *mState;
    if (s.committed)
        throw std::logic_error("OutputFile::Commit twice");
    if (!afterStop)
        StopPoint(); // a run told to stop keeps nothing it had not finished before
    if (!s.stream) {
        // Errors the disk reports late (a full disk on a network file system)
        // come back here, before the file takes its name.
        if (fsync(s.fd) != 0 && errno != EINVAL) {
            const int error = errno;
            s.Discard();
            throw WriteFailed(s.name, error);
        }
    }
    const int fd = std::exchange(s.fd, -1);
    if (fd >= 0 && close(fd) != 0 && errno != EINTR) {
        const int error = errno;
        s.Discard();
        throw WriteFailed(s.name, error);
    }
    if (!s.stream && rename(s.temporary.c_str(), s.target.c_str()) != 0) {
        const int error = errno;
        s.Discard();
        throw WriteFailed(s.name, error);
    }
    s.committed = true;
    s.killGuard.reset();
}

} // namespace btmedia
