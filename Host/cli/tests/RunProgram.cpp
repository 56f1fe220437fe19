#include "RunProgram.h"

#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
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

/// Starts the program in a child with the given standard streams; only
/// async-signal-safe calls between fork and exec.
pid_t Start(const std::vector<std::string>& args, int in, int out, int err, long long fileSizeLimit, bool terminal)
{
    std::vector<std::string> all{BT_CLI_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("cannot start the program");
    if (pid == 0) {
        // As a shell starts a command: its own session (a terminal's
        // controlling process when on one), default signals, nothing blocked.
        setsid();
        if (terminal)
            ioctl(in, TIOCSCTTY, 0);
        for (int s : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGXFSZ})
            signal(s, SIG_DFL);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        if (fileSizeLimit >= 0) {
            const rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        dup2(in, STDIN_FILENO);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        execve(argv[0], argv.data(), environ);
        _exit(127);
    }
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
    winsize size{24, 100, 0, 0};
    if (openpty(&master, &slave, nullptr, nullptr, &size) != 0)
        throw std::runtime_error("cannot open a pseudo-terminal");
    const pid_t pid = Start(args, slave, slave, slave, options.fileSizeLimit, true);
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

} // namespace

Outcome RunTool(const std::vector<std::string>& args, const RunOptions& options)
{
    if (options.terminal)
        return RunOnTerminal(args, options);
    int outFd = -1, errFd = -1, inFd = -1;
    const std::string outPath = TemporaryFile(outFd, "out");
    const std::string errPath = TemporaryFile(errFd, "err");
    const std::string inPath = TemporaryFile(inFd, "in");
    (void)write(inFd, options.input.data(), options.input.size());
    lseek(inFd, 0, SEEK_SET);
    std::remove(inPath.c_str());
    const pid_t pid = Start(args, inFd, outFd, errFd, options.fileSizeLimit, false);
    close(inFd);
    close(outFd);
    close(errFd);
    Outcome o;
    o.exitCode = ExitCode(pid);
    o.out = Slurp(outPath);
    o.err = Slurp(errPath);
    return o;
}

RunningTool::RunningTool(const std::vector<std::string>& args)
{
    int outFd = -1, errFd = -1;
    mOutPath = TemporaryFile(outFd, "out");
    mErrPath = TemporaryFile(errFd, "err");
    const int inFd = open("/dev/null", O_RDONLY);
    mPid = Start(args, inFd, outFd, errFd, -1, false);
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
