#include "ToolRun.h"

#include "TestFiles.h"

#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>
#include <fcntl.h>

namespace kaldex::test {

ToolRun runTool(const std::vector<std::string> &args, const std::string &dir)
{
    TempDir capture;
    const std::string outPath = capture.file("out");
    const std::string errPath = capture.file("err");
    std::vector<char *> argv;
    std::string program = KALDEX_TOOL;
    argv.push_back(program.data());
    std::vector<std::string> copies = args;
    for (std::string &arg : copies)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    pid_t child = fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0) {
        // Only async-signal-safe calls between fork and exec.
        int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 || (!dir.empty() && ::chdir(dir.c_str()) != 0))
            _exit(127);
        ::execv(argv[0], argv.data());
        _exit(127);
    }
    int wstatus = 0;
    while (::waitpid(child, &wstatus, 0) < 0) {
    }
    ToolRun run;
    run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    run.out = readBytes(outPath);
    run.err = readBytes(errPath);
    return run;
}

}  // namespace kaldex::test
