#include "RunProgram.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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
} // namespace

Outcome RunTool(const std::vector<std::string>& args)
{
    char outPath[] = "/tmp/btcli-out-XXXXXX";
    char errPath[] = "/tmp/btcli-err-XXXXXX";
    const int outFd = mkstemp(outPath);
    const int errFd = mkstemp(errPath);
    if (outFd < 0 || errFd < 0)
        throw std::runtime_error("cannot make temporary files");

    std::vector<std::string> all{BT_CLI_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errFd, STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", 0, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(outFd);
    close(errFd);
    if (spawned != 0)
        throw std::runtime_error(std::string("cannot start ") + argv[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    Outcome o;
    o.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    o.out = Slurp(outPath);
    o.err = Slurp(errPath);
    return o;
}

} // namespace btcli::test
