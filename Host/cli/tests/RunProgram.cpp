#include "RunProgram.h"

#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace btcli::test {

namespace {

std::string Slurp(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream s;
    s << in.rdbuf();
    std::remove(path.c_str());
    return s.str();
}

std::string TemporaryFile(int& fd, const char* kind)
{
    std::string path = std::string("/tmp/btcli-") + kind + "-XXXXXX";
    fd = mkstemp(path.data());
    if (fd < 0)
        throw std::runtime_error("cannot make temporary files");
    return path;
}

/// Starts the program as a shell starts a command: a session of its own (on
/// the terminal `terminalPath` names, which it then controls), default
/// signal dispositions, nothing blocked, and the file-size limit that
/// `ulimit -f` sets, through the shell itself.
pid_t Start(const std::vector<std::string>& args, int in, int out, int err, long long fileSizeLimit,
            const std::string& terminalPath = {}, bool otherProgram = false)
{
    std::vector<std::string> all;
    if (fileSizeLimit >= 0) // ulimit counts 512-byte blocks
        all = {"/bin/sh", "-c", "ulimit -f " + std::to_string(fileSizeLimit / 512) + " && exec \"$0\" \"$@\""};
    if (!otherProgram)
        all.push_back(BT_CLI_PATH);
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, stops;
    sigemptyset(&none);
    sigemptyset(&stops);
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGXFSZ})
        sigaddset(&stops, s);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &stops);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!terminalPath.empty()) {
        // Opened after the new session starts, the terminal becomes its controlling one.
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, terminalPath.c_str(), O_RDWR, 0);
        posix_spawn_file_actions_adddup2(&actions, STDIN_FILENO, STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, STDIN_FILENO, STDERR_FILENO);
    } else {
        posix_spawn_file_actions_adddup2(&actions, in, STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, err, STDERR_FILENO);
    }
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (spawned != 0)
        throw std::runtime_error(std::string("cannot start ") + argv[0]);
    return pid;
}

int ExitCode(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

Outcome RunOnTerminal(const std::vector<std::string>& args, const RunOptions& options)
{
    int master = -1, slave = -1;
    char slavePath[128] = {};
    winsize size{24, 100, 0, 0};
    if (openpty(&master, &slave, slavePath, nullptr, &size) != 0)
        throw std::runtime_error("cannot open a pseudo-terminal");
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(slave, F_SETFD, FD_CLOEXEC);
    const pid_t pid = Start(args, -1, -1, -1, options.fileSizeLimit, slavePath);
    close(slave);
    if (!options.input.empty())
        (void)write(master, options.input.data(), options.input.size());
    Outcome o;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(master, buffer, sizeof buffer);
        if (n > 0)
            o.out.append(buffer, static_cast<std::size_t>(n));
        else if (!(n < 0 && errno == EINTR))
            break; // EIO: the program and its terminal are gone
    }
    close(master);
    o.exitCode = ExitCode(pid);
    return o;
}

Outcome RunWithFiles(const std::vector<std::string>& args, const RunOptions& options, bool otherProgram)
{
    int outFd = -1, errFd = -1, inFd = -1;
    const std::string outPath = TemporaryFile(outFd, "out");
    const std::string errPath = TemporaryFile(errFd, "err");
    const std::string inPath = TemporaryFile(inFd, "in");
    (void)write(inFd, options.input.data(), options.input.size());
    lseek(inFd, 0, SEEK_SET);
    std::remove(inPath.c_str());
    const pid_t pid = Start(args, inFd, outFd, errFd, options.fileSizeLimit, {}, otherProgram);
    close(inFd);
    close(outFd);
    close(errFd);
    Outcome o;
    o.exitCode = ExitCode(pid);
    o.out = Slurp(outPath);
    o.err = Slurp(errPath);
    return o;
}

} // namespace

Outcome RunTool(const std::vector<std::string>& args, const RunOptions& options)
{
    if (options.terminal)
        return RunOnTerminal(args, options);
    return RunWithFiles(args, options, false);
}

Outcome RunCommand(const std::vector<std::string>& args) { return RunWithFiles(args, {}, true); }

RunningTool::RunningTool(const std::vector<std::string>& args)
{
    int outFd = -1, errFd = -1;
    mOutPath = TemporaryFile(outFd, "out");
    mErrPath = TemporaryFile(errFd, "err");
    const int inFd = open("/dev/null", O_RDONLY);
    mPid = Start(args, inFd, outFd, errFd, -1);
    close(inFd);
    close(outFd);
    close(errFd);
}

RunningTool::~RunningTool()
{
    if (mPid > 0) {
        kill(mPid, SIGKILL);
        (void)ExitCode(mPid);
        std::remove(mOutPath.c_str());
        std::remove(mErrPath.c_str());
    }
}

void RunningTool::Signal(int signal) const { kill(mPid, signal); }

Outcome RunningTool::Wait()
{
    Outcome o;
    o.exitCode = ExitCode(mPid);
    mPid = -1;
    o.out = Slurp(mOutPath);
    o.err = Slurp(mErrPath);
    return o;
}

} // namespace btcli::test
