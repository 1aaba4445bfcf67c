#include "ToolRun.h"

#include "TestFiles.h"

#include <cstdlib>
#include <sys/wait.h>

namespace kaldex::test {

namespace {

std::string quoted(const std::string &text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

}  // namespace

ToolRun runTool(const std::vector<std::string> &args, const std::string &dir)
{
    TempDir capture;
    std::string command = (dir.empty() ? "" : "cd " + quoted(dir) + " && ") + quoted(KALDEX_TOOL);
    for (const std::string &arg : args)
        command += " " + quoted(arg);
    command += " >" + quoted(capture.file("out")) + " 2>" + quoted(capture.file("err"));
    const int status = std::system(command.c_str());
    ToolRun run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = readBytes(capture.file("out"));
    run.err = readBytes(capture.file("err"));
    return run;
}

}  // namespace kaldex::test
