#include "bench/ChildProcess.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace kaldex::bench {

ProcessRun runProcess(const std::string &program, std::vector<std::string> arguments, bool figures)
{
    ProcessRun run;
    int fds[2] = {-1, -1};
    if (figures) {
        if (pipe2(fds, O_CLOEXEC) != 0)
            return run;
        fcntl(fds[1], F_SETFD, 0);  // the child inherits the writing end only
        arguments.push_back(std::to_string(fds[1]));
    }
    std::vector<std::string> words = {program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char *> argv;
    for (std::string &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!figures) {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const bool spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    std::string line;
    if (figures) {
        close(fds[1]);
        char buffer[256];
        ssize_t n = 0;
        while (spawned && line.find('\n') == std::string::npos && (n = read(fds[0], buffer, sizeof buffer)) > 0)
            line.append(buffer, static_cast<size_t>(n));
        run.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        close(fds[0]);
    }
    if (!spawned)
        return run;

    int status = 0;
    struct rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid)
        return run;
    if (!figures)
        run.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::istringstream numbers(line);
    for (double value; numbers >> value;)
        run.figures.push_back(value);
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && (!figures || !run.figures.empty());
    run.peakMegabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return run;
}

void reportFiguresAndEnd(int fd, const std::vector<double> &figures)
{
    std::string line;
    for (double value : figures) {
        char number[32];
        std::snprintf(number, sizeof number, "%.9g ", value);
        line += number;
    }
    dprintf(fd, "%s\n", line.c_str());
    // The measurement is over: no teardown.
    std::_Exit(0);
}

}  // namespace kaldex::bench
